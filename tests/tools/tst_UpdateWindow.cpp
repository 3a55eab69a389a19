// The updater's window fed by a transfer that the test drives through its signals: what the
// keyboard and closing the window do while the transfer runs and after it, and how texts from the
// parameter file and the network are shown.

#include "Ethernet_Update/Transfer.h"
#include "Ethernet_Update/UpdateWindow.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using updater::Operation;
using updater::Transfer;
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
};

QTEST_MAIN(tst_UpdateWindow)
#include "tst_UpdateWindow.moc"
