#include "platform/desktop/WorkArea.h"

#include <limits>
#include <type_traits>

#ifndef _WIN32
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#endif

namespace win
{
#ifndef _WIN32
namespace
{
/** The few Xlib calls that the query makes, from the library loaded when it is first asked for,
    as the framework loads it: a program (or a test) that never asks does not load it at all. The
    library stays loaded. */
struct Xlib
{
    decltype (&::XOpenDisplay) openDisplay = nullptr;
    decltype (&::XCloseDisplay) closeDisplay = nullptr;
    decltype (&::XDefaultRootWindow) defaultRootWindow = nullptr;
    decltype (&::XInternAtom) internAtom = nullptr;
    decltype (&::XGetWindowProperty) getWindowProperty = nullptr;
    decltype (&::XFree) free = nullptr;

    bool isValid() const
    {
        return openDisplay != nullptr && closeDisplay != nullptr && defaultRootWindow != nullptr
            && internAtom != nullptr && getWindowProperty != nullptr && free != nullptr;
    }

    static const Xlib& get()
    {
        static const Xlib xlib = []
        {
            Xlib loaded;

            if (auto* library = ::dlopen ("libX11.so.6", RTLD_LAZY | RTLD_LOCAL))
            {
                const auto bind = [library] (auto& function, const char* name)
                {
                    function = reinterpret_cast<std::remove_reference_t<decltype (function)>> (::dlsym (library, name));
                };

                bind (loaded.openDisplay, "XOpenDisplay");
                bind (loaded.closeDisplay, "XCloseDisplay");
                bind (loaded.defaultRootWindow, "XDefaultRootWindow");
                bind (loaded.internAtom, "XInternAtom");
                bind (loaded.getWindowProperty, "XGetWindowProperty");
                bind (loaded.free, "XFree");
            }

            return loaded;
        }();

        return xlib;
    }
};

/** A property of 32-bit CARDINALs of the window, at most maxItems of them; none when the window
    has no such property (or the server has never heard of its name). */
std::vector<std::uint32_t> readCardinals (const Xlib& xlib, ::Display* display, ::Window window, const char* name, long maxItems)
{
    std::vector<std::uint32_t> values;
    const auto property = xlib.internAtom (display, name, True);

    if (property == None)
        return values;

    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;

    if (xlib.getWindowProperty (display, window, property, 0, maxItems, False, XA_CARDINAL, &type, &format, &count,
                            &remaining, &data) == Success
        && type == XA_CARDINAL && format == 32 && data != nullptr)
    {
        // 32-bit items come as longs in Xlib's calls.
        const auto* items = reinterpret_cast<const unsigned long*> (data);

        for (unsigned long i = 0; i < count; ++i)
            values.push_back (static_cast<std::uint32_t> (items[i] & 0xffffffffUL));
    }

    if (data != nullptr)
        xlib.free (data);

    return values;
}
} // namespace
#endif

std::optional<WorkArea::Rect> WorkArea::query (const char* displayName)
{
#ifdef _WIN32
    (void) displayName;
    return std::nullopt;
#else
    const auto& xlib = Xlib::get();

    if (! xlib.isValid())
        return std::nullopt;

    auto* display = xlib.openDisplay (displayName);

    if (display == nullptr)
        return std::nullopt;

    // Four values per desktop; no desktop manager has anywhere near a thousand.
    const auto root = xlib.defaultRootWindow (display);
    const auto areas = readCardinals (xlib, display, root, "_NET_WORKAREA", 4 * 1024);
    const auto current = readCardinals (xlib, display, root, "_NET_CURRENT_DESKTOP", 1);
    xlib.closeDisplay (display);

    return pick (areas, current.empty() ? std::nullopt : std::optional<std::uint32_t> (current.front()));
#endif
}

std::optional<WorkArea::Rect> WorkArea::pick (const std::vector<std::uint32_t>& values, std::optional<std::uint32_t> currentDesktop)
{
    const auto entryFor = [&values] (std::size_t desktop) -> std::optional<Rect>
    {
        if (desktop >= values.size() / 4)
            return std::nullopt;

        constexpr auto largest = static_cast<std::uint32_t> (std::numeric_limits<int>::max());
        const auto* entry = values.data() + 4 * desktop;

        for (std::size_t i = 0; i < 4; ++i)
            if (entry[i] > largest)
                return std::nullopt;

        if (entry[2] == 0 || entry[3] == 0 || entry[0] > largest - entry[2] || entry[1] > largest - entry[3])
            return std::nullopt;

        return Rect { static_cast<int> (entry[0]), static_cast<int> (entry[1]),
                      static_cast<int> (entry[2]), static_cast<int> (entry[3]) };
    };

    if (currentDesktop)
        if (const auto area = entryFor (*currentDesktop))
            return area;

    return entryFor (0);
}
} // namespace win
