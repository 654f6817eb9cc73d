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
