#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

/** The About picture (1920 x 812, opaque): a dark close-up of a circuit board with a few glowing
    traces, the maker's mark, the series name and the slogan. The lower middle stays calm and dark,
    because the About dialogue prints its three text columns there.
*/
class AboutArt
{
public:
    static juce::Image picture();

    static constexpr int width = 1920, height = 812;

private:
    static void paintSubstrate (juce::Image& image);
    static juce::Image paintBoard();
    static void paintChip (juce::Graphics& g, juce::Rectangle<float> body, const juce::String& marking, int pinsPerSide);
    static void paintSmallParts (juce::Graphics& g, juce::Random& random);
    static void blendInFocus (juce::Image& board);
    static void paintGlow (juce::Image& image, const std::vector<juce::Path>& litTraces);
    static void paintShading (juce::Image& image);
    static void paintTitles (juce::Image& image);
};
