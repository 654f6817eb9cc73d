#include "support/EventHelperProcess.h"

#include "platform/WinEvents.h"
#include "platform/WinModules.h"
#include "platform/driverside/WinEventSignals.h"
#include "platform/testing/TestEventNames.h"

#include <juce_core/juce_core.h>

#include <cstdlib>
#include <cstring>

namespace
{
constexpr const char* helperOption = "--kelvaro-event-helper";

const char* nameOf (EventHelperProcess::Action action)
{
    switch (action)
    {
        case EventHelperProcess::Action::signal:         return "signal";
        case EventHelperProcess::Action::joinAndSignal:  return "join-and-signal";
        case EventHelperProcess::Action::signalAndCrash: return "signal-and-crash";
    }

    return "";
}

int signal (const char* name)
{
    auto* event = win::OpenEventA (win::EVENT_MODIFY_STATE, 0, name);
    const bool signalled = event != nullptr && win::SetEvent (event) != 0;

    if (event != nullptr)
        win::CloseHandle (event);

    return signalled ? 0 : 1;
}

int joinAndSignal (const char* name)
{
    auto* event = win::CreateEventA (nullptr, 0, 0, name);

    if (event == nullptr)
        return 1;

    const bool joined = win::GetLastError() == win::ERROR_ALREADY_EXISTS;
    const bool signalled = win::SetEvent (event) != 0;
    win::CloseHandle (event);
    return joined && signalled ? 0 : 2;
}

// What a crash leaves behind: an event that is still set and was never closed.
int signalAndCrash (const char* name)
{
    auto* event = win::CreateEventA (nullptr, 0, 0, name);

    if (event == nullptr || win::SetEvent (event) == 0)
        return 1;

    std::_Exit (0);
}
} // namespace

int EventHelperProcess::run (Action action, const std::string& eventName)
{
    juce::ChildProcess child;
    const auto self = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName();

    if (! child.start (juce::StringArray { self, helperOption, nameOf (action), win::TestEventNames::prefix(), eventName }, 0)
        || ! child.waitForProcessToFinish (30000))
        return -1;

    return static_cast<int> (child.getExitCode());
}

bool EventHelperProcess::isHelper (int argc, char** argv)
{
    return argc == 5 && std::strcmp (argv[1], helperOption) == 0;
}

int EventHelperProcess::helperMain (int, char** argv)
{
    const std::string action = argv[2];
    win::TestEventNames::use (argv[3]);

    if (action == nameOf (Action::signal))
        return signal (argv[4]);

    if (action == nameOf (Action::joinAndSignal))
        return joinAndSignal (argv[4]);

    if (action == nameOf (Action::signalAndCrash))
        return signalAndCrash (argv[4]);

    return 3;
}
