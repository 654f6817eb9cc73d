// Start-up benchmark of the real executable: run it on the X display given by $DISPLAY (Xvfb, see
// tools/run-benchmarks.sh) with one simulated VANTIQ TROVIK and the advanced view chosen, and
// measure the time from starting the process to the first painted frame in its window (the first
// damage the X server reports after which the window shows a picture) and its resident memory
// five seconds after the start.
//
// Output: "startup_first_frame: <ms> ms" and "startup_rss_5s: <MB> MB".

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{
using Clock = std::chrono::steady_clock;

double millisecondsSince (Clock::time_point start)
{
    return std::chrono::duration<double, std::milli> (Clock::now() - start).count();
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

/** A home of its own: the registry names the simulated library, the advanced view is chosen. */
std::string prepareHome()
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
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n<PROPERTIES>\n  <VALUE name=\"advanced\" val=\"1\"/>\n</PROPERTIES>\n");
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
} // namespace

int main()
{
    Display* display = XOpenDisplay (nullptr);

    if (display == nullptr)
    {
        std::fprintf (stderr, "startup bench: no X display (run it under xvfb-run)\n");
        return 1;
    }

    XSetErrorHandler (&ignoreErrors);

    int damageEvent = 0, damageError = 0;

    if (! XDamageQueryExtension (display, &damageEvent, &damageError))
    {
        std::fprintf (stderr, "startup bench: the X server has no DAMAGE extension\n");
        return 1;
    }

    if (! waitForNoOtherInstance())
    {
        std::fprintf (stderr, "startup bench: another copy of the program keeps running\n");
        return 1;
    }

    const auto home = prepareHome();

    if (home.empty())
        return 1;

    // Every window created on the root from now on is watched for its first painting.
    const Window root = DefaultRootWindow (display);
    XSelectInput (display, root, SubstructureNotifyMask);
    XSync (display, False);

    const auto start = Clock::now();
    const pid_t pid = ::fork();

    if (pid == 0)
    {
        ::setenv ("HOME", home.c_str(), 1);
        ::setenv ("KELVARO_SIM_DEVICES", "Trovik", 1);
        ::setenv ("KELVARO_EVENT_PREFIX", ("kelvaro-startup-" + std::to_string (::getpid()) + "-").c_str(), 1);
        // The framework's complaints about the missing window manager are not ours to print.
        if (const int null = ::open ("/dev/null", O_WRONLY); null >= 0)
            ::dup2 (null, STDERR_FILENO);

        ::execl (KELVARO_APP_PATH, KELVARO_APP_PATH, static_cast<char*> (nullptr));
        std::_Exit (127);
    }

    double firstFrame = -1.0;
    const int connection = ConnectionNumber (display);

    while (firstFrame < 0.0 && millisecondsSince (start) < 20000.0)
    {
        if (XPending (display) == 0)
        {
            pollfd descriptor { connection, POLLIN, 0 };
            ::poll (&descriptor, 1, 50);

            if (::waitpid (pid, nullptr, WNOHANG) == pid)
            {
                std::fprintf (stderr, "startup bench: the program ended before painting\n");
                return 1;
            }

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
            // The server reports a window's area as damaged when it is mapped, before anything is
            // drawn; the first frame is the first damage after which the window shows a picture.
            const auto at = millisecondsSince (start);
            const auto& damage = reinterpret_cast<const XDamageNotifyEvent&> (event);
            XDamageSubtract (display, damage.damage, None, None);

            if (showsAPicture (display, damage.drawable))
                firstFrame = at;
        }
    }

    if (firstFrame < 0.0)
    {
        std::fprintf (stderr, "startup bench: no frame painted within 20 s\n");
        stop (pid);
        return 1;
    }

    const auto waitMs = 5000.0 - millisecondsSince (start);

    if (waitMs > 0.0)
        std::this_thread::sleep_for (std::chrono::duration<double, std::milli> (waitMs));

    const auto rss = residentKilobytes (pid);
    stop (pid);
    XCloseDisplay (display);
    std::system (("rm -rf '" + home + "'").c_str());

    std::printf ("startup_first_frame: %.1f ms\n", firstFrame);
    std::printf ("startup_rss_5s: %.1f MB\n", static_cast<double> (rss) / 1024.0);
    return rss > 0 ? 0 : 1;
}
