// The updater's window fed by a transfer that the test drives through its signals: what the
// keyboard and closing the window do while the transfer runs and after it, and how texts from the
// parameter file and the network are shown.

#include "Contrast.h"
#include "TestFiles.h"

#include "Ethernet_Update/Transfer.h"
#include "Ethernet_Update/UpdateWindow.h"
#include "Ethernet_Update/UpdaterTexts.h"
#include "core/text/Catalogue.h"
#include "core/text/MessageIds.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using updater::Operation;
using updater::Transfer;
using updater::updaterTexts;
using updater::UpdateWindow;

namespace {

Operation operation(const QString &fileName, qsizetype size, bool readBack, bool goToApp = false)
{
    Operation op;
    op.fileName = fileName;
    op.data = QByteArray(size, 'x');
    op.startAddress = 0x80000;
    op.host = QStringLiteral("127.0.0.1");
    op.port = 2008;
    op.readBack = readBack;
    op.goToAppAfter = goToApp;
    return op;
}

template <typename T> T *child(const QWidget &window, const char *name)
{
    T *widget = window.findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no %s", name);
    return widget;
}

const QString ShippedLanguages = QStringLiteral(SW_SOURCE_DIR "/resources/LANGUAGE");

QByteArray settingsNaming(const QByteArray &language)
{
    return "<Conf_Settings><lastlang><language>" + language + "</language></lastlang></Conf_Settings>";
}

// A program folder with the shipped language files, and a per-user workspace beside it.
struct Folders
{
    QTemporaryDir dir;
    QString program = dir.filePath(QStringLiteral("program"));
    QString workspace = dir.filePath(QStringLiteral("workspace"));

    [[nodiscard]] bool make() const
    {
        if (!QDir().mkpath(program + QStringLiteral("/LANGUAGE")) || !QDir().mkpath(workspace))
            return false;
        for (const QFileInfo &file : QDir(ShippedLanguages).entryInfoList({ QStringLiteral("*.lng") }, QDir::Files)) {
            if (!QFile::copy(file.absoluteFilePath(), program + QStringLiteral("/LANGUAGE/") + file.fileName()))
                return false;
        }
        return true;
    }
};

} // namespace

class tst_UpdateWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Escape and Return do nothing while the transfer runs; at the end Close is the default button
    // with the focus, and Return presses it.
    void keyboard()
    {
        Transfer transfer({ operation(QStringLiteral("/f/bank1.bin"), 2048, true),
            operation(QStringLiteral("/f/bank2.bin"), 100, false, true) });
        UpdateWindow window;
        window.follow(&transfer);
        QSignalSpy finished(&window, &QDialog::finished);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *close = child<QPushButton>(window, "closeButton");

        Q_EMIT transfer.operationStarted(0);
        Q_EMIT transfer.written(0, 1024);
        QCOMPARE(child<QProgressBar>(window, "written1")->value(), 1024);
        QCOMPARE(child<QProgressBar>(window, "verified1")->value(), 0);
        QVERIFY(!window.findChild<QProgressBar *>(QStringLiteral("verified2")));
        QVERIFY(!close->isEnabled());
        QTest::keyClick(&window, Qt::Key_Escape);
        QTest::keyClick(&window, Qt::Key_Return);
        QVERIFY(window.isVisible());
        QCOMPARE(finished.size(), 0);

        Q_EMIT transfer.written(0, 2048);
        Q_EMIT transfer.verified(0, 2048);
        Q_EMIT transfer.operationDone(0, 1234, 0);
        Q_EMIT transfer.operationStarted(1);
        Q_EMIT transfer.written(1, 100);
        Q_EMIT transfer.operationDone(1, 50, 0);
        Q_EMIT transfer.applicationStarted(1);
        Q_EMIT transfer.completed();
        QCOMPARE(child<QLabel>(window, "state1")->text(), QStringLiteral("done in 1.2 s"));
        QCOMPARE(child<QLabel>(window, "state2")->text(), QStringLiteral("done in 0.1 s, application started"));
        QCOMPARE(child<QLabel>(window, "result")->text(),
            QStringLiteral("Update complete: 2 operation(s) written and read back."));
        QVERIFY(close->isEnabled());
        QVERIFY(close->isDefault());
        QCOMPARE(window.focusWidget(), close);
        QTest::keyClick(&window, Qt::Key_Return);
        QCOMPARE(finished.size(), 1);
        QVERIFY(!window.isVisible());
    }

    // Closing the window while the transfer runs asks it to stop and keeps the window until the
    // transfer has ended; then the window closes by itself. After the end it closes at once.
    void closing_data()
    {
        QTest::addColumn<bool>("duringTransfer");
        QTest::newRow("during the transfer") << true;
        QTest::newRow("after the end") << false;
    }
    void closing()
    {
        QFETCH(bool, duringTransfer);
        Transfer transfer({ operation(QStringLiteral("bank2.bin"), 3000, true) });
        UpdateWindow window;
        window.follow(&transfer);
        QSignalSpy finished(&window, &QDialog::finished);
        window.show();
        Q_EMIT transfer.operationStarted(0);
        Q_EMIT transfer.written(0, 1024);
        if (!duringTransfer)
            Q_EMIT transfer.failed(0, QStringLiteral("no answer"));

        window.close();
        QCOMPARE(transfer.stopRequested(), duringTransfer);
        QCOMPARE(window.isVisible(), duringTransfer);
        QCOMPARE(finished.size(), duringTransfer ? 0 : 1);
        if (!duringTransfer)
            return;
        window.close(); // asked again: still waits
        QVERIFY(window.isVisible());
        Q_EMIT transfer.failed(0, QStringLiteral("the update was stopped before the write request at 0x80400"));
        QCOMPARE(finished.size(), 1);
        QVERIFY(!window.isVisible());
        QCOMPARE(child<QLabel>(window, "state1")->text(), QStringLiteral("stopped"));
    }

    // File names and failure reasons come from outside: shown as plain text on one line, and cut
    // when long.
    void outsideTexts_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("title"); // of the operation
        QTest::addColumn<QString>("result");

        QTest::newRow("usual") << "/p/bin/bank2.bin"
                               << "no answer from 127.0.0.1:2008 to the write request at 0x80000"
                               << "1. bank2.bin, 3000 bytes at 0x80000"
                               << "Update failed: operation 1 (bank2.bin): no answer from 127.0.0.1:2008 to the write "
                                  "request at 0x80000";
        QTest::newRow("markup")
            << "/p/<b>x&amp;y<br>.bin"
            << "<a href=\"http://127.0.0.1/\">link</a>"
            << "1. <b>x&amp;y<br>.bin, 3000 bytes at 0x80000"
            << "Update failed: operation 1 (<b>x&amp;y<br>.bin): <a href=\"http://127.0.0.1/\">link</a>";
        QTest::newRow("line breaks") << "/p/a\nb\r.bin"
                                     << "one\ntwo\tthree"
                                     << "1. a b .bin, 3000 bytes at 0x80000"
                                     << "Update failed: operation 1 (a b .bin): one two three";
        const QString longName = QString(200, u'n');
        QTest::newRow("long") << "/p/" + longName << QString(5000, u'r')
                              << "1. " + QString(59, u'n') + QChar(0x2026) + ", 3000 bytes at 0x80000"
                              << "Update failed: operation 1 (" + QString(59, u'n') + QChar(0x2026)
                + "): " + QString(399, u'r') + QChar(0x2026);
    }
    void outsideTexts()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, reason);
        QFETCH(QString, title);
        QFETCH(QString, result);

        Transfer transfer({ operation(fileName, 3000, false) });
        UpdateWindow window;
        window.follow(&transfer);
        Q_EMIT transfer.operationStarted(0);
        Q_EMIT transfer.failed(0, reason);
        for (const char *name : { "operation1", "result" })
            QCOMPARE(child<QLabel>(window, name)->textFormat(), Qt::PlainText);
        QCOMPARE(child<QLabel>(window, "operation1")->text(), title);
        QCOMPARE(child<QLabel>(window, "result")->text(), result);
    }

    // Every control has a text or a name for screen readers.
    void accessibleNames()
    {
        Transfer transfer(
            { operation(QStringLiteral("a.bin"), 10, true), operation(QStringLiteral("b.bin"), 10, false) });
        UpdateWindow window;
        window.follow(&transfer);
        for (const QProgressBar *bar : window.findChildren<QProgressBar *>())
            QVERIFY2(!bar->accessibleName().isEmpty(), qPrintable(bar->objectName()));
        QCOMPARE(child<QProgressBar>(window, "verified1")->accessibleName(),
            QStringLiteral("Operation 1, bytes read back and verified"));
        for (const QLabel *label : window.findChildren<QLabel *>())
            QVERIFY2(!label->text().isEmpty(), qPrintable(label->objectName()));
        QCOMPARE(child<QPushButton>(window, "closeButton")->text(), QStringLiteral("Close"));
    }

    // The window takes the language of the configurator's settings in the folder it was started
    // from (the program folder, or a per-user workspace with a link to the updater) and that
    // language's file beside it or in the program folder; anything else gives English.
    void textsFollowTheConfiguratorsSettings_data()
    {
        QTest::addColumn<bool>("fromWorkspace"); // started from the workspace, else the program folder
        QTest::addColumn<QByteArray>("settings"); // Talvento.xml in the start folder; empty: none
        QTest::addColumn<QByteArray>("programSettings"); // Talvento.xml in the program folder
        QTest::addColumn<QString>("title");

        const QString german = QStringLiteral("Ethernet_Update: Gerät aktualisieren");
        const QString english = QStringLiteral("Ethernet_Update: device update");
        QTest::newRow("program folder, German") << false << settingsNaming("Deutsch") << QByteArray() << german;
        QTest::newRow("program folder, Italian") << false << settingsNaming("Italiano") << QByteArray()
                                                 << QStringLiteral("Ethernet_Update: aggiornamento del dispositivo");
        QTest::newRow("workspace, German") << true << settingsNaming("Deutsch") << QByteArray() << german;
        QTest::newRow("workspace without settings, the program folder's not taken")
            << true << QByteArray() << settingsNaming("Deutsch") << english;
        QTest::newRow("no settings") << false << QByteArray() << QByteArray() << english;
        QTest::newRow("settings not well-formed")
            << false << QByteArray("<Conf_Settings><lastlang>") << QByteArray() << english;
        QTest::newRow("language without a file") << false << settingsNaming("Klingon") << QByteArray() << english;
        QTest::newRow("language name leading out of the folder")
            << true << settingsNaming("../program/LANGUAGE/Deutsch") << QByteArray() << english;
    }
    void textsFollowTheConfiguratorsSettings()
    {
        QFETCH(bool, fromWorkspace);
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, programSettings);
        QFETCH(QString, title);

        Folders folders;
        QVERIFY(folders.make());
        const QString start = fromWorkspace ? folders.workspace : folders.program;
        if (!settings.isEmpty())
            QVERIFY(sw::test::writeFile(start + QStringLiteral("/Talvento.xml"), settings));
        if (!programSettings.isEmpty())
            QVERIFY(sw::test::writeFile(folders.program + QStringLiteral("/Talvento.xml"), programSettings));

        const QStringList texts = updaterTexts(start, folders.program);
        QCOMPARE(texts.value(sw::MsgId::UpdaterTitle), title);
        UpdateWindow window(texts);
        QCOMPARE(window.windowTitle(), title);
    }

    // The window in English and German, on the default and a dark palette and with an 11 pt font:
    // every text of the catalogue's language, none cut off, and the result line (green or red)
    // readable on the window's background. With SW_SCREENSHOT_DIR set, each is saved as
    // updater-<language>-<look>-<end>.png.
    void readableInEveryLook_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("look");
        QTest::addColumn<bool>("success");
        for (const char *language : { "English", "Deutsch" }) {
            for (const char *look : { "default", "dark", "11pt" }) {
                for (const bool success : { true, false })
                    QTest::addRow("%s, %s, %s", language, look, success ? "complete" : "failed")
                        << QString::fromLatin1(language) << QString::fromLatin1(look) << success;
            }
        }
    }
    void readableInEveryLook()
    {
        QFETCH(QString, language);
        QFETCH(QString, look);
        QFETCH(bool, success);

        Folders folders;
        QVERIFY(folders.make());
        QVERIFY(
            sw::test::writeFile(folders.program + QStringLiteral("/Talvento.xml"), settingsNaming(language.toUtf8())));
        const QStringList texts = updaterTexts(folders.program, folders.program);

        const QPalette palette = QApplication::palette();
        const QFont font = QApplication::font();
        const auto restore = qScopeGuard([&] {
            QApplication::setPalette(palette);
            QApplication::setFont(font);
        });
        if (look == QLatin1String("dark"))
            QApplication::setPalette(sw::test::darkPalette());
        if (look == QLatin1String("11pt")) {
            QFont larger = font;
            larger.setPointSize(11);
            QApplication::setFont(larger);
        }

        const QString reason
            = QStringLiteral("no answer from 127.0.0.1:2008 to the read request at 0x07000 after 5 attempts of 150 ms");
        Transfer transfer({ operation(QStringLiteral("/p/MASTER/Sim61942.sim"), 6000, true),
            operation(QStringLiteral("/p/bin/bank1.bin"), 2048, true),
            operation(QStringLiteral("/p/bin/bank2.bin"), 3000, true, true) });
        UpdateWindow window(texts);
        window.follow(&transfer);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Q_EMIT transfer.operationStarted(0);
        Q_EMIT transfer.written(0, 6000);
        Q_EMIT transfer.verified(0, 6000);
        Q_EMIT transfer.operationDone(0, 812, 0);
        Q_EMIT transfer.operationStarted(1);
        Q_EMIT transfer.written(1, 2048);
        if (success) {
            Q_EMIT transfer.verified(1, 2048);
            Q_EMIT transfer.operationDone(1, 301, 0);
            Q_EMIT transfer.operationStarted(2);
            Q_EMIT transfer.written(2, 3000);
            Q_EMIT transfer.verified(2, 3000);
            Q_EMIT transfer.operationDone(2, 420, 0);
            Q_EMIT transfer.applicationStarted(2);
            Q_EMIT transfer.completed();
        } else {
            Q_EMIT transfer.failed(1, reason);
        }
        QCoreApplication::processEvents();

        const auto *heading = child<QLabel>(window, "heading");
        const auto *result = child<QLabel>(window, "result");
        QCOMPARE(
            heading->text(), texts.value(success ? sw::MsgId::UpdaterHeadingDone : sw::MsgId::UpdaterHeadingFailed));
        QCOMPARE(result->text(),
            success
                ? texts.value(sw::MsgId::UpdaterCompleteReadBack).arg(3)
                : texts.value(sw::MsgId::UpdaterFailed).arg(QStringLiteral("2"), QStringLiteral("bank1.bin"), reason));
        QCOMPARE(child<QPushButton>(window, "closeButton")->text(), texts.value(sw::MsgId::UpdaterClose));

        const QImage shot = window.grab().toImage();
        if (const QString dir = qEnvironmentVariable("SW_SCREENSHOT_DIR"); !dir.isEmpty())
            shot.save(QStringLiteral("%1/updater-%2-%3-%4.png")
                          .arg(dir, language, look, success ? QStringLiteral("complete") : QStringLiteral("failed")));
        for (const QLabel *label : window.findChildren<QLabel *>()) {
            if (label->isVisible() && !label->text().isEmpty() && !label->wordWrap()) {
                const int needed = label->fontMetrics().horizontalAdvance(label->text());
                QVERIFY2(needed <= label->contentsRect().width(),
                    qPrintable(QStringLiteral("%1: %2 (%3 px short)")
                                   .arg(label->objectName(), label->text())
                                   .arg(needed - label->contentsRect().width())));
            }
            if (label->isVisible() && !label->text().isEmpty()) {
                const double ratio = sw::test::renderedContrast(label, &window, shot);
                QVERIFY2(ratio >= 4.5,
                    qPrintable(
                        QStringLiteral("%1: %2 (%3:1)").arg(label->objectName(), label->text()).arg(ratio, 0, 'f', 2)));
            }
        }
    }
};

QTEST_MAIN(tst_UpdateWindow)
#include "tst_UpdateWindow.moc"
