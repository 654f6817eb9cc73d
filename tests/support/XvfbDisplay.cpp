#include "support/XvfbDisplay.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
juce::JUCEApplicationBase* createNoApplication()
{
    return nullptr;
}

/** Reads the display number that Xvfb writes once it accepts connections. */
juce::String readDisplayNumber (int fd, int timeoutMs)
{
    juce::String number;
    const auto deadline = juce::Time::getMillisecondCounter() + static_cast<juce::uint32> (timeoutMs);

    for (;;)
    {
        const auto now = juce::Time::getMillisecondCounter();

        if (now >= deadline)
            return {};

        pollfd p { fd, POLLIN, 0 };

        if (::poll (&p, 1, static_cast<int> (deadline - now)) <= 0)
            return {};

        char c = 0;

        if (::read (fd, &c, 1) != 1)
            return {};

        if (c == '\n')
            return number;

        number << c;
    }
}
} // namespace

XvfbDisplay& XvfbDisplay::get()
{
    // A function-local static: it goes after main() has returned, so the server outlives the
    // framework's X connection (Xlib ends the process when its server vanishes under it).
    static XvfbDisplay display;
    return display;
}

XvfbDisplay::XvfbDisplay()
{
    if (juce::JUCEApplicationBase::createInstance == nullptr)
        juce::JUCEApplicationBase::createInstance = &createNoApplication;

    int fds[2] = { -1, -1 };

    if (::pipe (fds) != 0)
    {
        problem = "no pipe for Xvfb";
        return;
    }

    // Everything the child needs is prepared before fork(): after it only exec-safe calls.
    const auto fdText = std::to_string (fds[1]);
    const char* const args[] = { "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", "1280x1024x24",
                                 "-nolisten", "tcp", nullptr };
    const auto parentPid = ::getpid();

    const auto pid = ::fork();

    if (pid == 0)
    {
        ::prctl (PR_SET_PDEATHSIG, SIGTERM);

        if (::getppid() != parentPid)
            ::_exit (1);

        ::close (fds[0]);

        if (const auto devNull = ::open ("/dev/null", O_RDWR); devNull >= 0)
        {
            ::dup2 (devNull, 1);
            ::dup2 (devNull, 2);
        }

        ::execvp (args[0], const_cast<char* const*> (args));
        ::_exit (127);
    }

    ::close (fds[1]);

    if (pid < 0)
    {
        ::close (fds[0]);
        problem = "could not start Xvfb";
        return;
    }

    serverPid = pid;
    const auto number = readDisplayNumber (fds[0], 20000);
    ::close (fds[0]);

    if (number.isEmpty() || ! number.containsOnly ("0123456789"))
    {
        problem = "Xvfb is not installed or did not start (it is needed for the tests with real windows)";
        return;
    }

    displayName = ":" + number;
    ::setenv ("DISPLAY", displayName.toRawUTF8(), 1);
}

XvfbDisplay::~XvfbDisplay()
{
    if (serverPid > 0)
    {
        ::kill (serverPid, SIGTERM);
        int status = 0;
        ::waitpid (serverPid, &status, 0);
    }
}

bool XvfbDisplay::isUsable() const
{
    return displayName.isNotEmpty() && ! juce::Desktop::getInstance().getDisplays().displays.isEmpty();
}

juce::String XvfbDisplay::getProblem() const
{
    if (problem.isNotEmpty())
        return problem;

    if (displayName.isEmpty())
        return "no X server";

    return "the window system was set up before Xvfb started; run this test in a process of its own";
}
