// Start-up and idle benchmark of the real executable: run it on the X display given by $DISPLAY
// (Xvfb, see tools/run-benchmarks.sh) with one simulated VANTIQ TROVIK, in the advanced view (or the
// simple view with --simple), and measure from outside the process:
//
//   startup_first_frame     time from starting the process to the first painted frame in its window
//                           (the first damage the X server reports after which the window shows a
//                           picture)
//   startup_window          the size the program gave its window by itself
//   startup_rss_5s          resident memory five seconds after the start
//   idle_cpu                with --idle-seconds N: the program's CPU time (user and system, from
//                           /proc/PID/stat) over N seconds of doing nothing, in per cent of one core,
//                           at the size the program chose, or after the window was resized to
//                           --size W x H
//   idle_damage_events      X damage events on its window per second over the same time, and the
//   idle_damage_rectangles  rectangles they carry per second
//
// With --program PATH another program is started in the mixer's place (the repaint floor), with
// one argument given by --program-argument.
//
// Every figure is one line "name: value unit".

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double millisecondsSince (Clock::time_point start)
{
    return std::chrono::duration<double, std::milli> (Clock::now() - start).count();
}

struct Options
{
    std::string program = KELVARO_APP_PATH;
    std::string programArgument;
    bool advanced = true;
    int idleSeconds = 0;
    bool resize = false;
    int width = 1600;
    int height = 1000;
};

Options parseOptions (int argc, char** argv)
{
    Options options;

    for (int i = 1; i < argc; ++i)
    {
        const std::string argument (argv[i]);

        if (argument == "--program" && i + 1 < argc)
            options.program = argv[++i];
        else if (argument == "--program-argument" && i + 1 < argc)
            options.programArgument = argv[++i];
        else if (argument == "--simple")
            options.advanced = false;
        else if (argument == "--idle-seconds" && i + 1 < argc)
            options.idleSeconds = std::max (0, std::atoi (argv[++i]));
        else if (argument == "--size" && i + 1 < argc)
            options.resize = std::sscanf (argv[++i], "%dx%d", &options.width, &options.height) == 2;
    }

    return options;
}

std::string escapeForRegistry (const std::string& text)
{
    std::string out;

    for (const auto c : text)
    {
        if (c == '\\' || c == '"')
            out += '\\';

        out += c;
    }

    return out;
}

bool writeFile (const std::string& path, const std::string& text)
{
    std::ofstream file (path, std::ios::binary);
    file << text;
    return static_cast<bool> (file);
}

/** A home of its own: the registry names the simulated library, the view mode is chosen. */
std::string prepareHome (bool advanced)
{
    char pattern[] = "/tmp/kelvaro-startup-home-XXXXXX";
    const char* home = ::mkdtemp (pattern);

    if (home == nullptr)
        return {};

    const std::string folder = std::string (home) + "/.config/Kelvaro";
    ::mkdir ((std::string (home) + "/.config").c_str(), 0700);
    ::mkdir (folder.c_str(), 0700);

    writeFile (folder + "/registry.reg",
               "Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_CLASSES_ROOT\\CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}\\InprocServer32]\r\n"
               "@=\"" + escapeForRegistry (KELVARO_SIMULATOR_PATH) + "\"\r\n");
    // The framework names the file "Kelvaro-Mixer." here (an empty suffix after a dot, which
    // Windows drops); both names, so that the choice is found either way.
    for (const auto* name : { "/Kelvaro-Mixer", "/Kelvaro-Mixer." })
        writeFile (folder + name,
                   std::string ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n<PROPERTIES>\n  <VALUE name=\"advanced\" val=\"")
                       + (advanced ? "1" : "0") + "\"/>\n</PROPERTIES>\n");
    return home;
}

/** VmRSS of the process in kB, 0 when it cannot be read. */
long residentKilobytes (pid_t pid)
{
    std::ifstream status ("/proc/" + std::to_string (pid) + "/status");
    std::string line;

    while (std::getline (status, line))
        if (line.rfind ("VmRSS:", 0) == 0)
            return std::atol (line.c_str() + 6);

    return 0;
}

/** User and system CPU time of the process in clock ticks, -1 when it cannot be read. */
long long cpuTicks (pid_t pid)
{
    std::ifstream file ("/proc/" + std::to_string (pid) + "/stat");
    std::string text;
    std::getline (file, text);

    // The command name in parentheses may hold spaces: the fields counted from its end.
    const auto close = text.rfind (')');

    if (close == std::string::npos)
        return -1;

    std::istringstream fields (text.substr (close + 2));
    std::string field;
    long long utime = -1, stime = -1;

    for (int index = 3; fields >> field; ++index)
    {
        if (index == 14)
            utime = std::atoll (field.c_str());
        else if (index == 15)
        {
            stime = std::atoll (field.c_str());
            break;
        }
    }

    return utime < 0 || stime < 0 ? -1 : utime + stime;
}

/** The program runs once per machine: the framework holds a lock on this file while it runs, and a
    second start only hands its command line over and ends. Waits (at most two minutes) until no
    other copy holds it, so that the run measured is a real start. */
bool waitForNoOtherInstance()
{
    const char* folder = ::access ("/var/tmp", W_OK) == 0 ? "/var/tmp" : "/tmp";
    const auto path = std::string (folder) + "/juceAppLock_Kelvaro Audio Mixer";
    const int file = ::open (path.c_str(), O_RDWR | O_CREAT, 0644);

    if (file < 0)
        return true;

    const auto start = Clock::now();
    bool free = false;

    while (! free && millisecondsSince (start) < 120000.0)
    {
        struct flock lock {};
        lock.l_whence = SEEK_SET;
        lock.l_type = F_WRLCK;

        free = ::fcntl (file, F_SETLK, &lock) == 0;

        if (! free)
            std::this_thread::sleep_for (std::chrono::milliseconds (100));
    }

    ::close (file);   // which releases the lock again
    return free;
}

/** True when three rows across the window (at a quarter, half and three quarters of its height)
    hold more than one colour: the main view is never one colour, a window not yet painted is. */
bool showsAPicture (Display* display, Drawable window)
{
    XWindowAttributes attributes {};

    if (XGetWindowAttributes (display, window, &attributes) == 0 || attributes.width <= 0 || attributes.height <= 0)
        return false;

    // Only the part of the window on the screen can be read back.
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates (display, window, DefaultRootWindow (display), 0, 0, &rootX, &rootY, &child);

    const int screenWidth = DisplayWidth (display, DefaultScreen (display));
    const int screenHeight = DisplayHeight (display, DefaultScreen (display));
    const int left = std::max (0, -rootX);
    const int right = std::min (attributes.width, screenWidth - rootX);
    const int top = std::max (0, -rootY);
    const int bottom = std::min (attributes.height, screenHeight - rootY);

    if (right <= left || bottom <= top)
        return false;

    bool found = false;
    unsigned long first = 0;

    for (int quarter = 1; quarter <= 3 && ! found; ++quarter)
    {
        XImage* row = XGetImage (display, window, left, top + (bottom - top) * quarter / 4,
                                 static_cast<unsigned> (right - left), 1, AllPlanes, ZPixmap);

        if (row == nullptr)
            continue;

        if (quarter == 1)
            first = XGetPixel (row, 0, 0);

        for (int x = 0; x < right - left && ! found; ++x)
            found = XGetPixel (row, x, 0) != first;

        XDestroyImage (row);
    }

    return found;
}

// Windows that cannot be watched (input-only ones, or ones already gone) are simply not watched.
int ignoreErrors (Display*, XErrorEvent*)
{
    return 0;
}

void stop (pid_t pid)
{
    ::kill (pid, SIGTERM);

    for (int i = 0; i < 40; ++i)
    {
        if (::waitpid (pid, nullptr, WNOHANG) == pid)
            return;

        std::this_thread::sleep_for (std::chrono::milliseconds (50));
    }

    ::kill (pid, SIGKILL);
    ::waitpid (pid, nullptr, 0);
}

/** Handles the X events that arrive within the given time. Damage is taken off at once (so that the
    next painting reports again) and counted with its rectangles; the first damage after which a
    window shows a picture is the first frame. */
class DamageWatch
{
public:
    DamageWatch (Display* displayToUse, int damageEventBase)
        : display (displayToUse), damageEvent (damageEventBase), parts (XFixesCreateRegion (displayToUse, nullptr, 0))
    {
    }

    /** Runs until the time has passed, or until the first frame when `untilFirstFrame` is set, or
        until the program has ended. Returns false when the program ended. */
    bool run (double milliseconds, pid_t pid, bool untilFirstFrame)
    {
        const auto start = Clock::now();
        const int connection = ConnectionNumber (display);

        while (millisecondsSince (start) < milliseconds && ! (untilFirstFrame && firstFrameWindow != 0))
        {
            if (XPending (display) == 0)
            {
                pollfd descriptor { connection, POLLIN, 0 };
                ::poll (&descriptor, 1, 20);

                if (::waitpid (pid, nullptr, WNOHANG) == pid)
                    return false;

                continue;
            }

            XEvent event;
            XNextEvent (display, &event);

            if (event.type == CreateNotify)
            {
                XDamageCreate (display, event.xcreatewindow.window, XDamageReportNonEmpty);
            }
            else if (event.type == damageEvent + XDamageNotify)
            {
                const auto& damage = reinterpret_cast<const XDamageNotifyEvent&> (event);
                XDamageSubtract (display, damage.damage, None, parts);

                int count = 0;

                if (XRectangle* rectangles = XFixesFetchRegion (display, parts, &count))
                    XFree (rectangles);

                ++events;
                rectangleCount += count;

                // The server reports a window's area as damaged when it is mapped, before anything
                // is drawn.
                if (firstFrameWindow == 0 && showsAPicture (display, damage.drawable))
                    firstFrameWindow = damage.drawable;
            }
        }

        return true;
    }

    void resetCounts()
    {
        events = 0;
        rectangleCount = 0;
    }

    Display* display;
    int damageEvent;
    XserverRegion parts;   // goes with the display's connection
    Window firstFrameWindow = 0;
    long long events = 0;
    long long rectangleCount = 0;
};
} // namespace

int main (int argc, char** argv)
{
    const auto options = parseOptions (argc, argv);
    Display* display = XOpenDisplay (nullptr);

    if (display == nullptr)
    {
        std::fprintf (stderr, "startup bench: no X display (run it under xvfb-run)\n");
        return 1;
    }

    XSetErrorHandler (&ignoreErrors);

    int damageEvent = 0, damageError = 0, fixesEvent = 0, fixesError = 0;

    if (! XDamageQueryExtension (display, &damageEvent, &damageError)
        || ! XFixesQueryExtension (display, &fixesEvent, &fixesError))
    {
        std::fprintf (stderr, "startup bench: the X server has no DAMAGE or XFIXES extension\n");
        return 1;
    }

    if (! waitForNoOtherInstance())
    {
        std::fprintf (stderr, "startup bench: another copy of the program keeps running\n");
        return 1;
    }

    const auto home = prepareHome (options.advanced);

    if (home.empty())
        return 1;

    // Every window created on the root from now on is watched for its painting.
    const Window root = DefaultRootWindow (display);
    XSelectInput (display, root, SubstructureNotifyMask);
    XSync (display, False);

    const auto start = Clock::now();
    const pid_t pid = ::fork();

    if (pid == 0)
    {
        ::setenv ("HOME", home.c_str(), 1);
        ::setenv ("KELVARO_SIM_DEVICES", "Trovik", 1);
        // The framework's complaints about the missing window manager are not ours to print.
        if (const int null = ::open ("/dev/null", O_WRONLY); null >= 0)
            ::dup2 (null, STDERR_FILENO);

        if (options.programArgument.empty())
            ::execl (options.program.c_str(), options.program.c_str(), static_cast<char*> (nullptr));
        else
            ::execl (options.program.c_str(), options.program.c_str(), options.programArgument.c_str(), static_cast<char*> (nullptr));
        std::_Exit (127);
    }

    DamageWatch watch (display, damageEvent);

    if (! watch.run (20000.0, pid, true))
    {
        std::fprintf (stderr, "startup bench: the program ended before painting\n");
        return 1;
    }

    const auto firstFrame = millisecondsSince (start);

    if (watch.firstFrameWindow == 0)
    {
        std::fprintf (stderr, "startup bench: no frame painted within 20 s\n");
        stop (pid);
        return 1;
    }

    XWindowAttributes attributes {};
    XGetWindowAttributes (display, watch.firstFrameWindow, &attributes);
    const int startWidth = attributes.width, startHeight = attributes.height;

    // Without a window manager the resize takes effect at once; the program lays itself out anew.
    if (options.resize)
    {
        XResizeWindow (display, watch.firstFrameWindow, static_cast<unsigned> (options.width),
                       static_cast<unsigned> (options.height));
        XFlush (display);
    }

    watch.run (5000.0 - millisecondsSince (start), pid, false);
    const auto rss = residentKilobytes (pid);

    std::printf ("startup_first_frame: %.1f ms\n", firstFrame);
    std::printf ("startup_window: %d x %d px\n", startWidth, startHeight);
    std::printf ("startup_rss_5s: %.1f MB\n", static_cast<double> (rss) / 1024.0);

    if (options.idleSeconds > 0)
    {
        XGetWindowAttributes (display, watch.firstFrameWindow, &attributes);
        watch.resetCounts();

        const auto ticksBefore = cpuTicks (pid);
        const auto idleStart = Clock::now();
        watch.run (options.idleSeconds * 1000.0, pid, false);
        const auto seconds = millisecondsSince (idleStart) / 1000.0;
        const auto ticksAfter = cpuTicks (pid);
        const auto cpu = 100.0 * static_cast<double> (ticksAfter - ticksBefore)
                         / static_cast<double> (::sysconf (_SC_CLK_TCK)) / seconds;

        std::printf ("idle_window: %d x %d px\n", attributes.width, attributes.height);
        std::printf ("idle_cpu: %.2f %%\n", cpu);
        std::printf ("idle_damage_events: %.1f per s\n", static_cast<double> (watch.events) / seconds);
        std::printf ("idle_damage_rectangles: %.1f per s\n", static_cast<double> (watch.rectangleCount) / seconds);
    }

    stop (pid);
    XCloseDisplay (display);
    std::system (("rm -rf '" + home + "'").c_str());
    return rss > 0 ? 0 : 1;
}
