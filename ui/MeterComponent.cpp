#include "ui/MeterComponent.h"

#include "ui/DevicePixels.h"

MeterComponent::MeterComponent() = default;
MeterComponent::~MeterComponent() = default;

void MeterComponent::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds();

    if (bounds.isEmpty())
        return;

    // The meters repaint 30 times a second: the images are stretched once per size and display
    // scale, straight from their sources to the device pixels that the meter touches, and then
    // only copied there.
    if (const auto pixels = DevicePixels::find (*this, g.getInternalContext().getPhysicalPixelScaleFactor());
        pixels && offImage.isValid() && onImage.isValid())
    {
        const auto area = pixels->touched (bounds);
        const auto& off = scaledOff.get (offImage, area.getWidth(), area.getHeight());
        const auto& on = scaledOn.get (onImage, area.getWidth(), area.getHeight());
        pixels->copy (g, off, area.getPosition());

        // -80 dB maps to the bottom, 0 dB to the top; the lit image is cut there, not squeezed, so
        // the colour at a given height stays the same whatever the level.
        const auto top = juce::jlimit (0, area.getHeight(), litTop (area.getHeight()));

        if (top < area.getHeight())
            pixels->copy (g, on.getClippedImage ({ 0, top, area.getWidth(), area.getHeight() - top }),
                          area.getPosition().translated (0, top));

        return;
    }

    // Without its pictures, or off the device's pixel grid: stretched to its own size.
    if (const auto& off = scaledOff.get (offImage, getWidth(), getHeight()); off.isValid())
        g.drawImageAt (off, 0, 0);
    else
        g.fillAll (juce::Colour (0xFF555555));

    const auto top = litTop (getHeight());
    g.reduceClipRegion (juce::Rectangle<int> (0, top, getWidth(), juce::jmax (0, getHeight() - top)));

    if (const auto& on = scaledOn.get (onImage, getWidth(), getHeight()); on.isValid())
        g.drawImageAt (on, 0, 0);
    else
        g.fillAll (juce::Colour (0xFF008000));
}

int MeterComponent::litTop (int height) const
{
    const auto h = static_cast<float> (height);
    return juce::roundToInt (h + (level + 80.0f) * (0.0f - h) / 80.0f);
}
