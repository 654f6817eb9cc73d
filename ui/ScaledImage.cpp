#include "ui/ScaledImage.h"

const juce::Image& ScaledImage::get (const juce::Image& newSource, int width, int height)
{
    // Images compare equal when they share their pixels, which the image cache's copies do.
    if (newSource == source && scaled.getWidth() == width && scaled.getHeight() == height)
        return scaled;

    source = newSource;
    scaled = {};

    if (source.isValid() && width > 0 && height > 0)
    {
        // A picture without alpha stays without: copying it is then a plain copy of its rows.
        scaled = juce::Image (source.hasAlphaChannel() ? juce::Image::ARGB : juce::Image::RGB,
                              width, height, true, juce::SoftwareImageType());
        juce::Graphics g (scaled);
        g.drawImage (source, juce::Rectangle<int> (width, height).toFloat(), juce::RectanglePlacement::stretchToFit);
    }

    return scaled;
}
