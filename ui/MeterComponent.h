#pragma once

#include "ui/ScaledImage.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    A vertical level meter: the unlit image over the whole bar, the lit image over the part below
    the level. It has no timer and no ballistics; its owner writes `level` and repaints it.
*/
class MeterComponent : public juce::Component
{
public:
    MeterComponent();
    ~MeterComponent() override;

    void paint (juce::Graphics& g) override;

    /** The unlit meter, stretched over the whole bar; null until the owner sets it. */
    juce::Image offImage;

    /** The lit meter, stretched over the whole bar and cut at the level; null until the owner sets it. */
    juce::Image onImage;

    /** The level in dB, not clamped: -80 lights nothing, 0 lights everything. Starts where nothing is lit. */
    float level = -120.0f;

private:
    /** Where the lit part starts, counted down from the top of a bar `height` pixels high. */
    int litTop (int height) const;

    ScaledImage scaledOff;
    ScaledImage scaledOn;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MeterComponent)
};
