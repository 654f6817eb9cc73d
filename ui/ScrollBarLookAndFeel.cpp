#include "ui/ScrollBarLookAndFeel.h"

ScrollBarLookAndFeel::ScrollBarLookAndFeel() = default;

juce::ImageEffectFilter* ScrollBarLookAndFeel::getScrollbarEffect()
{
    return &scrollbarShadow;
}

juce::DropShadow ScrollBarLookAndFeel::getScrollbarShadow()
{
    return { juce::Colours::black.withAlpha (0.5f), 2, {} };
}
