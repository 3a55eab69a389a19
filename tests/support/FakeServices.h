#pragma once

#include "Fakes.h"
#include "ScriptedMessages.h"

#include "ui/Services.h"

namespace sw::test {

// Every outside service faked, and the Services bundle that hands them to the windows.
struct FakeServices
{
    ScriptedMessages messages;
    FakeShell shell;
    FakeRegionalSettings regional;
    FakeVersionChecker checker;
    FakeImageBuilder imageBuilder;
    FakeIcmpEcho echo;
    FakeLauncher launcher;
    FakeFileChooser files;
    FakeClock clock;
    Services services { &messages, &shell, &regional, &checker, &imageBuilder, &echo, &launcher, &files, &clock };
};

} // namespace sw::test
