#pragma once

#include <juce_graphics/juce_graphics.h>

/** A Gaussian-like blur (three box passes each way) of every channel of an image, in place. */
class Blur
{
public:
    static void apply (juce::Image& image, float radius);
};
