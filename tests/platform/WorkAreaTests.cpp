#include "platform/desktop/WorkArea.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

// _NET_WORKAREA holds x, y, width and height for each desktop in turn; _NET_CURRENT_DESKTOP the
// number of the desktop shown.

namespace win
{
inline void PrintTo (const WorkArea::Rect& r, std::ostream* os)
{
    *os << r.x << ", " << r.y << ", " << r.width << " x " << r.height;
}
} // namespace win

TEST (WorkArea, IsTheCurrentDesktopsEntry)
{
    const std::vector<std::uint32_t> twoDesktops { 0, 0, 1920, 1160, 60, 40, 1860, 1160 };

    EXPECT_EQ (win::WorkArea::pick (twoDesktops, 1u), (win::WorkArea::Rect { 60, 40, 1860, 1160 }));
    EXPECT_EQ (win::WorkArea::pick (twoDesktops, 0u), (win::WorkArea::Rect { 0, 0, 1920, 1160 }));
}

TEST (WorkArea, IsDesktopZerosEntryWithoutOneForTheCurrentDesktop)
{
    const std::vector<std::uint32_t> twoDesktops { 0, 0, 1920, 1160, 60, 40, 1860, 1160 };

    // Current desktop unknown, or beyond the entries (some window managers give one entry only).
    EXPECT_EQ (win::WorkArea::pick (twoDesktops, std::nullopt), (win::WorkArea::Rect { 0, 0, 1920, 1160 }));
    EXPECT_EQ (win::WorkArea::pick (twoDesktops, 2u), (win::WorkArea::Rect { 0, 0, 1920, 1160 }));
    EXPECT_EQ (win::WorkArea::pick ({ 60, 40, 1860, 1160 }, 3u), (win::WorkArea::Rect { 60, 40, 1860, 1160 }));

    // An empty entry for the current desktop.
    EXPECT_EQ (win::WorkArea::pick ({ 0, 0, 1920, 1160, 0, 0, 0, 0 }, 1u), (win::WorkArea::Rect { 0, 0, 1920, 1160 }));
}

TEST (WorkArea, IsNothingWithoutAUsableEntryForDesktopZero)
{
    constexpr auto tooLarge = static_cast<std::uint32_t> (std::numeric_limits<int>::max()) + 1u;

    EXPECT_FALSE (win::WorkArea::pick ({}, std::nullopt));
    EXPECT_FALSE (win::WorkArea::pick ({ 0, 0, 1920 }, 0u));
    EXPECT_FALSE (win::WorkArea::pick ({ 0, 0, 0, 1160 }, 0u));
    EXPECT_FALSE (win::WorkArea::pick ({ 0, 0, 1920, 0 }, 0u));
    EXPECT_FALSE (win::WorkArea::pick ({ tooLarge, 0, 1920, 1160 }, 0u));
    EXPECT_FALSE (win::WorkArea::pick ({ 0, 0, tooLarge, 1160 }, 0u));
    EXPECT_FALSE (win::WorkArea::pick ({ 100, 0, tooLarge - 100, 1160 }, 0u));
}

TEST (WorkArea, IsNothingWithoutADisplay)
{
    // A display that nobody serves (on Windows there is never anything to ask).
    EXPECT_FALSE (win::WorkArea::query (":65535"));
}
