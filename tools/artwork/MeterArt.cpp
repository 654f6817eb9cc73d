#include "MeterArt.h"

juce::Colour MeterArt::segmentColour (float height)
{
    struct Stop
    {
        float at;
        juce::uint32 colour;
    };

    // Green for most of the range, yellow from about -16 dB, orange from -7 dB, red at the top.
    static constexpr Stop stops[] = { { 0.0f, 0xff4fbf4a }, { 0.62f, 0xff7cdb73 }, { 0.76f, 0xffc9e25a },
                                      { 0.84f, 0xfff4d04a }, { 0.92f, 0xfff59a3e }, { 1.0f, 0xffee4a3b } };

    for (size_t i = 1; i < std::size (stops); ++i)
    {
        if (height <= stops[i].at)
        {
            const auto t = (height - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
            return juce::Colour (stops[i - 1].colour).interpolatedWith (juce::Colour (stops[i].colour), t);
        }
    }

    return juce::Colour (stops[std::size (stops) - 1].colour);
}

juce::Image MeterArt::paint (Layout layout, bool isLit, bool transparentGaps)
{
    juce::Image image (transparentGaps ? juce::Image::ARGB : juce::Image::RGB, layout.width, layout.height, true);
    const auto segments = layout.height / layout.pitch;
    const auto gapColour = transparentGaps ? juce::Colours::transparentBlack : juce::Colour (0xff0c0b0b);

    for (int y = 0; y < layout.height; ++y)
    {
        // Segments are counted from the bottom edge, so the lowest one sits on the last row.
        const auto fromBottom = layout.height - 1 - y;
        const auto segment = fromBottom / layout.pitch;
        const auto row = layout.pitch - 1 - fromBottom % layout.pitch;   // 0 = top row of the segment
        const auto inGap = row < layout.gap || segment >= segments;

        const auto lit = segmentColour (((float) segment + 0.5f) / (float) segments);
        const auto base = isLit ? lit : juce::Colour (0xff262425).interpolatedWith (lit, 0.13f);

        // A little light on the upper edge of each segment, a little shade on the lower one.
        const auto litRows = layout.pitch - layout.gap;
        const auto rowInSegment = row - layout.gap;
        auto rowShade = 1.0f;

        if (litRows >= 3 && rowInSegment == 0)
            rowShade = 1.18f;
        else if (litRows >= 3 && rowInSegment == litRows - 1)
            rowShade = 0.82f;

        for (int x = 0; x < layout.width; ++x)
        {
            const auto border = x == 0 || x == layout.width - 1;
            juce::Colour c = gapColour;

            if (! inGap && ! border)
            {
                // Rounded across: the middle columns are the brightest.
                const auto across = std::abs (((float) x + 0.5f) / (float) layout.width - 0.5f) * 2.0f;
                const auto shade = rowShade * (1.08f - 0.28f * across * across);
                c = juce::Colour::fromFloatRGBA (juce::jmin (1.0f, base.getFloatRed() * shade),
                                                 juce::jmin (1.0f, base.getFloatGreen() * shade),
                                                 juce::jmin (1.0f, base.getFloatBlue() * shade), 1.0f);
            }

            image.setPixelAt (x, y, c);
        }
    }

    return image;
}

juce::Image MeterArt::lit (Layout layout)
{
    return paint (layout, true, false);
}

juce::Image MeterArt::unlit (Layout layout, bool transparentGaps)
{
    return paint (layout, false, transparentGaps);
}
