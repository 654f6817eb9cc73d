#include "ui/MeterComponent.h"

#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

using namespace WidgetTestSupport;

namespace
{
const juce::Colour onColour { 0xFFFF0000 };
const juce::Colour offColour { 0xFF0000FF };

/** Rows of the painted meter whose every pixel has the given colour, from the top. */
std::vector<bool> rowsOfColour (const juce::Image& image, juce::Colour colour)
{
    std::vector<bool> rows;
    for (int y = 0; y < image.getHeight(); ++y)
    {
        bool all = true;
        for (int x = 0; x < image.getWidth(); ++x)
            all = all && image.getPixelAt (x, y).getARGB() == colour.getARGB();
        rows.push_back (all);
    }
    return rows;
}

/** The number of lit rows, after checking that they are the bottom ones and the rest are unlit. */
int litRows (MeterComponent& meter, juce::Colour on = onColour, juce::Colour off = offColour)
{
    const auto image = snapshot (meter);
    const auto lit = rowsOfColour (image, on);
    const auto unlit = rowsOfColour (image, off);
    const auto height = image.getHeight();

    int count = 0;
    while (count < height && lit[static_cast<size_t> (height - 1 - count)])
        ++count;

    for (int y = 0; y < height - count; ++y)
        EXPECT_TRUE (unlit[static_cast<size_t> (y)]) << "row " << y << " is neither lit nor unlit";

    return count;
}

struct MeterCase
{
    int height;
    float level;
    int lit;
};

void PrintTo (const MeterCase& c, std::ostream* os)
{
    *os << c.height << " px at " << c.level << " dB";
}

class MeterLitRows : public ::testing::TestWithParam<MeterCase> {};
} // namespace

TEST_P (MeterLitRows, LightsTheRowsBelowTheLevel)
{
    const auto param = GetParam();
    MeterComponent meter;
    meter.setBounds (0, 0, 10, param.height);
    meter.offImage = solidImage (10, param.height, offColour);
    meter.onImage = solidImage (10, param.height, onColour);
    meter.level = param.level;

    EXPECT_EQ (litRows (meter), param.lit);
}

INSTANTIATE_TEST_SUITE_P (Scale, MeterLitRows,
                          ::testing::Values (MeterCase { 440, -80.0f, 0 },
                                             MeterCase { 440, 0.0f, 440 },
                                             MeterCase { 440, -40.0f, 220 },
                                             MeterCase { 440, 3.0f, 440 },
                                             MeterCase { 440, -120.0f, 0 },
                                             // Halves round to even: 9.5 -> 10, 8.5 -> 8, 0.5 -> 0.
                                             MeterCase { 10, -76.0f, 0 },
                                             MeterCase { 10, -68.0f, 2 },
                                             MeterCase { 10, -4.0f, 10 }));

TEST (MeterComponent, StartsWithNothingLit)
{
    MeterComponent meter;
    meter.setBounds (0, 0, 10, 100);
    meter.offImage = solidImage (10, 100, offColour);
    meter.onImage = solidImage (10, 100, onColour);

    EXPECT_EQ (litRows (meter), 0);
}

TEST (MeterComponent, LitImageIsCutNotSqueezed)
{
    // An on-image with a different colour in its top and bottom halves: at -40 dB the lit half must
    // show the image's bottom half only.
    MeterComponent meter;
    meter.setBounds (0, 0, 10, 40);
    meter.offImage = solidImage (10, 40, offColour);
    meter.onImage = solidImage (10, 40, juce::Colours::yellow);
    meter.onImage.clear ({ 0, 20, 10, 20 }, onColour);
    meter.level = -40.0f;

    EXPECT_EQ (litRows (meter), 20);
}

TEST (MeterComponent, NullImagesFallBackToFlatColours)
{
    MeterComponent meter;
    meter.setBounds (0, 0, 10, 440);
    meter.level = -40.0f;

    EXPECT_EQ (litRows (meter, juce::Colour (0xFF008000), juce::Colour (0xFF555555)), 220);
}

namespace
{
/** A source like the meter art: tall and narrow, every row another colour. */
juce::Image rampImage (int width, int height, juce::uint8 blue)
{
    juce::Image image (juce::Image::RGB, width, height, false, juce::SoftwareImageType());

    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelAt (x, y, juce::Colour (static_cast<juce::uint8> (y % 256), static_cast<juce::uint8> (x * 20), blue));

    return image;
}

juce::Image stretched (const juce::Image& source, int width, int height)
{
    juce::Image image (juce::Image::RGB, width, height, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    g.drawImage (source, juce::Rectangle<int> (width, height).toFloat(), juce::RectanglePlacement::stretchToFit);
    return image;
}

struct ScaledMeterCase
{
    float scale;
    juce::Rectangle<int> deviceArea;   // what the meter at 3, 5, 6 x 41 touches
    int litTop;                        // at -30 dB, in the device area
};

void PrintTo (const ScaledMeterCase& c, std::ostream* os)
{
    *os << "scale " << c.scale;
}

class MeterOnAScaledDisplay : public ::testing::TestWithParam<ScaledMeterCase> {};
} // namespace

TEST_P (MeterOnAScaledDisplay, CopiesItsPicturesStretchedStraightToDevicePixels)
{
    // On a scaled display the meter's pictures come from their sources at the device's own
    // resolution, over every device pixel that the meter touches; nothing is resampled twice,
    // and the lit part is cut at a device pixel.
    const auto param = GetParam();
    const auto off = rampImage (10, 816, 0x20);
    const auto on = rampImage (10, 816, 0xE0);

    juce::Component window;
    MeterComponent meter;
    window.setBounds (0, 0, 20, 60);
    window.addAndMakeVisible (meter);
    meter.setBounds (3, 5, 6, 41);
    meter.offImage = off;
    meter.onImage = on;
    meter.level = -30.0f;

    const auto size = (window.getLocalBounds().toFloat() * param.scale).getSmallestIntegerContainer();
    juce::Image frame (juce::Image::ARGB, size.getWidth(), size.getHeight(), true, juce::SoftwareImageType());
    {
        juce::Graphics g (frame);
        g.addTransform (juce::AffineTransform::scale (param.scale));
        window.paintEntireComponent (g, false);
    }

    const auto area = param.deviceArea;
    const auto expectedOff = stretched (off, area.getWidth(), area.getHeight());
    const auto expectedOn = stretched (on, area.getWidth(), area.getHeight());
    int wrong = 0;

    for (int y = 0; y < frame.getHeight(); ++y)
    {
        for (int x = 0; x < frame.getWidth(); ++x)
        {
            auto expected = juce::Colour();

            if (area.contains (x, y))
                expected = (y - area.getY() < param.litTop ? expectedOff : expectedOn).getPixelAt (x - area.getX(), y - area.getY());

            if (frame.getPixelAt (x, y) != expected)
                ++wrong;
        }
    }

    EXPECT_EQ (wrong, 0);
}

// 3, 5 .. 9, 46 logical: at 1.25 from 3.75, 6.25 to 11.25, 57.5; at 1.5 from 4.5, 7.5 to 13.5, 69;
// at 2 from 6, 10 to 18, 92. -30 dB lights the lower 5/8: round (h - 5h/8).
INSTANTIATE_TEST_SUITE_P (Scales, MeterOnAScaledDisplay,
                          ::testing::Values (ScaledMeterCase { 1.25f, { 3, 6, 9, 52 }, 20 },
                                             ScaledMeterCase { 1.5f, { 4, 7, 10, 62 }, 23 },
                                             ScaledMeterCase { 2.0f, { 6, 10, 12, 82 }, 31 }));
