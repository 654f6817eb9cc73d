#pragma once

#include "backend/Hardware.h"
#include "ui/MeterComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** One row of the input column: the input's configured name and a slim meter at the right edge. */
class InputComponent : public juce::Component
{
public:
    explicit InputComponent (Hardware::Channel channelToShow);
    ~InputComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Where the name is drawn: the row less 12 pixels at each side and 2 at top and bottom. */
    juce::Rectangle<float> getNameArea() const;

    /** The mixer input shown by this row. */
    Hardware::Channel channel;

    /** The row's meter; its level is read from the backend on every paint. */
    MeterComponent meter;

private:
    void readMeterLevel();
    bool layerInputsChanged();

    // The name in the cached picture as last painted, or about to be: it changes without asking
    // for a repaint.
    juce::String layerName;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InputComponent)
};
