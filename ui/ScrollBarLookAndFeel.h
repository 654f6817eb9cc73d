#pragma once

#include "ui/CachedDropShadowEffect.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The framework's old look-and-feel, which the main view gives its scroll bars, with the same
    pictures: only its scroll bar shadow keeps its blur while a bar's picture stays the same (see
    CachedDropShadowEffect).
*/
class ScrollBarLookAndFeel : public juce::LookAndFeel_V1
{
public:
    ScrollBarLookAndFeel();

    juce::ImageEffectFilter* getScrollbarEffect() override;

    /** The shadow that it gives its scroll bars, the old look-and-feel's own. */
    static juce::DropShadow getScrollbarShadow();

private:
    CachedDropShadowEffect scrollbarShadow { getScrollbarShadow() };

    JUCE_DECLARE_NON_COPYABLE (ScrollBarLookAndFeel)
};
