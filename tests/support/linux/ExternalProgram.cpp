#include "support/linux/ExternalProgram.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{
int exitCodeOf (int status)
{
    if (WIFEXITED (status))
        return WEXITSTATUS (status);

    if (WIFSIGNALED (status))
        return 128 + WTERMSIG (status);

    return -1;
}

std::vector<std::string> makeEnvironment (const ExternalProgram::Environment& overrides)
{
    std::vector<std::string> result;

    for (auto** variable = environ; variable != nullptr && *variable != nullptr; ++variable)
    {
        const std::string entry (*variable);
        const auto name = entry.substr (0, entry.find ('='));
        const auto replaced = std::any_of (overrides.begin(), overrides.end(),
                                           [&name] (const auto& o) { return o.first.toStdString() == name; });
        if (! replaced)
            result.push_back (entry);
    }

    for (const auto& [name, value] : overrides)
        result.push_back (name.toStdString() + "=" + value.toStdString());

    return result;
}

std::vector<char*> pointersTo (std::vector<std::string>& strings)
{
    std::vector<char*> pointers;

    for (auto& s : strings)
        pointers.push_back (s.data());

    pointers.push_back (nullptr);
    return pointers;
}
} // namespace

ExternalProgram::ExternalProgram (const juce::StringArray& arguments, const Environment& environment,
                                  const juce::File& outputFile)
{
    start (arguments, environment, outputFile, outputFile);
}

ExternalProgram::~ExternalProgram()
{
    if (isRunning())
        kill();
}

void ExternalProgram::start (const juce::StringArray& arguments, const Environment& environment,
                             const juce::File& outputFile, const juce::File& errorFile)
{
    if (arguments.isEmpty())
        return;

    // Everything the child needs is prepared before fork(): after it only exec-safe calls.
    std::vector<std::string> argumentStrings;

    for (const auto& a : arguments)
        argumentStrings.push_back (a.toStdString());

    auto environmentStrings = makeEnvironment (environment);
    auto argv = pointersTo (argumentStrings);
    auto envp = pointersTo (environmentStrings);
    const auto outputPath = outputFile.getFullPathName().toStdString();
    const auto errorPath = errorFile.getFullPathName().toStdString();
    const auto parentPid = ::getpid();

    const auto child = ::fork();

    if (child == 0)
    {
        ::setpgid (0, 0);
        ::prctl (PR_SET_PDEATHSIG, SIGKILL);

        if (::getppid() != parentPid)
            ::_exit (126);

        const auto out = ::open (outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const auto err = ::open (errorPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const auto in = ::open ("/dev/null", O_RDONLY);

        if (out < 0 || err < 0 || in < 0)
            ::_exit (126);

        ::dup2 (in, 0);
        ::dup2 (out, 1);
        ::dup2 (err, 2);

        ::execvpe (argv[0], argv.data(), envp.data());
        ::_exit (127);
    }

    if (child > 0)
    {
        // Also here, so that kill() reaches the group even before the child has run.
        ::setpgid (child, child);
        pid = child;
    }
}

bool ExternalProgram::isRunning()
{
    if (pid <= 0 || exitCode >= 0)
        return false;

    int status = 0;
    const auto result = ::waitpid (pid, &status, WNOHANG);

    if (result == 0)
        return true;

    exitCode = result == pid ? exitCodeOf (status) : 255;
    return false;
}

int ExternalProgram::waitForExit (int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + static_cast<juce::uint32> (juce::jmax (0, timeoutMs));

    while (isRunning())
    {
        if (juce::Time::getMillisecondCounter() >= deadline)
            return -1;

        juce::Thread::sleep (5);
    }

    return exitCode;
}

void ExternalProgram::kill()
{
    if (! isRunning())
        return;

    ::kill (-pid, SIGKILL);
    ::kill (pid, SIGKILL);

    int status = 0;
    ::waitpid (pid, &status, 0);
    exitCode = exitCodeOf (status);
}

ExternalProgram::Result ExternalProgram::run (const juce::StringArray& arguments, const Environment& environment,
                                              int timeoutMs)
{
    const juce::TemporaryFile output;
    const juce::TemporaryFile errors;
    Result result;

    {
        ExternalProgram program;
        program.start (arguments, environment, output.getFile(), errors.getFile());

        if (! program.wasStarted())
            return result;

        result.exitCode = program.waitForExit (timeoutMs);
    }

    result.output = output.getFile().loadFileAsString();
    result.errors = errors.getFile().loadFileAsString();
    return result;
}

bool ExternalProgram::isInstalled (const juce::String& name)
{
    const auto path = juce::StringArray::fromTokens (juce::SystemStats::getEnvironmentVariable ("PATH", {}), ":", {});

    for (const auto& folder : path)
    {
        if (! juce::File::isAbsolutePath (folder))
            continue;

        const auto candidate = juce::File (folder).getChildFile (name);

        if (candidate.existsAsFile() && ::access (candidate.getFullPathName().toRawUTF8(), X_OK) == 0)
            return true;
    }

    return false;
}
