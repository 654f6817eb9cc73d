#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

/**
    The part of a display that windows may cover, in the framework's logical pixels. Where the
    framework knows it (on Windows it is the work area the system tells it), it is the display's
    user area. Where the framework gives the whole display instead, as it does on Linux, it is the
    part of the display within the work area that the window manager announces, so that a window
    is not put under a panel; without a window manager that announces one, the whole display.
*/
class DisplayUserArea
{
public:
    /** The work area that the window manager announces for the current desktop, in the X
        screen's physical pixels; nothing without one (and on Windows). One short connection to
        the X server each time: the answer holds for every display of the screen. */
    static std::optional<juce::Rectangle<int>> announcedWorkArea();

    /** The display's user area for a work area given in the screen's physical pixels: where the
        framework gives the whole display, the logical pixels of the display that lie wholly inside
        the work area; otherwise, without a work area, or for one that leaves nothing of the
        display, the framework's user area. */
    static juce::Rectangle<int> within (const juce::Displays::Display& display,
                                        std::optional<juce::Rectangle<int>> physicalWorkArea);
};
