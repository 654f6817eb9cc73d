#include "ui/ChannelComponent.h"

#include "BinaryData.h"
#include "backend/HardwareBackend.h"
#include "backend/Settings.h"
#include "ui/DevicePixels.h"
#include "ui/GainScale.h"
#include "ui/StaticLayerCache.h"

namespace
{
/** A picture of the Link button. What Drawable::createFromImageData makes of the PNG, but decoded
    once for all strips: the image cache keeps the pixels, which every strip's button shares. */
std::unique_ptr<juce::Drawable> makeCachedImageDrawable (const char* data, int size)
{
    const auto image = juce::ImageCache::getFromMemory (data, size);
    return image.isValid() ? std::make_unique<juce::DrawableImage> (image) : nullptr;
}
} // namespace

ChannelComponent::ChannelComponent (Hardware::Channel left, Hardware::Channel right)
    : leftChannel (left),
      rightChannel (right),
      linkButton (TRANS ("Link"), juce::DrawableButton::ImageFitted),
      leftSlider (juce::Slider::LinearVertical, juce::Slider::NoTextBox),
      rightSlider (juce::Slider::LinearVertical, juce::Slider::NoTextBox)
{
    setOpaque (true);

    isMainOutput = leftChannel.kind == Hardware::DeviceOutput && leftChannel.index == 0;

    leftSlider.setRange (-80.0, 0.0, 1.0);
    rightSlider.setRange (-80.0, 0.0, 1.0);

    // The meters lie above the faders.
    addAndMakeVisible (leftSlider);
    addAndMakeVisible (rightSlider);
    addAndMakeVisible (linkButton);
    addAndMakeVisible (leftMeter);
    addAndMakeVisible (rightMeter);

    leftMeter.onImage = juce::ImageCache::getFromMemory (BinaryData::meter_on_png, BinaryData::meter_on_pngSize);
    leftMeter.offImage = juce::ImageCache::getFromMemory (BinaryData::meter_off_png, BinaryData::meter_off_pngSize);
    rightMeter.onImage = juce::ImageCache::getFromMemory (BinaryData::meter_on_png, BinaryData::meter_on_pngSize);
    rightMeter.offImage = juce::ImageCache::getFromMemory (BinaryData::meter_off_png, BinaryData::meter_off_pngSize);

    {
        // The button keeps copies of the images.
        const auto off = makeCachedImageDrawable (BinaryData::buttonlink_off_png, BinaryData::buttonlink_off_pngSize);
        const auto offHover = makeCachedImageDrawable (BinaryData::buttonlink_offhover_png, BinaryData::buttonlink_offhover_pngSize);
        const auto offClick = makeCachedImageDrawable (BinaryData::buttonlink_offclick_png, BinaryData::buttonlink_offclick_pngSize);
        const auto on = makeCachedImageDrawable (BinaryData::buttonlink_on_png, BinaryData::buttonlink_on_pngSize);
        const auto onHover = makeCachedImageDrawable (BinaryData::buttonlink_onhover_png, BinaryData::buttonlink_onhover_pngSize);
        const auto onClick = makeCachedImageDrawable (BinaryData::buttonlink_onclick_png, BinaryData::buttonlink_onclick_pngSize);
        linkButton.setImages (off.get(), offHover.get(), offClick.get(), nullptr,
                              on.get(), onHover.get(), onClick.get(), nullptr);
    }

    linkButton.setClickingTogglesState (true);

    // The strip repaints 30 times a second for its meters, which lie on top. Everything else (the
    // background, the lines, the names, the faders and the Link button) is painted once into a
    // layer, painted again where it changes (a fader moved, the button hovered or toggled) and
    // otherwise copied; the meters are painted on it with the levels read for each frame. What
    // changes without a repaint (the names, the backend's presence, the background chosen) is
    // compared on every frame.
    setCachedComponentImage (new StaticLayerCache (*this, { &leftMeter, &rightMeter }, [this] { readMeterLevels(); },
                                                   [this] { return layerInputsChanged(); }));

    // The faders show what the interface holds; nothing is sent back while the strip is built.
    // The level is worked out in double precision; the fader snaps it to whole decibels.
    if (auto* backend = HardwareBackend::getInstance())
    {
        const auto leftGain = static_cast<double> (backend->getOutputGain (leftChannel));
        const auto rightGain = static_cast<double> (backend->getOutputGain (rightChannel));
        leftSlider.setValue (GainScale::gainToDecibels (leftGain), juce::dontSendNotification);
        rightSlider.setValue (GainScale::gainToDecibels (rightGain), juce::dontSendNotification);
    }

    // Mirroring goes through the other fader's own notification (delivered asynchronously), whose
    // callback then sends that side's gain. Setting a fader to the value it already has sends no
    // notification, so the two callbacks never loop.
    leftSlider.onValueChange = [this]
    {
        if (linkButton.getToggleState())
            rightSlider.setValue (leftSlider.getValue(), juce::sendNotification);

        sendGain (leftSlider, leftChannel);
    };

    rightSlider.onValueChange = [this]
    {
        if (linkButton.getToggleState())
            leftSlider.setValue (rightSlider.getValue(), juce::sendNotification);

        sendGain (rightSlider, rightChannel);
    };

    linkButton.onClick = [this]
    {
        if (linkButton.getToggleState())
            rightSlider.setValue (leftSlider.getValue(), juce::sendNotification);
    };
}

ChannelComponent::~ChannelComponent() = default;

void ChannelComponent::sendGain (const juce::Slider& slider, Hardware::Channel channel)
{
    if (auto* backend = HardwareBackend::getInstance())
        backend->setOutputGain (channel, GainScale::decibelsToGain (static_cast<float> (slider.getValue())));
}

void ChannelComponent::paint (juce::Graphics& g)
{
    auto* backend = HardwareBackend::getInstance();

    if (backend == nullptr)
    {
        g.fillAll (juce::Colour (0xFF800080));
        return;
    }

    // The meters are children inside the area being painted: they paint with these levels in the
    // same pass, so asking them to repaint would only paint the strip once more.
    readMeterLevels();

    const auto settings = Settings::getInstance();

    const auto background = isMainOutput
        ? juce::ImageCache::getFromMemory (BinaryData::background_output_main_png, BinaryData::background_output_main_pngSize)
        : juce::ImageCache::getFromMemory (BinaryData::background_output_png, BinaryData::background_output_pngSize);

    // Stretched once per size and display scale, straight to the device pixels that the strip
    // touches, then copied over all of them: the strip covers the pixels at its edges that it
    // shares with its neighbours as well, whatever was painted there before.
    if (const auto pixels = DevicePixels::find (*this, g.getInternalContext().getPhysicalPixelScaleFactor()))
    {
        const auto area = pixels->touched (getLocalBounds());

        if (const auto& scaled = scaledBackground.get (background, area.getWidth(), area.getHeight()); scaled.isValid())
            pixels->copy (g, scaled, area.getPosition());
    }
    else if (const auto& scaled = scaledBackground.get (background, getWidth(), getHeight()); scaled.isValid())
    {
        g.drawImageAt (scaled, 0, 0);
    }

    g.setColour (juce::Colour (0xFF000000));
    g.drawRect (getLocalBounds().toFloat(), 2.0f);

    g.setColour (juce::Colour (0xFF555555));
    g.drawRect (faderArea.getX() + faderArea.getWidth() / 2 - 1, faderArea.getY(), 2, faderArea.getHeight(), 1);

    // The bracket rises from the tops of the fader centre lines and runs toward the Link button.
    g.setColour (juce::Colour (0xFFE5E5E5));
    const auto cy = static_cast<float> (linkArea.getY() + linkArea.getHeight() / 2);
    const auto left = static_cast<float> (faderArea.getX());
    const auto right = static_cast<float> (faderArea.getRight());
    const auto top = static_cast<float> (faderArea.getY());

    juce::Path bracket;
    bracket.startNewSubPath (left, top);
    bracket.lineTo (left, cy);
    bracket.lineTo (static_cast<float> (linkButton.getX() - 10), cy);
    bracket.startNewSubPath (static_cast<float> (linkButton.getRight() + 10), cy);
    bracket.lineTo (right, cy);
    bracket.lineTo (right, top);
    g.strokePath (bracket, juce::PathStrokeType (2.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));

    if (nameTypeface == nullptr)
        nameTypeface = juce::Typeface::createSystemTypefaceFor (BinaryData::BARLOWBOLD_TTF,
                                                                static_cast<size_t> (BinaryData::BARLOWBOLD_TTFSize));

    juce::AttributedString names;
    names.setLineSpacing (0.0f);
    names.setWordWrap (juce::AttributedString::byWord);

    auto halves = nameArea;
    const auto leftHalf = halves.removeFromLeft (nameArea.getWidth() / 2);
    drawName (g, names, settings->getChannelName (leftChannel), leftHalf);
    drawName (g, names, settings->getChannelName (rightChannel), halves);
}

bool ChannelComponent::LayerInputs::operator== (const LayerInputs& other) const
{
    return leftName == other.leftName && rightName == other.rightName
        && hasBackend == other.hasBackend && mainOutput == other.mainOutput;
}

bool ChannelComponent::layerInputsChanged()
{
    const auto settings = Settings::getInstance();
    LayerInputs now { settings->getChannelName (leftChannel), settings->getChannelName (rightChannel),
                      HardwareBackend::getInstanceWithoutCreating() != nullptr, isMainOutput };

    if (now == layerInputs)
        return false;

    layerInputs = std::move (now);
    return true;
}

void ChannelComponent::readMeterLevels()
{
    if (auto* backend = HardwareBackend::getInstance())
    {
        leftMeter.level = backend->getMeterLevel (leftChannel);
        rightMeter.level = backend->getMeterLevel (rightChannel);
    }
}

void ChannelComponent::drawName (juce::Graphics& g, juce::AttributedString& text, const juce::String& channelName,
                                 juce::Rectangle<int> area)
{
    // A name breaks into two lines at its first space: "Monitor Out L" shows as "Monitor" over "Out L".
    const auto name = channelName.replaceFirstOccurrenceOf (" ", "\n");

    // Colour and font go over the whole text each time: setText alone would leave the part beyond
    // the previous text's length in the default font and colour.
    text.setText (name);
    text.setColour (juce::Colour (0xFFE5E5E5));
    text.setFont (juce::Font (nameTypeface).withHeight (20.0f));
    text.setJustification (juce::Justification::centred);
    text.draw (g, area.toFloat());
}

void ChannelComponent::resized()
{
    const auto w = getWidth();
    const auto h = getHeight();
    const auto m = juce::roundToInt (static_cast<float> (w) * 0.05f);
    const auto sw = juce::roundToInt (static_cast<double> (w) * 0.5);

    auto area = getLocalBounds();
    linkArea = area.removeFromTop (h / 10).reduced (5);
    nameArea = area.removeFromBottom (h / 10).reduced (5);
    faderArea = area.reduced (w / 4, 0);

    // At least 40 pixels, even when the band is lower, and 3 pixels down from its centre.
    const auto s = juce::jmax (linkArea.getHeight(), 40);
    linkButton.setBounds (linkArea.getX() + (linkArea.getWidth() - s) / 2,
                          linkArea.getY() + 3 + (linkArea.getHeight() - s) / 2, s, s);

    const auto meterY = linkArea.getBottom() + m;
    const auto meterHeight = nameArea.getY() - 2 * m - linkArea.getBottom();
    leftMeter.setBounds (m, meterY, m, meterHeight);
    rightMeter.setBounds (w / 2 + m, meterY, m, meterHeight);

    leftSlider.setBounds (faderArea.getX() - sw / 2, meterY, sw, leftMeter.getHeight());
    rightSlider.setBounds (faderArea.getRight() - sw / 2, meterY, sw, rightMeter.getHeight());
}
