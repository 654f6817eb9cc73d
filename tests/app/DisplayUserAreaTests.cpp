#include "app/DisplayUserArea.h"

#include <gtest/gtest.h>

// The work area that a window manager announces is in the X screen's physical pixels and spans
// all of its displays; a display's user area is that part of it which lies on the display, in the
// display's logical pixels.

namespace juce
{
inline void PrintTo (const Rectangle<int>& r, std::ostream* os) { *os << r.toString(); }
} // namespace juce

namespace
{
juce::Displays::Display display (juce::Rectangle<int> logical, juce::Point<int> topLeftPhysical, double scale)
{
    juce::Displays::Display d;
    d.totalArea = logical;
    d.userArea = logical;
    d.topLeftPhysical = topLeftPhysical;
    d.scale = scale;
    return d;
}
} // namespace

TEST (DisplayUserArea, IsThePartOfTheDisplayInsideTheWorkArea)
{
    const auto screen = display ({ 0, 0, 1920, 1200 }, {}, 1.0);

    // Panels at the top (40) and on the left (60); one at the bottom (40).
    EXPECT_EQ (DisplayUserArea::within (screen, juce::Rectangle<int> (60, 40, 1860, 1160)), juce::Rectangle<int> (60, 40, 1860, 1160));
    EXPECT_EQ (DisplayUserArea::within (screen, juce::Rectangle<int> (0, 0, 1920, 1160)), juce::Rectangle<int> (0, 0, 1920, 1160));

    // No work area announced, or one that leaves nothing of this display: the framework's area.
    EXPECT_EQ (DisplayUserArea::within (screen, std::nullopt), screen.userArea);
    EXPECT_EQ (DisplayUserArea::within (screen, juce::Rectangle<int> (1920, 0, 1920, 1200)), screen.userArea);
}

TEST (DisplayUserArea, IsInTheDisplaysLogicalPixelsThatLieWhollyInsideTheWorkArea)
{
    // 1920 x 1200 at 1.25 is 1536 x 960 logical pixels. Panels of 60 and 40 physical pixels are
    // 48 and 32 logical ones; a panel of 41 leaves the logical row at 32 (40 to 41.25) partly
    // under it, and one of 39 at the bottom the row at 928 (1160 to 1161.25).
    const auto screen = display ({ 0, 0, 1536, 960 }, {}, 1.25);

    EXPECT_EQ (DisplayUserArea::within (screen, juce::Rectangle<int> (60, 40, 1860, 1160)), juce::Rectangle<int> (48, 32, 1488, 928));
    EXPECT_EQ (DisplayUserArea::within (screen, juce::Rectangle<int> (0, 41, 1920, 1159)), juce::Rectangle<int> (0, 33, 1536, 927));
    EXPECT_EQ (DisplayUserArea::within (screen, juce::Rectangle<int> (0, 0, 1920, 1161)), juce::Rectangle<int> (0, 0, 1536, 928));

    // At 1.5: 1280 x 800, a panel of 40 at the top is 26.67 logical pixels.
    EXPECT_EQ (DisplayUserArea::within (display ({ 0, 0, 1280, 800 }, {}, 1.5), juce::Rectangle<int> (0, 40, 1920, 1160)),
               juce::Rectangle<int> (0, 27, 1280, 773));
}

TEST (DisplayUserArea, TakesOnlyItsOwnDisplaysPartOfAWorkAreaAcrossDisplays)
{
    // Two screens side by side, the second at 1.25, under a panel along the top of both: the work
    // area spans the X screen, 3840 x 1200 less the panel's 40 pixels.
    const juce::Rectangle<int> workArea (0, 40, 3840, 1160);
    const auto left = display ({ 0, 0, 1920, 1200 }, {}, 1.0);
    const auto right = display ({ 1920, 0, 1536, 960 }, { 1920, 0 }, 1.25);

    EXPECT_EQ (DisplayUserArea::within (left, workArea), juce::Rectangle<int> (0, 40, 1920, 1160));
    EXPECT_EQ (DisplayUserArea::within (right, workArea), juce::Rectangle<int> (1920, 32, 1536, 928));
}

TEST (DisplayUserArea, KeepsAUserAreaThatTheFrameworkKnows)
{
    // Where the framework's user area is not the whole display (Windows tells it the work area),
    // it stands, whatever a window manager might announce.
    auto withTaskBar = display ({ 0, 0, 1920, 1200 }, {}, 1.0);
    withTaskBar.userArea = { 0, 0, 1920, 1152 };
    EXPECT_EQ (DisplayUserArea::within (withTaskBar, juce::Rectangle<int> (60, 40, 1860, 1160)), juce::Rectangle<int> (0, 0, 1920, 1152));
}
