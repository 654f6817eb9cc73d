#include "support/linux/XvfbServer.h"

#include <csignal>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace
{
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

/** A window that has gone in the meantime is no reason to end the process, as Xlib's own handler does. */
int ignoreXError (Display*, XErrorEvent*)
{
    return 0;
}

/** The few Xlib calls used here, loaded at run time: the tests do not link against Xlib. */
class Xlib
{
public:
    Xlib()
        : library (::dlopen ("libX11.so.6", RTLD_NOW | RTLD_LOCAL))
    {
        if (library == nullptr)
            return;

        openDisplay = reinterpret_cast<decltype (openDisplay)> (::dlsym (library, "XOpenDisplay"));
        closeDisplay = reinterpret_cast<decltype (closeDisplay)> (::dlsym (library, "XCloseDisplay"));
        internAtom = reinterpret_cast<decltype (internAtom)> (::dlsym (library, "XInternAtom"));
        sendEvent = reinterpret_cast<decltype (sendEvent)> (::dlsym (library, "XSendEvent"));
        changeProperty = reinterpret_cast<decltype (changeProperty)> (::dlsym (library, "XChangeProperty"));
        sync = reinterpret_cast<decltype (sync)> (::dlsym (library, "XSync"));
        setErrorHandler = reinterpret_cast<decltype (setErrorHandler)> (::dlsym (library, "XSetErrorHandler"));
        deleteProperty = reinterpret_cast<decltype (deleteProperty)> (::dlsym (library, "XDeleteProperty"));
    }

    ~Xlib()
    {
        if (library != nullptr)
            ::dlclose (library);
    }

    bool isLoaded() const noexcept
    {
        return openDisplay != nullptr && closeDisplay != nullptr && internAtom != nullptr
            && sendEvent != nullptr && changeProperty != nullptr && sync != nullptr && setErrorHandler != nullptr
            && deleteProperty != nullptr;
    }

    Display* (*openDisplay) (const char*) = nullptr;
    int (*closeDisplay) (Display*) = nullptr;
    Atom (*internAtom) (Display*, const char*, int) = nullptr;
    int (*sendEvent) (Display*, Window, int, long, XEvent*) = nullptr;
    int (*changeProperty) (Display*, Window, Atom, Atom, int, int, const unsigned char*, int) = nullptr;
    int (*sync) (Display*, int) = nullptr;
    XErrorHandler (*setErrorHandler) (XErrorHandler) = nullptr;
    int (*deleteProperty) (Display*, Window, Atom) = nullptr;

private:
    void* library = nullptr;

    JUCE_DECLARE_NON_COPYABLE (Xlib)
};
} // namespace

XvfbServer::XvfbServer (int screenWidth, int screenHeight)
{
    const auto screenSize = juce::String (screenWidth) + "x" + juce::String (screenHeight) + "x24";

    // Display numbers well away from :0, which every process without DISPLAY tries: other test
    // processes must never find this short-lived server. A number in use makes Xvfb end at once.
    const auto first = 200 + static_cast<int> (::getpid() % 700);

    for (int number = first; number < first + 20 && displayName.isEmpty(); ++number)
        start (number, screenSize);

    if (displayName.isNotEmpty())
        internWindowManagerAtoms();
}

XvfbServer::~XvfbServer()
{
    if (serverPid > 0)
    {
        ::kill (serverPid, SIGTERM);
        int status = 0;
        ::waitpid (serverPid, &status, 0);
    }
}

void XvfbServer::start (int number, const juce::String& screenSize)
{
    int fds[2] = { -1, -1 };

    if (::pipe (fds) != 0)
        return;

    // Everything the child needs is prepared before fork(): after it only exec-safe calls.
    const auto displayArg = ":" + std::to_string (number);
    const auto fdText = std::to_string (fds[1]);
    const auto screenArg = screenSize.toStdString();
    const char* const args[] = { "Xvfb", displayArg.c_str(), "-displayfd", fdText.c_str(), "-screen", "0",
                                 screenArg.c_str(), "-nolisten", "tcp", "-noreset", nullptr };
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

void XvfbServer::internWindowManagerAtoms() const
{
    // Without a window manager the server lacks the atoms that one would create, and the framework
    // asks for window properties by them all the time, each time earning an error message. It
    // also only offers the protocols whose atoms exist when it connects. The atoms outlive this
    // connection (the server runs with -noreset).
    Xlib x;

    if (! x.isLoaded())
        return;

    if (auto* connection = x.openDisplay (displayName.toRawUTF8()))
    {
        for (const auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING",
                                  "WM_CHANGE_STATE", "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE",
                                  "_NET_WM_STATE_HIDDEN", "_NET_WM_STATE_FULLSCREEN", "_NET_FRAME_EXTENTS",
                                  "_MOTIF_WM_HINTS", "_NET_WM_ALLOWED_ACTIONS" })
            x.internAtom (connection, name, 0);

        x.closeDisplay (connection);
    }
}

bool XvfbServer::sendCloseRequest (unsigned long window) const
{
    return sendClientMessage (window, "WM_PROTOCOLS", "WM_DELETE_WINDOW");
}

bool XvfbServer::sendWakeUp (unsigned long window) const
{
    return sendClientMessage (window, "KELVARO_TEST_WAKE_UP", nullptr);
}

bool XvfbServer::setFrameExtents (unsigned long window, int left, int right, int top, int bottom) const
{
    return withConnection ([&] (Xlib& x, Display* connection)
    {
        // 32-bit properties travel as longs in Xlib's calls.
        const long extents[] = { left, right, top, bottom };
        x.changeProperty (connection, window, x.internAtom (connection, "_NET_FRAME_EXTENTS", 0), XA_CARDINAL, 32,
                          PropModeReplace, reinterpret_cast<const unsigned char*> (extents), 4);
        return true;
    });
}

bool XvfbServer::setRootCardinals (const char* name, const std::vector<long>& values) const
{
    return withConnection ([&] (Xlib& x, Display* connection)
    {
        x.changeProperty (connection, DefaultRootWindow (connection), x.internAtom (connection, name, 0), XA_CARDINAL, 32,
                          PropModeReplace, reinterpret_cast<const unsigned char*> (values.data()),
                          static_cast<int> (values.size()));
        return true;
    });
}

bool XvfbServer::deleteRootProperty (const char* name) const
{
    return withConnection ([&] (Xlib& x, Display* connection)
    {
        x.deleteProperty (connection, DefaultRootWindow (connection), x.internAtom (connection, name, 0));
        return true;
    });
}

bool XvfbServer::sendClientMessage (unsigned long window, const char* type, const char* data) const
{
    return withConnection ([&] (Xlib& x, Display* connection)
    {
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = x.internAtom (connection, type, 0);
        event.xclient.format = 32;
        event.xclient.data.l[0] = data != nullptr ? static_cast<long> (x.internAtom (connection, data, 0)) : 0;
        event.xclient.data.l[1] = CurrentTime;
        return x.sendEvent (connection, window, 0, NoEventMask, &event) != 0;
    });
}

template <typename Request>
bool XvfbServer::withConnection (Request&& request) const
{
    Xlib x;

    if (! isRunning() || ! x.isLoaded())
        return false;

    auto* connection = x.openDisplay (displayName.toRawUTF8());

    if (connection == nullptr)
        return false;

    // A window that has gone in the meantime only fails the request.
    const auto previousHandler = x.setErrorHandler (&ignoreXError);
    const bool done = request (x, connection);
    x.sync (connection, 0);
    x.closeDisplay (connection);
    x.setErrorHandler (previousHandler);
    return done;
}
