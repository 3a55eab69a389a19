#pragma once

#include <QString>
#include <memory>

namespace sw {

struct ProgramValues;
struct Services;
class TFTalventoFirmWare;

// The name of the program's desktop entry, without ".desktop".
inline constexpr char DesktopEntryName[] = "sw61942";

// Application-wide settings, made once by the program entry after the QApplication exists: the
// application's name (the title of the message boxes) and version, the desktop entry and the icon.
// No display name is set, since the platform would append it to every window caption.
void setUpApplication();

// Creates the windows of the configurator: the main window first (its creation runs the start-up
// and fills the catalogue the dialogs take their texts from), then each dialog once, when it is
// first needed, so the main window shows without waiting for them. The dialogs live hidden, as
// children of the main window, until it is destroyed.
class ConfiguratorApplication
{
public:
    // `programDir` and `languageDir` as the main window takes them.
    ConfiguratorApplication(
        ProgramValues &values, Services &services, const QString &programDir, const QString &languageDir = {});
    ~ConfiguratorApplication();

    ConfiguratorApplication(const ConfiguratorApplication &) = delete;
    ConfiguratorApplication &operator=(const ConfiguratorApplication &) = delete;

    TFTalventoFirmWare *mainWindow() const { return m_mainWindow.get(); }

private:
    std::unique_ptr<TFTalventoFirmWare> m_mainWindow;
};

} // namespace sw
