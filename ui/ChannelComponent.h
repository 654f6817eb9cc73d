#pragma once

#include "backend/Hardware.h"
#include "ui/MeterComponent.h"
#include "ui/ScaledImage.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The output strip of one stereo pair: a gain fader and a level meter per side, a Link button
    that makes either fader move the other, and the two channel names at the bottom.

    It reads the two output gains once when built and sends every fader change at once.
*/
class ChannelComponent : public juce::Component
{
public:
    ChannelComponent (Hardware::Channel left, Hardware::Channel right);
    ~ChannelComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    Hardware::Channel leftChannel;
    Hardware::Channel rightChannel;

    /** The strip of the interface's first physical output pair, which has its own background. */
    bool isMainOutput = false;

    /** The Link toggle; its toggle state is the link state. */
    juce::DrawableButton linkButton;

    juce::Slider leftSlider;
    juce::Slider rightSlider;
    MeterComponent leftMeter;
    MeterComponent rightMeter;

    /** The top band around the Link button. */
    juce::Rectangle<int> linkArea;

    /** The bottom band where the names are drawn. */
    juce::Rectangle<int> nameArea;

    /** The middle band narrowed by a quarter of the width on each side: its edges are the faders' centre lines. */
    juce::Rectangle<int> faderArea;

private:
    /** What the strip's cached picture shows that changes without asking for a repaint: the two
        names, the purple fill without a backend and the background chosen by `isMainOutput`. */
    struct LayerInputs
    {
        juce::String leftName;
        juce::String rightName;
        bool hasBackend = false;
        bool mainOutput = false;

        bool operator== (const LayerInputs& other) const;
    };

    void sendGain (const juce::Slider& slider, Hardware::Channel channel);
    void readMeterLevels();
    bool layerInputsChanged();
    void drawName (juce::Graphics& g, juce::AttributedString& text, const juce::String& channelName,
                   juce::Rectangle<int> area);

    // Made on first paint and kept.
    juce::Typeface::Ptr nameTypeface;
    ScaledImage scaledBackground;

    // As the cached picture was last painted, or is about to be.
    LayerInputs layerInputs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ChannelComponent)
};
