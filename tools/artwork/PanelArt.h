#pragma once

#include <juce_graphics/juce_graphics.h>

/** The panel backgrounds: dark brushed-metal textures, opaque. The widgets stretch them over
    their whole area, so they carry no features that would look wrong when stretched.
*/
class PanelArt
{
public:
    static juce::Image settings();
    static juce::Image output();
    static juce::Image outputMain();

private:
    struct Recipe
    {
        int width, height;
        juce::Colour top, bottom;
        float topShadeDepth;      // how far down the darker top band reaches, 0 for none
        unsigned int seed;
    };

    static juce::Image paint (const Recipe& recipe);
};
