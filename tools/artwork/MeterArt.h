#pragma once

#include <juce_graphics/juce_graphics.h>

/** The segmented level-meter bars, lit and unlit. The meter cuts the lit picture at the level,
    so each segment is a clear block of rows with a dark gap above it.
*/
class MeterArt
{
public:
    struct Layout
    {
        int width, height;
        int pitch;        // rows per segment, gap included
        int gap;          // dark rows at the top of each segment
    };

    static juce::Image lit (Layout layout);

    /** The unlit bar; with transparentGaps the gaps and side borders let the background through. */
    static juce::Image unlit (Layout layout, bool transparentGaps);

    /** The colour of a lit segment at a height, 0 at the bottom to 1 at the top. */
    static juce::Colour segmentColour (float height);

private:
    static juce::Image paint (Layout layout, bool isLit, bool transparentGaps);
};
