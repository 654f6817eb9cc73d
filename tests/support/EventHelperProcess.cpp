#include "support/EventHelperProcess.h"

#include "platform/WinEvents.h"
#include "platform/WinModules.h"
#include "platform/driverside/WinEventSignals.h"
#include "support/platform/TestEventNames.h"
#include "support/EventSharingRecord.h"

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
        case EventHelperProcess::Action::comeAndGo:      return "come-and-go";
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

// One of the processes of a sharing run (EventSharingRecord): one handle at a time, created or
// now and then opened, held for a moment or two.
int comeAndGo (const char* name, const char* recordPath, int number)
{
    juce::MemoryMappedFile mapping (juce::File (recordPath), juce::MemoryMappedFile::readWrite, false);

    if (mapping.getData() == nullptr || mapping.getSize() < sizeof (EventSharingRecord) || number < 1)
        return 1;

    auto& record = *static_cast<EventSharingRecord*> (mapping.getData());
    juce::Random random;

    while (record.stop.load() == 0)
    {
        const bool opens = random.nextInt (4) == 0;
        auto* event = opens ? win::OpenEventA (win::EVENT_MODIFY_STATE | win::SYNCHRONIZE, 0, name)
                            : win::CreateEventA (nullptr, 0, 0, name);

        if (event == nullptr)
        {
            if (! opens || win::GetLastError() != win::ERROR_FILE_NOT_FOUND)
            {
                const EventSharingRecord::ScopedLock lock (record);
                ++record.failures;
            }

            continue;
        }

        {
            const EventSharingRecord::ScopedLock lock (record);
            const bool signalled = win::WaitForMultipleObjects (1, &event, 0, 0) == win::WAIT_OBJECT_0;

            if (record.pendingSignaller != 0)
            {
                ++record.checks;
                record.misses += signalled ? 0 : 1;
            }

            record.failures += win::SetEvent (event) != 0 ? 0 : 1;
            record.pendingSignaller = number;
        }

        juce::Thread::sleep (random.nextInt (3));

        {
            const EventSharingRecord::ScopedLock lock (record);

            if (record.pendingSignaller == number)
                record.pendingSignaller = 0;

            ++record.rounds;
        }

        if (win::CloseHandle (event) == 0)
        {
            const EventSharingRecord::ScopedLock lock (record);
            ++record.failures;
        }

        juce::Thread::sleep (random.nextInt (2));
    }

    return 0;
}

juce::StringArray argumentsFor (EventHelperProcess::Action action, const std::string& eventName)
{
    const auto self = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName();
    return { self, helperOption, nameOf (action), win::TestEventNames::prefix(), eventName };
}
} // namespace

int EventHelperProcess::run (Action action, const std::string& eventName)
{
    juce::ChildProcess child;

    if (! child.start (argumentsFor (action, eventName), 0) || ! child.waitForProcessToFinish (30000))
        return -1;

    return static_cast<int> (child.getExitCode());
}

std::unique_ptr<juce::ChildProcess> EventHelperProcess::start (Action action, const std::string& eventName,
                                                               const juce::StringArray& more)
{
    auto arguments = argumentsFor (action, eventName);
    arguments.addArray (more);
    auto child = std::make_unique<juce::ChildProcess>();
    return child->start (arguments, 0) ? std::move (child) : nullptr;
}

bool EventHelperProcess::isHelper (int argc, char** argv)
{
    return argc >= 5 && std::strcmp (argv[1], helperOption) == 0;
}

int EventHelperProcess::helperMain (int argc, char** argv)
{
    const std::string action = argv[2];
    win::TestEventNames::use (argv[3]);

    if (action == nameOf (Action::signal))
        return signal (argv[4]);

    if (action == nameOf (Action::joinAndSignal))
        return joinAndSignal (argv[4]);

    if (action == nameOf (Action::signalAndCrash))
        return signalAndCrash (argv[4]);

    if (action == nameOf (Action::comeAndGo) && argc == 7)
        return comeAndGo (argv[4], argv[5], std::atoi (argv[6]));

    return 3;
}
