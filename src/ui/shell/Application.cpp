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

ConfiguratorApplication::ConfiguratorApplication(ProgramValues &values, Services &services, const QString &programDir)
    : m_mainWindow(std::make_unique<TFTalventoFirmWare>(values, services, programDir))
{
    TFTalventoFirmWare *main = m_mainWindow.get();
    TFTalventoFirmWare::Dialogs dialogs;
    dialogs.newProject = new TFNew_Project(values, services, main);
    dialogs.openConf = new TFOpenConf(values, services, main);
    dialogs.about = new TFAbout(values, services, main);
    dialogs.softOptions = new TFSoftOptions(values, services, main);
    dialogs.parGen = new TFParGen(values, services, main);
    dialogs.tlsKnownCert = new TFTLS_Server_Known_Cert(values, services, main);
    dialogs.iec61850Variables = new TFIEC61850_Variables(values, services, main);
    dialogs.boot = new TFBoot(values, services, main);
    main->setDialogs(dialogs);
    QObject::connect(static_cast<TFSoftOptions *>(dialogs.softOptions), &TFSoftOptions::languageChanged, main,
        &TFTalventoFirmWare::Change_Language);
}

ConfiguratorApplication::~ConfiguratorApplication() = default;

} // namespace sw
