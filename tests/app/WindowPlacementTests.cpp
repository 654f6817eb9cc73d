#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

#include <utility>

// The main window on a screen of 1920 x 1200 physical pixels under a window manager whose frame
// has borders of 1 pixel, a title bar of 20 and a bottom edge of 5 (openbox's), at display scales
// 1, 1.25 and 1.5. The window system is played here as it behaves: the framework's X11 peer
// reports the frame divided by the scale and truncated, gives the window its bounds in physical
// pixels (scaled and rounded), announces the window's maximum size to the window manager less the
// reported frame, and asks for the frame's top-left at the window's position less the reported
// frame times the scale, truncated; the window manager puts the frame there and keeps the window
// within the announced maximum.

namespace juce
{
inline void PrintTo (const Rectangle<int>& r, std::ostream* os) { *os << r.toString(); }
inline void PrintTo (const Point<int>& p, std::ostream* os) { *os << p.toString(); }
inline void PrintTo (const BorderSize<int>& b, std::ostream* os)
{
    *os << b.getTop() << " " << b.getLeft() << " " << b.getBottom() << " " << b.getRight();
}
} // namespace juce

namespace
{
const juce::BorderSize<int> physicalFrame (20, 1, 5, 1);
const juce::Rectangle<int> physicalScreen (0, 0, 1920, 1200);

/** A display as the framework describes it: its logical area is the physical one divided by the
    scale and rounded; all of it is the user area. */
juce::Displays::Display displayAt (double scale, juce::Rectangle<int> physical = physicalScreen,
                                   juce::Point<int> logicalTopLeft = {})
{
    juce::Displays::Display display;
    display.isMain = true;
    display.totalArea = (physical.withZeroOrigin().toDouble() / scale).toNearestInt() + logicalTopLeft;
    display.userArea = display.totalArea;
    display.topLeftPhysical = physical.getTopLeft();
    display.scale = scale;
    return display;
}

class Screen
{
public:
    explicit Screen (double s, juce::Displays::Display d)
        : scale (s), display (d), reported (physicalFrame.multipliedBy (1.0 / s)),
          placement (display, display.userArea, reported)
    {
    }

    explicit Screen (double s) : Screen (s, displayAt (s)) {}

    /** What the main view does when it gives the window a new size: the size within the window's
        maximum (the user area's size) and what leaves the frame room, then the position. */
    juce::Rectangle<int> resize (juce::Rectangle<int> bounds, int wantedWidth, int wantedHeight) const
    {
        const auto sized = bounds.withSize (juce::jmin (wantedWidth, placement.largestWidth (display.userArea.getWidth())),
                                            juce::jmin (wantedHeight, placement.largestHeight (display.userArea.getHeight())));
        return sized.withPosition (placement.topLeftFor (sized));
    }

    /** Where the frame lies on the screen, in physical pixels, once the window system has the
        window's bounds. */
    juce::Rectangle<int> frameOnScreen (juce::Rectangle<int> bounds) const
    {
        const auto physical = ((bounds.toFloat() - display.totalArea.getTopLeft().toFloat()) * scale
                               + display.topLeftPhysical.toFloat()).toNearestInt();
        const auto offset = reported.multipliedBy (scale);
        const auto widest = static_cast<int> (scale * display.userArea.getWidth()) - reported.getLeftAndRight();
        const auto tallest = static_cast<int> (scale * display.userArea.getHeight()) - reported.getTopAndBottom();
        return { physical.getX() - offset.getLeft(), physical.getY() - offset.getTop(),
                 juce::jmin (physical.getWidth(), widest) + physicalFrame.getLeftAndRight(),
                 juce::jmin (physical.getHeight(), tallest) + physicalFrame.getTopAndBottom() };
    }

    /** The simple view's window, centred as the application centres it. */
    juce::Rectangle<int> centredSimpleView() const
    {
        return display.totalArea.withSizeKeepingCentre (800, 550);
    }

    /** The main view's placement before it counted in physical pixels: the reported frame added
        to the window's bounds and the whole kept on the user area, all in logical pixels; the
        size only within the window's maximum. */
    juce::Rectangle<int> resizeInLogicalPixels (juce::Rectangle<int> bounds, int wantedWidth, int wantedHeight) const
    {
        const auto area = display.userArea;
        const auto sized = bounds.withSize (juce::jmin (wantedWidth, area.getWidth()), juce::jmin (wantedHeight, area.getHeight()));
        const auto outer = reported.addedTo (sized);
        const auto left = juce::jmax (area.getX(), juce::jmin (outer.getX(), area.getRight() - outer.getWidth()));
        const auto top = juce::jmax (area.getY(), juce::jmin (outer.getY(), area.getBottom() - outer.getHeight()));
        return sized.translated (left - outer.getX(), top - outer.getY());
    }

    double scale;
    juce::Displays::Display display;
    juce::BorderSize<int> reported;
    WindowPlacement placement;
};

// The advanced views' sizes: the Pexa's and the Sulka's 8 strips and 16 input rows, the TROVIK's
// 17 strips and 34 rows.
constexpr int pexaWidth = 1300, pexaHeight = 1030;
constexpr int trovikWidth = 2200, trovikHeight = 1570;
} // namespace

TEST (WindowPlacement, CountsTheLargestFrameThatThePeerReportsAsItDoes)
{
    // At 1.25 the peer reports 0/16/4 for borders of 1, 20 and 5, but as much for 1, 21 and 6.
    const Screen one (1.0), quarter (1.25), half (1.5);

    EXPECT_EQ (quarter.reported, juce::BorderSize<int> (16, 0, 4, 0));
    EXPECT_EQ (half.reported, juce::BorderSize<int> (13, 0, 3, 0));

    EXPECT_EQ (one.placement.getLargestPhysicalFrame(), juce::BorderSize<int> (20, 1, 5, 1));
    EXPECT_EQ (quarter.placement.getLargestPhysicalFrame(), juce::BorderSize<int> (21, 1, 6, 1));
    EXPECT_EQ (half.placement.getLargestPhysicalFrame(), juce::BorderSize<int> (20, 1, 5, 1));

    // What the peer takes off the window's position when it moves it.
    EXPECT_EQ (one.placement.getFrameOffset(), juce::BorderSize<int> (20, 1, 5, 1));
    EXPECT_EQ (quarter.placement.getFrameOffset(), juce::BorderSize<int> (20, 0, 5, 0));
    EXPECT_EQ (half.placement.getFrameOffset(), juce::BorderSize<int> (19, 0, 4, 0));

    for (const auto* screen : { &one, &quarter, &half })
        EXPECT_EQ (screen->placement.getPhysicalUserArea(), physicalScreen) << screen->scale;
}

TEST (WindowPlacement, AtScaleOneTheFramedWindowIsPlacedAsInLogicalPixels)
{
    const Screen screen (1.0);
    const auto start = screen.centredSimpleView();
    ASSERT_EQ (start, juce::Rectangle<int> (560, 325, 800, 550));

    // The window manager's limit leaves the frame its room: the maximum is the user area's size.
    EXPECT_EQ (screen.placement.largestWidth (1920), 1920);
    EXPECT_EQ (screen.placement.largestHeight (1200), 1200);

    const auto pexa = screen.resize (start, pexaWidth, pexaHeight);
    EXPECT_EQ (pexa, juce::Rectangle<int> (560, 165, 1300, 1030));
    EXPECT_EQ (pexa, screen.resizeInLogicalPixels (start, pexaWidth, pexaHeight));
    EXPECT_EQ (screen.frameOnScreen (pexa), juce::Rectangle<int> (559, 145, 1302, 1055));

    // Larger than the screen with its frame: the frame's top-left at the screen's, and the window
    // manager keeps the window to 1918 x 1175.
    const auto trovik = screen.resize (start, trovikWidth, trovikHeight);
    EXPECT_EQ (trovik, juce::Rectangle<int> (1, 20, 1920, 1200));
    EXPECT_EQ (trovik, screen.resizeInLogicalPixels (start, trovikWidth, trovikHeight));
    EXPECT_EQ (screen.frameOnScreen (trovik), physicalScreen);
}

TEST (WindowPlacement, AtScaleOneAndAQuarterTheWholeFrameLiesOnTheScreen)
{
    const Screen screen (1.25);
    const auto start = screen.centredSimpleView();
    ASSERT_EQ (start, juce::Rectangle<int> (368, 205, 800, 550));

    // Counted in logical pixels, the windows went where they were seen: the Pexa's and the
    // Sulka's frames 1627 x 1205 at 295, 0, the TROVIK's 1922 x 1205 at 0, 0.
    EXPECT_EQ (screen.frameOnScreen (screen.resizeInLogicalPixels (start, pexaWidth, pexaHeight)),
               juce::Rectangle<int> (295, 0, 1627, 1205));
    EXPECT_EQ (screen.frameOnScreen (screen.resizeInLogicalPixels (start, trovikWidth, trovikHeight)),
               juce::Rectangle<int> (0, 0, 1922, 1205));

    // The window manager would let the window be 1920 x 1180, which its frame makes too large.
    EXPECT_EQ (screen.placement.largestWidth (1536), 1534);
    EXPECT_EQ (screen.placement.largestHeight (960), 938);

    const auto pexa = screen.resize (start, pexaWidth, pexaHeight);
    EXPECT_EQ (pexa, juce::Rectangle<int> (234, 17, 1300, 938));
    EXPECT_EQ (screen.frameOnScreen (pexa), juce::Rectangle<int> (292, 1, 1627, 1197));

    const auto trovik = screen.resize (start, trovikWidth, trovikHeight);
    EXPECT_EQ (trovik, juce::Rectangle<int> (0, 17, 1534, 938));
    EXPECT_EQ (screen.frameOnScreen (trovik), juce::Rectangle<int> (0, 1, 1920, 1197));

    // Where the window manager left the Pexa's window (its client area at 296, 20, 1625 x 1180),
    // the next size change brings it back as well.
    const auto seen = screen.resize ({ 237, 16, 1300, 944 }, pexaWidth, pexaHeight);
    EXPECT_EQ (seen, juce::Rectangle<int> (234, 16, 1300, 938));
    EXPECT_EQ (screen.frameOnScreen (seen), juce::Rectangle<int> (292, 0, 1627, 1197));
}

TEST (WindowPlacement, AtScaleOneAndAHalfTheWholeFrameLiesOnTheScreen)
{
    const Screen screen (1.5);
    const auto start = screen.centredSimpleView();
    ASSERT_EQ (start, juce::Rectangle<int> (240, 125, 800, 550));

    // The Pexa's view too is wider than the screen's 1280 logical pixels.
    EXPECT_EQ (screen.placement.largestWidth (1280), 1279);
    EXPECT_EQ (screen.placement.largestHeight (800), 783);

    for (const auto& [width, height] : { std::pair (pexaWidth, pexaHeight), std::pair (trovikWidth, trovikHeight) })
    {
        const auto window = screen.resize (start, width, height);
        EXPECT_EQ (window, juce::Rectangle<int> (0, 13, 1279, 783)) << width;
        EXPECT_EQ (screen.frameOnScreen (window), juce::Rectangle<int> (0, 1, 1920, 1199)) << width;
    }
}

TEST (WindowPlacement, AWindowThatFitsStaysAndOneThatDoesNotKeepsItsTitleBarOnTheArea)
{
    // Larger than the screen either way (as the window's minimum is on a small display): the
    // frame's top-left corner at the screen's. At 1.5 no logical position puts the frame's top at
    // 0: 12 gives the window 18 physical pixels down, 13 gives it 19.5, rounded to 20.
    for (const auto& [scale, frameTopLeft] : { std::pair (1.0, juce::Point<int> (0, 0)),
                                               std::pair (1.25, juce::Point<int> (0, 0)),
                                               std::pair (1.5, juce::Point<int> (0, 1)) })
    {
        const Screen screen (scale);
        const auto simple = screen.centredSimpleView();
        EXPECT_EQ (screen.placement.topLeftFor (simple), simple.getPosition()) << scale;

        const auto large = screen.placement.topLeftFor ({ 100, 100, 2000, 1300 });
        EXPECT_EQ (screen.frameOnScreen (juce::Rectangle<int> (2000, 1300).withPosition (large)).getTopLeft(),
                   frameTopLeft) << scale;
    }

    // The Pexa one physical pixel too far right at 1.25 goes back by a logical pixel (to 292.5,
    // which the framework rounds to 292); one where its frame just fits stays.
    const Screen screen (1.25);
    EXPECT_EQ (screen.placement.topLeftFor ({ 235, 17, 1300, 938 }), juce::Point<int> (234, 17));
    EXPECT_EQ (screen.frameOnScreen ({ 235, 17, 1300, 938 }).getRight(), 1921);
    EXPECT_EQ (screen.placement.topLeftFor ({ 234, 17, 1300, 938 }), juce::Point<int> (234, 17));

    // Past the left and the top edge, title bar above the screen: its frame's top-left goes to
    // the screen's (the title bar of 20 physical pixels is 16 logical ones).
    EXPECT_EQ (screen.placement.topLeftFor ({ -10, -5, 1300, 938 }), juce::Point<int> (0, 16));
    EXPECT_EQ (screen.frameOnScreen ({ 0, 16, 1300, 938 }).getTopLeft(), juce::Point<int>());
}

TEST (WindowPlacement, AWindowThatFitsOnlyAtAPixelThatTheScaleSkipsKeepsItsTitleBarOnTheArea)
{
    // At 1.5 the logical rows 27 and 28 begin at physical rows 40 (40.5 rounded) and 42: none at
    // 41, where a panel of 41 pixels ends. A window of 771 logical rows (1156 physical) with a
    // frame reported as 0 at the top and 1 at the bottom (up to 1 and 2 physical pixels) fits the
    // 1159 rows below the panel only at 41: it goes to 42, its frame's top edge below the panel,
    // rather than to 40, under it.
    const auto display = displayAt (1.5);
    const WindowPlacement placement (display, { 0, 27, 1280, 773 }, { 0, 0, 1, 0 });
    ASSERT_EQ (placement.getPhysicalUserArea(), juce::Rectangle<int> (0, 41, 1920, 1159));
    ASSERT_EQ (placement.getLargestPhysicalFrame(), juce::BorderSize<int> (1, 1, 2, 1));
    ASSERT_EQ (placement.toPhysical ({ 0, 100, 800, 771 }).getHeight(), 1156);

    EXPECT_EQ (placement.topLeftFor ({ 0, 100, 800, 771 }), juce::Point<int> (0, 28));
    EXPECT_EQ (placement.toPhysical ({ 0, 28, 800, 771 }).getY(), 42);
}

TEST (WindowPlacement, WorksInThePhysicalPixelsOfADisplayBesideAnother)
{
    // A second screen to the right of the first, at 1.25: its logical area begins where the
    // first one's ends.
    const auto display = displayAt (1.25, physicalScreen.translated (1920, 0), { 1536, 0 });
    ASSERT_EQ (display.totalArea, juce::Rectangle<int> (1536, 0, 1536, 960));
    const Screen screen (1.25, display);

    EXPECT_EQ (screen.placement.getPhysicalUserArea(), physicalScreen.translated (1920, 0));
    EXPECT_EQ (screen.placement.toPhysical ({ 1536 + 234, 17, 1300, 938 }), juce::Rectangle<int> (1920 + 292, 21, 1625, 1172));

    const auto pexa = screen.resize (screen.centredSimpleView(), pexaWidth, pexaHeight);
    EXPECT_EQ (pexa, juce::Rectangle<int> (1536 + 234, 17, 1300, 938));
    EXPECT_EQ (screen.frameOnScreen (pexa), juce::Rectangle<int> (1920 + 292, 1, 1627, 1197));
}

TEST (WindowPlacement, TheUserAreaInPhysicalPixelsHoldsOnlyPixelsWhollyInsideIt)
{
    // 1366 x 768 at 1.25 is 1092.8 x 614.4 logical pixels, which the framework rounds to
    // 1093 x 614: the last logical column reaches a quarter of a pixel past the screen, the last
    // row ends half a pixel before its end.
    const auto display = displayAt (1.25, { 0, 0, 1366, 768 });
    ASSERT_EQ (display.totalArea, juce::Rectangle<int> (0, 0, 1093, 614));
    EXPECT_EQ (WindowPlacement (display, display.userArea, {}).getPhysicalUserArea(), juce::Rectangle<int> (0, 0, 1366, 767));

    // A work area below a panel of 41 physical pixels begins at 33 logical (41.25).
    EXPECT_EQ (WindowPlacement (display, { 0, 33, 1093, 581 }, {}).getPhysicalUserArea(), juce::Rectangle<int> (0, 42, 1366, 725));
}
