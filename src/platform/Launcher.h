#pragma once

#include <QString>
#include <chrono>
#include <functional>

namespace sw {

// Starts the external updater and waits for it.
class Launcher
{
public:
    virtual ~Launcher() = default;

    // Starts `program` with an empty command line in the inherited working folder and waits until
    // it ends or `limit` has passed, noticing its end within about 10 ms. Returns whether it was
    // started; a program that cannot be started returns false at once. After the limit the program
    // keeps running on its own and leaves no zombie behind when it ends later. `whileWaiting`,
    // when given, is called about every 10 ms during the wait.
    virtual bool Start_Program(
        const QString &program, std::chrono::milliseconds limit, const std::function<void()> &whileWaiting = {})
        = 0;
};

} // namespace sw
