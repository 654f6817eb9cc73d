#pragma once

#include <juce_graphics/juce_graphics.h>

/** The fader's cap (195 x 307 pixels, the cap in the upper half and its shadow below) and the
    slot it runs in (22 x 782 pixels).
*/
class FaderArt
{
public:
    /** The row of the cap picture that marks the fader's position: the look-and-feel draws the
        cap 153 pixels high starting 40 pixels above the position. */
    static constexpr float centreRow = 307.0f * 40.0f / 153.0f;

    static juce::Image cap();
    static juce::Image track();
};
