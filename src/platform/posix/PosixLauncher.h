#pragma once

#include "platform/Launcher.h"

namespace sw {

// Starts a program with posix_spawn (no search of PATH: `program` is a path to the file itself)
// with argv[0] alone, the inherited environment and working folder, and an empty signal mask.
// Its end is noticed through a pidfd; a program still running at the limit is left to a detached
// thread that reaps it when it ends.
class PosixLauncher final : public Launcher
{
public:
    StartResult Start_Program(const QString &program, std::chrono::milliseconds limit,
        const std::function<void()> &whileWaiting = {}) override;
};

} // namespace sw
