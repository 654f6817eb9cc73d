#pragma once

#include "Outline.h"

#include <vector>

/** The maker's round mark and the Vantiq model wordmarks, as vector outlines and as pictures. */
class LogoArt
{
public:
    /** The round mark in its SVG view box of 110.95 x 112.32, one outline per shape; without the
        name, the ring holds the monogram alone. */
    static std::vector<Outline> makerMark (bool withName = true);

    /** A model wordmark in its SVG view box of 270.26 x 80.45, one outline per shape: the series
        name in wide letters over the model name set between two rules. */
    static std::vector<Outline> wordmark (const juce::String& modelName);

    static juce::String makerSvg();
    static juce::String wordmarkSvg (const juce::String& modelName, const juce::String& fillColour);

    /** The mark in white on transparent, fitted into the picture. */
    static juce::Image makerPicture (int width, int height);

    /** The application icon: the mark on a dark disc; the small sizes show the K alone. */
    static juce::Image icon (int size);

    static constexpr float markWidth = 110.95f, markHeight = 112.32f;
    static constexpr float wordmarkWidth = 270.26f, wordmarkHeight = 80.45f;

private:
    static juce::Path combined (const std::vector<Outline>& shapes);
};
