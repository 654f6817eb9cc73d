#include "ui/DevicePixels.h"

#include <cmath>

namespace
{
/** A device position this close to a whole pixel is taken as lying on it: the framework scales
    positions in single precision, which leaves them that far off. */
constexpr double wholePixelTolerance = 1.0e-3;

double snappedToWholePixel (double position)
{
    const auto whole = std::round (position);
    return std::abs (position - whole) < wholePixelTolerance ? whole : position;
}

int floorToInt (double value) { return static_cast<int> (std::floor (value)); }
int ceilToInt (double value) { return static_cast<int> (std::ceil (value)); }
} // namespace

std::optional<DevicePixels> DevicePixels::find (const juce::Component& component, float scale)
{
    DevicePixels pixels;
    pixels.scale = scale;
    pixels.visible = component.getLocalBounds();

    // The component's origin in the top-level component, and the part of it that the framework
    // leaves in its clip on the way down: every component clips to its bounds.
    for (auto* c = &component; c != nullptr; c = c->getParentComponent())
    {
        if (c->isTransformed())
            return {};

        pixels.visible = pixels.visible.getIntersection (c->getLocalBounds() - pixels.topLevelPosition);

        if (c->getParentComponent() != nullptr)
            pixels.topLevelPosition += c->getPosition();
    }

    pixels.origin = { pixels.toDevice (pixels.topLevelPosition.x), pixels.toDevice (pixels.topLevelPosition.y) };
    return pixels;
}

double DevicePixels::toDevice (int position) const
{
    return snappedToWholePixel (static_cast<double> (position) * static_cast<double> (scale));
}

juce::Rectangle<int> DevicePixels::touched (juce::Rectangle<int> localArea) const
{
    const auto area = localArea + topLevelPosition;
    const auto left = floorToInt (toDevice (area.getX()));
    const auto top = floorToInt (toDevice (area.getY()));
    return { left, top, ceilToInt (toDevice (area.getRight())) - left, ceilToInt (toDevice (area.getBottom())) - top };
}

void DevicePixels::copy (juce::Graphics& g, const juce::Image& image, juce::Point<int> devicePosition) const
{
    if (juce::approximatelyEqual (scale, 1.0f))
    {
        // Without a scale device pixels are the component's, a whole number of them from its origin.
        g.drawImageAt (image, devicePosition.x - juce::roundToInt (origin.x), devicePosition.y - juce::roundToInt (origin.y));
        return;
    }

    // Back to device pixels, where the image lies a whole number of pixels from the frame's
    // origin: the renderer copies it as it is. The nudge of half a 256th of a pixel keeps the
    // renderer's truncation to 256ths on the same whole pixel either side of it.
    constexpr double nudge = 1.0 / 512.0;
    const auto x = static_cast<double> (devicePosition.x) - origin.x + nudge;
    const auto y = static_cast<double> (devicePosition.y) - origin.y + nudge;
    g.drawImageTransformed (image, juce::AffineTransform::translation (static_cast<float> (x), static_cast<float> (y)).scaled (1.0f / scale),
                            false);
}
