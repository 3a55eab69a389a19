// Prints how long each dialog takes to open for the first time: making it (it is made on first
// use), showing it and its first paint. Run on a display (bench_start's Xvfb or any other);
// without one it falls back to the offscreen platform. Prints figures only; never fails on speed.
#include "ProgramFolder.h"

#include "ui/shell/Application.h"
#include "ui/shell/UTalventoFirmWare.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QWindow>
#include <cstdio>

namespace {

// Waits, bounded, until the window is exposed, looking every 0.2 ms: the test library's own wait
// sleeps 10 ms between looks, which would hide what is measured here.
bool waitExposed(QWidget *widget, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!(widget->windowHandle() && widget->windowHandle()->isExposed())) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::usleep(200);
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    sw::test::ProgramFolder program;
    if (!program.rememberConfiguration(QStringLiteral("Bench")))
        return 1;
    sw::ConfiguratorApplication configurator(program.pv, program.services, program.dir.path());
    sw::TFTalventoFirmWare *main = configurator.mainWindow();
    main->show();
    if (!QTest::qWaitForWindowExposed(main, 5000))
        return 1;
    // The main window's first paint and what the platform does after a first window are not the
    // dialogs' cost.
    QTest::qWait(300);

    using Dialog = sw::TFTalventoFirmWare::Dialog;
    const std::pair<Dialog, const char *> dialogs[] = { { Dialog::NewProject, "new configuration" },
        { Dialog::OpenConf, "open configuration" }, { Dialog::About, "about" }, { Dialog::SoftOptions, "options" },
        { Dialog::ParGen, "communication parameters" }, { Dialog::TlsKnownCert, "TLS known certificates" },
        { Dialog::Iec61850Variables, "IEC 61850 variables" }, { Dialog::Boot, "update device" } };
    for (const auto &[which, name] : dialogs) {
        QElapsedTimer timer;
        timer.start();
        QDialog *dialog = main->dialog(which);
        const double madeMs = double(timer.nsecsElapsed()) / 1e6;
        dialog->show();
        const bool exposed = waitExposed(dialog, 5000);
        QCoreApplication::processEvents();
        const double shownMs = double(timer.nsecsElapsed()) / 1e6;
        dialog->hide();
        std::printf("%-26s made %6.1f ms, shown and painted %6.1f ms%s\n", name, madeMs, shownMs,
            exposed ? "" : " (never exposed)");
    }
    return 0;
}
