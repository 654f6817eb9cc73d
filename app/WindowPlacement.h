#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    Where the main window may go on its display, and how large it may be, so that the frame the
    window manager draws around it lies on the display's user area. The view gives the window its
    size, and the window keeps its position; this says how far to move it back, and how large the
    view may make it.

    Everything is worked out in the display's physical pixels, as the window system places the
    window, with the framework's own conversions: the window's logical bounds become physical ones
    by the display's scale, each of position and size rounded to the nearest pixel. The frame is
    the part that does not convert exactly. The window manager announces it in physical pixels, and
    the framework's X11 peer reports it divided by the scale and truncated (at 1.25 a border of 1
    pixel is reported as 0, a title bar of 20 as 16). So the frame counted here is the largest one
    that the peer would report as it does. When the framework moves the window, it asks for the
    frame's top-left at the window's position less the reported frame times the scale, truncated
    again; that is where the window manager puts the frame.

    At scale 1 all of this comes to the logical pixels themselves. (The framework's global scale
    factor is taken to be 1, as the program leaves it.)
*/
class WindowPlacement
{
public:
    /** display: the display that the window is on; userArea: the part of it that windows may
        cover (logical pixels); reportedFrame: the window's frame as its peer reports it, empty
        for a window without one. */
    WindowPlacement (const juce::Displays::Display& display, juce::Rectangle<int> userArea,
                     juce::BorderSize<int> reportedFrame);

    /** The top-left for a window with these bounds (logical, on the screen) whose frame must lie
        on the user area: the window's own position when its frame lies on the user area there;
        otherwise moved back just far enough, but never so far that the frame's left or top edge
        leaves the user area (a window too large for it loses its right or bottom edge). */
    juce::Point<int> topLeftFor (juce::Rectangle<int> bounds) const;

    /** The widest and the tallest the window may be with the given maximum size (the window's
        limits) so that its frame can lie on the user area. The window manager keeps the window
        within the maximum that the framework announces to it: the maximum less the reported
        frame. Where that leaves the frame the room it needs (at scale 1 it leaves exactly that),
        the maximum; where it would let the frame reach past the user area (at fractional scales),
        the largest size whose frame fits. */
    int largestWidth (int maximumWidth) const;
    int largestHeight (int maximumHeight) const;

    /** The window's bounds in physical pixels, as the framework gives them to the window system. */
    juce::Rectangle<int> toPhysical (juce::Rectangle<int> bounds) const;

    /** The user area in physical pixels: those that lie wholly inside it. */
    juce::Rectangle<int> getPhysicalUserArea() const noexcept { return physicalUserArea; }

    /** The largest physical frame that the peer would report as the reported frame. */
    juce::BorderSize<int> getLargestPhysicalFrame() const noexcept { return largestFrame; }

    /** The physical frame by which the framework offsets the window when it moves it. */
    juce::BorderSize<int> getFrameOffset() const noexcept { return frameOffset; }

private:
    /** The limits of one direction: where the window's physical position may be. */
    struct Range
    {
        int lowest;
        int highest;
    };

    static Range rangeFor (int physicalSize, int areaStart, int areaEnd, int frameBefore, int frameAfter, int offset);
    int largestSize (int maximum, int areaSize, int reportedBefore, int reportedAfter, int frameBefore,
                     int frameAfter, bool horizontal) const;

    juce::Rectangle<int> totalArea;
    juce::Point<int> topLeftPhysical;
    double scale;
    juce::Rectangle<int> physicalUserArea;
    juce::BorderSize<int> reportedFrame;
    juce::BorderSize<int> largestFrame;
    juce::BorderSize<int> frameOffset;
};
