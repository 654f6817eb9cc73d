#pragma once

// The work area that the window manager announces: the part of the screen that its panels and
// docks leave to windows. Windows itself tells programs its work area (the framework reads it), so
// there is nothing to ask for there.

#include <cstdint>
#include <optional>
#include <vector>

namespace win
{
class WorkArea
{
public:
    /** A rectangle of the screen in its physical pixels. */
    struct Rect
    {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;

        bool operator== (const Rect& other) const noexcept
        {
            return x == other.x && y == other.y && width == other.width && height == other.height;
        }

        bool operator!= (const Rect& other) const noexcept { return ! operator== (other); }
    };

    /** The work area of the current desktop on the X display of that name (DISPLAY when null):
        the root window's _NET_WORKAREA entry for _NET_CURRENT_DESKTOP, or for desktop 0. Nothing
        when there is no display to connect to, when no window manager announces a work area, and
        on Windows. It costs one short connection to the X server. */
    static std::optional<Rect> query (const char* displayName = nullptr);

    /** The entry of _NET_WORKAREA's values (x, y, width and height for each desktop in turn) for
        the current desktop; desktop 0's when the current desktop is not known or has no entry;
        nothing without an entry for desktop 0 or when the entry is empty or out of range. */
    static std::optional<Rect> pick (const std::vector<std::uint32_t>& values, std::optional<std::uint32_t> currentDesktop);
};
} // namespace win
