#pragma once

namespace sw {

class Messages;
class Shell;
class RegionalSettings;
class VersionChecker;
class ImageBuilder;
class IcmpEcho;
class Launcher;
class FileChooser;
class Clock;

// The outside services the dialogs use, handed down from the program entry; tests pass fakes.
struct Services
{
    Messages *messages = nullptr;
    Shell *shell = nullptr;
    RegionalSettings *regional = nullptr;
    VersionChecker *versionChecker = nullptr;
    ImageBuilder *imageBuilder = nullptr;
    IcmpEcho *echo = nullptr;
    Launcher *launcher = nullptr;
    FileChooser *files = nullptr;
    Clock *clock = nullptr;
};

} // namespace sw
