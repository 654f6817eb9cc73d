#pragma once

#include <juce_core/juce_core.h>

#include <sys/types.h>

#include <utility>
#include <vector>

/**
    A program that a test starts and must never leave behind.

    The program runs in a process group of its own with the test's environment plus the given
    variables; its output and error output are appended to a file. It ends when the test process
    ends, and the destructor kills it (the whole group) if it still runs.

        ExternalProgram mixer ({ appPath }, { { "HOME", home } }, logFile);
        ...
        const auto exitCode = mixer.waitForExit (10000);

    run() is the short form for tools that do one thing and end (xdotool, import).
*/
class ExternalProgram
{
public:
    /** Variables to set for the program, over those of the test process. */
    using Environment = std::vector<std::pair<juce::String, juce::String>>;

    ExternalProgram (const juce::StringArray& arguments, const Environment& environment, const juce::File& outputFile);
    ~ExternalProgram();

    /** False when the program could not be started at all. */
    bool wasStarted() const noexcept { return pid > 0; }

    bool isRunning();

    /** Waits at most timeoutMs for the program to end. Its exit code; 128 + the signal when a
        signal ended it; -1 when it still runs (or never started). */
    int waitForExit (int timeoutMs);

    /** Ends the program and its group at once. */
    void kill();

    struct Result
    {
        int exitCode = -1;      // -1: did not start or did not end in time (then it was killed)
        juce::String output;    // standard output
        juce::String errors;    // error output
    };

    /** Runs a program to its end, within a time limit. */
    static Result run (const juce::StringArray& arguments, const Environment& environment, int timeoutMs);

    /** True when the program can be found on PATH. */
    static bool isInstalled (const juce::String& name);

private:
    void start (const juce::StringArray& arguments, const Environment& environment,
                const juce::File& outputFile, const juce::File& errorFile);

    ExternalProgram() = default;

    pid_t pid = -1;
    int exitCode = -1;

    JUCE_DECLARE_NON_COPYABLE (ExternalProgram)
};
