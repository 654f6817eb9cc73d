#include "ui/ScaledImage.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

namespace
{
juce::Image embedded (const void* data, int size)
{
    return juce::ImageCache::getFromMemory (data, size);
}

/** A window-like image (no alpha, as the peer paints into) with a pattern underneath, so that
    blending shows too. */
juce::Image canvas()
{
    juce::Image image (juce::Image::RGB, 420, 1200, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    g.setGradientFill ({ juce::Colours::darkred, 0, 0, juce::Colours::teal, 420, 1200, false });
    g.fillAll();
    return image;
}

int largestDifference (const juce::Image& a, const juce::Image& b)
{
    int largest = 0;

    for (int y = 0; y < a.getHeight(); ++y)
    {
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt (x, y), q = b.getPixelAt (x, y);
            largest = juce::jmax (largest, std::abs (p.getRed() - q.getRed()), std::abs (p.getGreen() - q.getGreen()),
                                  std::abs (p.getBlue() - q.getBlue()));
        }
    }

    return largest;
}
} // namespace

TEST (ScaledImage, CopyingTheStretchedImageDrawsWhatStretchingInPlaceDraws)
{
    const juce::Image sources[] = {
        embedded (BinaryData::meter_on_png, BinaryData::meter_on_pngSize),                    // no alpha
        embedded (BinaryData::metermini_off_png, BinaryData::metermini_off_pngSize),
        embedded (BinaryData::background_output_png, BinaryData::background_output_pngSize),
        embedded (BinaryData::fadercap_png, BinaryData::fadercap_pngSize)                     // alpha
    };

    const juce::Rectangle<int> places[] = { { 0, 0, 10, 374 }, { 1382, 541, 10, 374 }, { 7, 3, 200, 480 },
                                            { 219, 13, 201, 459 }, { 33, 77, 6, 26 }, { 5, 5, 300, 1100 } };

    for (const auto& source : sources)
    {
        ASSERT_TRUE (source.isValid());

        for (const auto& place : places)
        {
            // As a component at that place in its window paints: the origin moved there, clipped to it.
            auto direct = canvas(), copied = canvas();
            const auto origin = place.getPosition() - juce::Point<int> (place.getX() / 400 * 400, 0);

            {
                juce::Graphics g (direct);
                g.setOrigin (origin);
                g.reduceClipRegion (place.withZeroOrigin());
                g.drawImage (source, place.withZeroOrigin().toFloat(), juce::RectanglePlacement::stretchToFit);
            }

            ScaledImage scaled;

            {
                juce::Graphics g (copied);
                g.setOrigin (origin);
                g.reduceClipRegion (place.withZeroOrigin());
                g.drawImageAt (scaled.get (source, place.getWidth(), place.getHeight()), 0, 0);
            }

            // The renderer samples a stretched picture from where it lies, so the very same drawing
            // moved by whole pixels may differ by one level here and there; never by more.
            EXPECT_LE (largestDifference (direct, copied), 1) << source.getWidth() << "x" << source.getHeight()
                                                              << " at " << place.toString();
        }
    }
}

TEST (ScaledImage, StretchingInPlaceItselfVariesByOneLevelWithThePlace)
{
    const auto source = embedded (BinaryData::meter_on_png, BinaryData::meter_on_pngSize);
    juce::Image atZero (juce::Image::RGB, 200, 480, true), moved (juce::Image::RGB, 420, 1200, true);

    {
        juce::Graphics g (atZero);
        g.drawImage (source, { 0.0f, 0.0f, 200.0f, 480.0f }, juce::RectanglePlacement::stretchToFit);
    }

    {
        juce::Graphics g (moved);
        g.setOrigin ({ 7, 3 });
        g.drawImage (source, { 0.0f, 0.0f, 200.0f, 480.0f }, juce::RectanglePlacement::stretchToFit);
    }

    EXPECT_EQ (largestDifference (atZero, moved.getClippedImage ({ 7, 3, 200, 480 })), 1);
}

TEST (ScaledImage, KeepsItsImageUntilTheSourceOrTheSizeChanges)
{
    const auto meter = embedded (BinaryData::meter_on_png, BinaryData::meter_on_pngSize);
    const auto other = embedded (BinaryData::meter_off_png, BinaryData::meter_off_pngSize);
    ScaledImage scaled;

    const auto first = scaled.get (meter, 10, 300);
    EXPECT_EQ (scaled.get (meter, 10, 300), first);   // the same pixels, not stretched again
    EXPECT_EQ (scaled.get (juce::Image (meter), 10, 300), first);

    EXPECT_NE (scaled.get (meter, 10, 301), first);
    EXPECT_EQ (scaled.get (meter, 10, 301).getHeight(), 301);
    EXPECT_NE (scaled.get (other, 10, 301).getPixelData(), nullptr);

    EXPECT_FALSE (scaled.get ({}, 10, 300).isValid());
    EXPECT_FALSE (scaled.get (meter, 0, 300).isValid());
    EXPECT_FALSE (scaled.get (meter, 10, -1).isValid());
}
