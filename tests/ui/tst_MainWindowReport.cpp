#include "ProgramFolder.h"

#include "core/text/MessageIds.h"
#include "ui/shell/UTalventoFirmWare.h"

#include <QAction>
#include <QTest>

using namespace sw;
using sw::test::readFile;

namespace {

// The program folder with configuration "Plant Nord" active and the main window started.
struct Program : test::ProgramFolder
{
    std::unique_ptr<TFTalventoFirmWare> window;

    bool start(bool withConfiguration)
    {
        if (withConfiguration && !rememberConfiguration(QStringLiteral("Plant Nord")))
            return false;
        window = std::make_unique<TFTalventoFirmWare>(pv, services, dir.path());
        return true;
    }
    void printReport() const { QVERIFY(QMetaObject::invokeMethod(window.get(), "printReport")); }
};

} // namespace

class tst_MainWindowReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ctrlPTriggersTheReport()
    {
        Program p;
        QVERIFY(p.start(true));
        auto *action = p.window->findChild<QAction *>(QStringLiteral("reportAction"));
        QVERIFY(action);
        QCOMPARE(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
        QCOMPARE(action->text(), p.pv.msg(MsgId::ReportAction));
        p.window->show();
        QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
        QTest::keyClick(p.window.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(p.files.calls.size(), 1);
        const test::FakeFileChooser::Call &call = p.files.calls.front();
        QVERIFY(call.save);
        QCOMPARE(call.caption, p.pv.msg(MsgId::ReportChooserTitle));
        QCOMPARE(call.start, QDir::toNativeSeparators(p.path(QStringLiteral("PROJECTS/Plant Nord/Plant Nord.pdf"))));
        QVERIFY(call.filter.contains(QStringLiteral("(*.pdf)")) && call.filter.contains(QStringLiteral("(*.html)")));
        QVERIFY(p.messages.texts().isEmpty()); // cancelled: nothing said, nothing written
        QVERIFY(!QFileInfo::exists(p.path(QStringLiteral("PROJECTS/Plant Nord/Plant Nord.pdf"))));
    }

    // The chosen name decides the format; one without a known extension becomes a PDF.
    void writesTheChosenFile_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("pdf") << QStringLiteral("r.pdf") << QStringLiteral("r.pdf") << QByteArray("%PDF-");
        QTest::newRow("html") << QStringLiteral("r.html") << QStringLiteral("r.html") << QByteArray("<!DOCTYPE html>");
        QTest::newRow("no extension") << QStringLiteral("r") << QStringLiteral("r.pdf") << QByteArray("%PDF-");
    }
    void writesTheChosenFile()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(QByteArray, start);
        Program p;
        QVERIFY(p.start(true));
        p.files.answers << p.path(chosen);
        p.printReport();
        QVERIFY2(p.messages.texts().isEmpty(), qPrintable(p.messages.texts().join(u'\n')));
        QVERIFY(readFile(p.path(written)).startsWith(start));
    }

    void refusals()
    {
        Program none;
        QVERIFY(none.start(false));
        none.printReport();
        QCOMPARE(none.messages.texts(), QStringList { none.pv.msg(MsgId::ProjectNotValid) });
        QVERIFY(none.files.calls.isEmpty());

        // A folder in the way of the file: the message names the reason, the folder stays.
        Program p;
        QVERIFY(p.start(true));
        QVERIFY(QDir().mkpath(p.path(QStringLiteral("taken.pdf"))));
        p.files.answers << p.path(QStringLiteral("taken.pdf"));
        p.printReport();
        QCOMPARE(p.messages.texts().size(), 1);
        QVERIFY(p.messages.texts().front().startsWith(p.pv.msg(MsgId::ReportCannotWrite).arg(QString())));
        QVERIFY(QFileInfo(p.path(QStringLiteral("taken.pdf"))).isDir());
    }
};

QTEST_MAIN(tst_MainWindowReport)
#include "tst_MainWindowReport.moc"
