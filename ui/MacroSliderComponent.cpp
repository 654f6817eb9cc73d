#include "ui/MacroSliderComponent.h"

#include "backend/HardwareBackend.h"
#include "ui/GainScale.h"

#include "BinaryData.h"

namespace
{
juce::Font makeNameFont()
{
    const auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::BARLOWBOLD_TTF,
                                                                   (size_t) BinaryData::BARLOWBOLD_TTFSize);
    return juce::Font (typeface).withHeight (20.0f);
}

Hardware::Channel inputOf (const Hardware::MacroNode& node)
{
    return { static_cast<Hardware::ChannelKind> (node.inputKind), node.inputIndex };
}

Hardware::Channel outputOf (const Hardware::MacroNode& node)
{
    return { static_cast<Hardware::ChannelKind> (node.outputKind), node.outputIndex };
}
} // namespace

MacroSliderComponent::MacroSliderComponent (const Hardware::Macro& macro)
    : name (macro.name),
      crosspoints (macro.nodes),
      nameFont (makeNameFont())
{
    slider.setSliderStyle (juce::Slider::LinearVertical);
    slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    slider.setRange (0.0, 100.0, 1.0);
    addAndMakeVisible (slider);

    if (auto* backend = HardwareBackend::getInstance(); backend != nullptr && ! crosspoints.empty())
    {
        const auto& first = crosspoints.front();
        const auto gain = backend->getCrosspointGain (inputOf (first), outputOf (first));
        slider.setValue (GainScale::gainToPercent (gain), juce::dontSendNotification);
    }

    // Assigned last, so that nothing reaches the interface while the widget is built.
    slider.onValueChange = [this] { sendGain(); };
}

MacroSliderComponent::~MacroSliderComponent() = default;

void MacroSliderComponent::sendGain()
{
    auto* backend = HardwareBackend::getInstance();

    if (backend == nullptr)
        return;

    backend->setCrosspointGains (crosspoints, GainScale::percentToGain ((float) slider.getValue()));
}

void MacroSliderComponent::paint (juce::Graphics& g)
{
    const auto width = getWidth();
    const auto height = getHeight();

    const auto background = juce::ImageCache::getFromMemory (BinaryData::background_output_png,
                                                             BinaryData::background_output_pngSize);

    if (background.isValid())
        g.drawImage (background, getLocalBounds().toFloat(), juce::RectanglePlacement::stretchToFit);

    g.setColour (juce::Colour (0xFF000000));
    g.drawRect (getLocalBounds().toFloat(), 2.0f);

    juce::AttributedString text;
    text.append (name, nameFont, juce::Colour (0xFFE5E5E5));
    text.setJustification (juce::Justification::centred);
    text.setWordWrap (juce::AttributedString::byWord);
    text.setLineSpacing (0.0f);
    text.draw (g, { 10.0f, (float) height - 40.0f, (float) juce::jmax (width - 20, 0), 30.0f });
}

void MacroSliderComponent::resized()
{
    const auto width = getWidth();
    const auto height = getHeight();

    slider.setBounds (5, 5, juce::jmax (width - 10, 0), juce::jmax (juce::jmax (height - 10, 0) - 60, 0));
}
