#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The framework's drop shadow effect, with the same pixels, that keeps its blurred shadow while
    the component's picture stays the same.

    A component with an effect is painted whole into an image and then drawn through the effect
    whenever any pixel of it is repainted, however few: a scroll bar next to the meters on a
    scaled display shares a row of device pixels with them and is repainted on every meter tick.
    Blurring its picture is what costs; the picture itself seldom changes.
*/
class CachedDropShadowEffect : public juce::ImageEffectFilter
{
public:
    explicit CachedDropShadowEffect (const juce::DropShadow& shadowToUse);

    void applyEffect (juce::Image& sourceImage, juce::Graphics& destContext, float scaleFactor, float alpha) override;

    /** How often the shadow has been blurred anew since the effect was made. */
    int getBlurCount() const noexcept;

private:
    bool isSameAsLastSource (const juce::Image& sourceImage) const;

    juce::DropShadow shadow;
    juce::Image lastSource;     // a copy of the picture last blurred
    juce::Image blurred;        // its shadow, blurred with `blurredRadius`
    int blurredRadius = 0;
    int blurs = 0;

    JUCE_DECLARE_NON_COPYABLE (CachedDropShadowEffect)
};
