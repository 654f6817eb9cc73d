#include "ui/MeterComponent.h"

MeterComponent::MeterComponent() = default;
MeterComponent::~MeterComponent() = default;

void MeterComponent::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds();
    const auto height = static_cast<float> (getHeight());

    // Stretched once per size, then copied: the meters repaint 30 times a second.
    if (const auto& off = scaledOff.get (offImage, getWidth(), getHeight()); off.isValid())
        g.drawImageAt (off, 0, 0);
    else if (! bounds.isEmpty())
        g.fillAll (juce::Colour (0xFF555555));

    // -80 dB maps to the bottom, 0 dB to the top; the lit image is cut there, not squeezed, so the
    // colour at a given height stays the same whatever the level.
    const auto top = juce::roundToInt (height + (level + 80.0f) * (0.0f - height) / 80.0f);
    g.reduceClipRegion (juce::Rectangle<int> (0, top, getWidth(), juce::jmax (0, getHeight() - top)));

    if (const auto& on = scaledOn.get (onImage, getWidth(), getHeight()); on.isValid())
        g.drawImageAt (on, 0, 0);
    else if (! bounds.isEmpty())
        g.fillAll (juce::Colour (0xFF008000));
}
