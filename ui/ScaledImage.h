#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    An image stretched to a size once and kept until the source or the size changes.

    Stretching a picture means resampling every pixel; the meters and strip backgrounds repaint 30
    times a second at the same size, so they stretch once and then only copy the result, which the
    renderer does without resampling. The pixels are those that Graphics::drawImage with
    RectanglePlacement::stretchToFit draws over the same whole-pixel rectangle.
*/
class ScaledImage
{
public:
    ScaledImage() = default;

    /** The source stretched over width x height; invalid when the source is invalid or the size
        is empty. */
    const juce::Image& get (const juce::Image& source, int width, int height);

private:
    juce::Image source;
    juce::Image scaled;

    JUCE_DECLARE_NON_COPYABLE (ScaledImage)
};
