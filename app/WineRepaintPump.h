#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    Paints what the windows have pending, 60 times a second.

    The framework collects repaints on Windows and hands them to the system when the display
    signals its vertical blank, which a thread waits for. Wine does not implement that wait, so
    under Wine a window would never repaint after its first frame; the application runs this pump
    there in its place.
*/
class WineRepaintPump : private juce::Timer
{
public:
    WineRepaintPump();
    ~WineRepaintPump() override;

private:
    void timerCallback() override;

    JUCE_DECLARE_NON_COPYABLE (WineRepaintPump)
};
