#pragma once

#include "backend/Hardware.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

/**
    The simple view's widget for one macro: a vertical 0 to 100 per cent slider over the macro's
    name. Every move sets all of the macro's crosspoints to one gain with a single request.

    The slider starts at the first crosspoint's gain, read once without notification, so building
    the widget sends nothing.
*/
class MacroSliderComponent : public juce::Component
{
public:
    explicit MacroSliderComponent (const Hardware::Macro& macro);
    ~MacroSliderComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

private:
    void sendGain();

    juce::String name;
    std::vector<Hardware::MacroNode> crosspoints;
    juce::Slider slider;

    // Made once here rather than on every paint: typefaces are costly to create.
    juce::Font nameFont;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MacroSliderComponent)
};
