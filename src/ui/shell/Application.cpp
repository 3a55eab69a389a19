#include "ui/shell/Application.h"

#include "core/ProgramValues.h"
#include "ui/documents/UIEC61850_Variables.h"
#include "ui/documents/UParGen.h"
#include "ui/documents/UTLS_Server_Known_Cert.h"
#include "ui/options/USoftOptions.h"
#include "ui/shell/UAbout.h"
#include "ui/shell/UNew_Project.h"
#include "ui/shell/UOpenConf.h"
#include "ui/shell/UTalventoFirmWare.h"
#include "ui/update/UBoot.h"

#include "ui/shell/Icons.h"

#include <QGuiApplication>

namespace sw {

void setUpApplication()
{
    QCoreApplication::setApplicationName(QString::fromLatin1(SWCodeText));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(Program_Version));
    // Ties the windows to the desktop entry sw61942.desktop, so that docks and task bars show its
    // name and icon. On X11 the entry's StartupWMClass names the class part of WM_CLASS, which is
    // the application name.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopEntryName));
    QGuiApplication::setWindowIcon(icons::program());
}

ConfiguratorApplication::ConfiguratorApplication(
    ProgramValues &values, Services &services, const QString &programDir, const QString &languageDir)
    : m_mainWindow(std::make_unique<TFTalventoFirmWare>(values, services, programDir, languageDir))
{
    TFTalventoFirmWare *main = m_mainWindow.get();
    using Dialog = TFTalventoFirmWare::Dialog;
    main->setDialogCreator([&values, &services, main](Dialog which) -> QDialog * {
        switch (which) {
        case Dialog::NewProject:
            return new TFNew_Project(values, services, main);
        case Dialog::OpenConf:
            return new TFOpenConf(values, services, main);
        case Dialog::About:
            return new TFAbout(values, services, main);
        case Dialog::SoftOptions: {
            auto *options = new TFSoftOptions(values, services, main);
            QObject::connect(options, &TFSoftOptions::languageChanged, main, &TFTalventoFirmWare::Change_Language);
            return options;
        }
        case Dialog::ParGen:
            return new TFParGen(values, services, main);
        case Dialog::TlsKnownCert:
            return new TFTLS_Server_Known_Cert(values, services, main);
        case Dialog::Iec61850Variables:
            return new TFIEC61850_Variables(values, services, main);
        case Dialog::Boot:
            return new TFBoot(values, services, main);
        }
        return nullptr;
    });
}

ConfiguratorApplication::~ConfiguratorApplication() = default;

} // namespace sw
