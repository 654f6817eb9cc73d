#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <string>

/**
    The test executable started once more as a helper that does one thing with a named event in a
    process of its own, under the event names of the test process that starts it, and tells by its
    exit code whether it could (0: yes).

        EXPECT_EQ (EventHelperProcess::run (EventHelperProcess::Action::signal, "PNPdeviceChange"), 0);
*/
class EventHelperProcess
{
public:
    enum class Action
    {
        signal,               // opens the event by name, sets it and closes it again
        joinAndSignal,        // creates the event, which must exist already, sets it and closes it
        signalAndCrash,       // creates the event, sets it and ends without closing anything
        comeAndGo             // creates or opens the event, checks and sets it, closes it, and so on
                              // until told to stop (EventSharingRecord; more: the record file, its number)
    };

    /** Runs the helper to its end: its exit code, or -1 when it did not start or end within 30 s. */
    static int run (Action action, const std::string& eventName);

    /** Starts the helper with more arguments and leaves it running; null when it did not start. */
    static std::unique_ptr<juce::ChildProcess> start (Action action, const std::string& eventName,
                                                      const juce::StringArray& more);

    /** True when the test executable was started as a helper; main then returns helperMain(). */
    static bool isHelper (int argc, char** argv);
    static int helperMain (int argc, char** argv);
};
