#include "ui/InputComponent.h"

#include "BinaryData.h"
#include "backend/HardwareBackend.h"
#include "backend/Settings.h"
#include "ui/StaticLayerCache.h"

InputComponent::InputComponent (Hardware::Channel channelToShow)
    : channel (channelToShow)
{
    setOpaque (true);

    meter.offImage = juce::ImageCache::getFromMemory (BinaryData::metermini_off_png, BinaryData::metermini_off_pngSize);
    meter.onImage = juce::ImageCache::getFromMemory (BinaryData::metermini_on_png, BinaryData::metermini_on_pngSize);
    addAndMakeVisible (meter);

    // The row repaints 30 times a second for its meter: the fill, frame and name are painted once
    // into a layer and copied, the meter on top with the level read for each frame. The name,
    // which changes without a repaint, is compared on every frame.
    setCachedComponentImage (new StaticLayerCache (*this, { &meter }, [this] { readMeterLevel(); },
                                                   [this] { return layerInputsChanged(); }));
}

InputComponent::~InputComponent() = default;

juce::Rectangle<float> InputComponent::getNameArea() const
{
    return { 12.0f, 2.0f,
             static_cast<float> (juce::jmax (0, getWidth() - 24)),
             static_cast<float> (juce::jmax (0, getHeight() - 4)) };
}

void InputComponent::paint (juce::Graphics& g)
{
    // The meter is a child inside the area being painted and paints with this level in the same
    // pass; asking it to repaint would only paint the row once more.
    readMeterLevel();

    const auto settings = Settings::getInstance();
    const auto name = settings->getChannelName (channel);

    g.fillAll (settings->soot);

    g.setColour (juce::Colour (0xFF000000));
    g.drawRect (getLocalBounds().toFloat(), 2.0f);

    g.setFont (settings->boldFont.withHeight (24.0f));
    g.setColour (settings->lightGrey);
    g.drawText (name, getNameArea(), juce::Justification::right, true);
}

bool InputComponent::layerInputsChanged()
{
    auto name = Settings::getInstance()->getChannelName (channel);

    if (name == layerName)
        return false;

    layerName = std::move (name);
    return true;
}

void InputComponent::readMeterLevel()
{
    // The main view refreshes the whole meter block once per tick; reading one entry costs no driver call.
    if (auto* backend = HardwareBackend::getInstance())
        meter.level = backend->getMeterLevel (channel);
}

void InputComponent::resized()
{
    const auto meterWidth = juce::jmin (10, getWidth());
    meter.setBounds (getWidth() - meterWidth + 2, 2, juce::jmax (0, meterWidth - 4), juce::jmax (0, getHeight() - 4));
}
