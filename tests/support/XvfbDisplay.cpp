#include "support/XvfbDisplay.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <csignal>
#include <dlfcn.h>
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

    // Display numbers well away from :0, which every process without DISPLAY tries: other test
    // processes must never find this short-lived server.
    const auto first = 200 + static_cast<int> (::getpid() % 700);

    for (int number = first; number < first + 20 && displayName.isEmpty(); ++number)
        startServer (number);

    if (displayName.isEmpty())
    {
        problem = "Xvfb is not installed or did not start (it is needed for the tests with real windows)";
        return;
    }

    ::setenv ("DISPLAY", displayName.toRawUTF8(), 1);
    internWindowManagerAtoms();
}

void XvfbDisplay::startServer (int number)
{
    int fds[2] = { -1, -1 };

    if (::pipe (fds) != 0)
        return;

    // Everything the child needs is prepared before fork(): after it only exec-safe calls.
    const auto displayArg = ":" + std::to_string (number);
    const auto fdText = std::to_string (fds[1]);
    const char* const args[] = { "Xvfb", displayArg.c_str(), "-displayfd", fdText.c_str(), "-screen", "0",
                                 "1280x1024x24", "-nolisten", "tcp", "-noreset", nullptr };
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
        return;
    }

    // Xvfb writes the number once it accepts connections; it ends at once when the number is taken.
    const auto reported = readDisplayNumber (fds[0], 20000);
    ::close (fds[0]);

    if (reported == juce::String (number))
    {
        serverPid = pid;
        displayName = ":" + reported;
        return;
    }

    ::kill (pid, SIGTERM);
    int status = 0;
    ::waitpid (pid, &status, 0);
}

void XvfbDisplay::internWindowManagerAtoms() const
{
    // Without a window manager the server lacks the atoms that one would create, and the framework
    // asks for window properties by them all the time, each time earning an error message.
    // The atoms outlive this connection (the server runs with -noreset).
    auto* library = ::dlopen ("libX11.so.6", RTLD_NOW | RTLD_LOCAL);

    if (library == nullptr)
        return;

    using OpenDisplay = void* (*) (const char*);
    using InternAtom = unsigned long (*) (void*, const char*, int);
    using CloseDisplay = int (*) (void*);

    auto openDisplay = reinterpret_cast<OpenDisplay> (::dlsym (library, "XOpenDisplay"));
    auto internAtom = reinterpret_cast<InternAtom> (::dlsym (library, "XInternAtom"));
    auto closeDisplay = reinterpret_cast<CloseDisplay> (::dlsym (library, "XCloseDisplay"));

    if (openDisplay != nullptr && internAtom != nullptr && closeDisplay != nullptr)
    {
        if (auto* connection = openDisplay (displayName.toRawUTF8()))
        {
            for (const auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING",
                                      "WM_CHANGE_STATE", "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE",
                                      "_NET_WM_STATE_HIDDEN", "_NET_WM_STATE_FULLSCREEN", "_NET_FRAME_EXTENTS",
                                      "_MOTIF_WM_HINTS", "_NET_WM_ALLOWED_ACTIONS" })
                internAtom (connection, name, 0);

            closeDisplay (connection);
        }
    }

    ::dlclose (library);
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
