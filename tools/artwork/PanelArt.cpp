#include "PanelArt.h"

#include "Noise.h"

#include <cmath>

juce::Image PanelArt::paint (const Recipe& recipe)
{
    juce::Image image (juce::Image::RGB, recipe.width, recipe.height, false);
    const Noise noise (recipe.seed);
    const auto w = (float) recipe.width, h = (float) recipe.height;

    juce::Image::BitmapData data (image, juce::Image::BitmapData::writeOnly);

    for (int y = 0; y < recipe.height; ++y)
    {
        const auto fy = (float) y / h;
        const auto base = recipe.top.interpolatedWith (recipe.bottom, fy);
        auto shade = 1.0f;

        if (recipe.topShadeDepth > 0.0f)
        {
            const auto t = juce::jlimit (0.0f, 1.0f, fy / recipe.topShadeDepth);
            shade *= 0.5f + 0.5f * t * t * (3.0f - 2.0f * t);
        }

        for (int x = 0; x < recipe.width; ++x)
        {
            const auto fx = (float) x / w;

            // Broad, soft clouding plus fine vertical brushing; both gentle, so the file stays small.
            const auto cloud = noise.fractal ((float) x / 150.0f, (float) y / 150.0f, 3) - 0.5f;
            const auto brush = noise.value ((float) x / 1.6f, (float) y / 90.0f) - 0.5f;

            // Darker towards the side edges.
            const auto edge = std::pow (std::abs (fx - 0.5f) * 2.0f, 4.0f);
            const auto lightness = shade * (1.0f - 0.18f * edge) * (1.0f + 0.16f * cloud + 0.07f * brush);

            auto* p = data.getPixelPointer (x, y);
            reinterpret_cast<juce::PixelRGB*> (p)->setARGB (255,
                (juce::uint8) juce::jlimit (0, 255, juce::roundToInt ((float) base.getRed() * lightness)),
                (juce::uint8) juce::jlimit (0, 255, juce::roundToInt ((float) base.getGreen() * lightness)),
                (juce::uint8) juce::jlimit (0, 255, juce::roundToInt ((float) base.getBlue() * lightness)));
        }
    }

    return image;
}

juce::Image PanelArt::settings()
{
    return paint ({ 330, 1082, juce::Colour (0xff1b191a), juce::Colour (0xff121011), 0.0f, 0x5e771u });
}

juce::Image PanelArt::output()
{
    return paint ({ 376, 1082, juce::Colour (0xff1d1b1c), juce::Colour (0xff141213), 0.0f, 0x0a7b07u });
}

juce::Image PanelArt::outputMain()
{
    return paint ({ 376, 1082, juce::Colour (0xff302e2f), juce::Colour (0xff2a2829), 0.2f, 0x3a11u });
}
