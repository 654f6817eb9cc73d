#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstddef>
#include <vector>

/**
    The framework's drop shadow effect, with the same pixels, that keeps its blurred shadow while
    the component's picture stays the same.

    A component with an effect is painted whole into an image and then drawn through the effect
    whenever any pixel of it is repainted, however few: a scroll bar next to the meters on a
    scaled display shares a row of device pixels with them and is repainted on every meter tick.
    Blurring its picture is what costs; the picture itself seldom changes. The shadows of the last
    few pictures are kept, so that one effect serves several components, such as the two scroll
    bars of a look-and-feel.
*/
class CachedDropShadowEffect : public juce::ImageEffectFilter
{
public:
    explicit CachedDropShadowEffect (const juce::DropShadow& shadowToUse);

    void applyEffect (juce::Image& sourceImage, juce::Graphics& destContext, float scaleFactor, float alpha) override;

    /** How often the shadow has been blurred anew since the effect was made. */
    int getBlurCount() const noexcept;

private:
    /** A picture blurred, and its shadow. */
    struct Blurred
    {
        juce::Image source;     // a copy of the picture
        juce::Image shadow;     // its alpha, blurred with `radius`
        int radius = 0;
    };

    static bool samePixels (const juce::Image& a, const juce::Image& b);
    const juce::Image& shadowFor (const juce::Image& sourceImage, int radius);

    static constexpr std::size_t picturesKept = 4;

    juce::DropShadow shadow;
    std::vector<Blurred> kept;  // the most recently used last
    int blurs = 0;

    JUCE_DECLARE_NON_COPYABLE (CachedDropShadowEffect)
};
