#include "AboutArt.h"

#include "Blur.h"
#include "Lettering.h"
#include "LogoArt.h"
#include "Noise.h"

#include <cmath>

namespace
{
using Pt = juce::Point<float>;

const juce::Colour coral (0xfff68b68), green (0xff7cdb73), lightGrey (0xffe5e5e5);

// The eight routing directions: the four axes and the four diagonals.
Pt direction (int index)
{
    static const Pt directions[] = { { 1, 0 }, { 1, 1 }, { 0, 1 }, { -1, 1 }, { -1, 0 }, { -1, -1 }, { 0, -1 }, { 1, -1 } };
    return directions[(index % 8 + 8) % 8];
}

// A polyline moved sideways by a distance, with mitred corners, as parallel bus lines run.
std::vector<Pt> offsetPolyline (const std::vector<Pt>& points, float distance)
{
    std::vector<Pt> result;

    for (size_t i = 0; i < points.size(); ++i)
    {
        auto normalAt = [&] (size_t a, size_t b)
        {
            auto d = points[b] - points[a];
            d /= d.getDistanceFromOrigin();
            return Pt (-d.y, d.x);
        };

        Pt offset;

        if (i == 0)
            offset = normalAt (0, 1);
        else if (i == points.size() - 1)
            offset = normalAt (i - 1, i);
        else
        {
            const auto n1 = normalAt (i - 1, i), n2 = normalAt (i, i + 1);
            offset = (n1 + n2) / (1.0f + n1.getDotProduct (n2));
        }

        result.push_back (points[i] + offset * distance);
    }

    return result;
}

juce::Path toPath (const std::vector<Pt>& points)
{
    juce::Path p;
    p.startNewSubPath (points.front());

    for (size_t i = 1; i < points.size(); ++i)
        p.lineTo (points[i]);

    return p;
}

float smoothStep (float edge0, float edge1, float x)
{
    const auto t = juce::jlimit (0.0f, 1.0f, (x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

void fillText (juce::Graphics& g, const juce::String& text, const Lettering::Style& style, float x, float baseline)
{
    g.fillPath (Lettering::layout (text, style, x, baseline).toPath());
}
} // namespace

void AboutArt::paintSubstrate (juce::Image& image)
{
    // The bare board: nearly black solder mask with a faint green cast and soft mottling.
    const Noise noise (0xab07u);
    juce::Image::BitmapData data (image, juce::Image::BitmapData::writeOnly);

    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const auto mottle = noise.fractal ((float) x / 260.0f, (float) y / 260.0f, 3) - 0.5f;
            const auto light = 1.0f + 0.35f * mottle;
            auto* p = reinterpret_cast<juce::PixelRGB*> (data.getPixelPointer (x, y));
            p->setARGB (255, (juce::uint8) juce::roundToInt (13.0f * light), (juce::uint8) juce::roundToInt (18.0f * light),
                        (juce::uint8) juce::roundToInt (17.0f * light));
        }
    }
}

void AboutArt::paintChip (juce::Graphics& g, juce::Rectangle<float> body, const juce::String& marking, int pinsPerSide)
{
    // Pins first, so the package sits on them.
    const auto pitch = body.getWidth() / (float) (pinsPerSide + 1);
    const auto pinLength = body.getWidth() * 0.07f, pinWidth = pitch * 0.45f;

    for (int i = 1; i <= pinsPerSide; ++i)
    {
        const auto along = (float) i * pitch;
        const juce::Rectangle<float> pins[] = {
            { body.getX() + along - pinWidth * 0.5f, body.getY() - pinLength, pinWidth, pinLength },
            { body.getX() + along - pinWidth * 0.5f, body.getBottom(), pinWidth, pinLength },
            { body.getX() - pinLength, body.getY() + along - pinWidth * 0.5f, pinLength, pinWidth },
            { body.getRight(), body.getY() + along - pinWidth * 0.5f, pinLength, pinWidth }
        };

        for (const auto& pin : pins)
        {
            g.setColour (juce::Colour (0xff3c403e));
            g.fillRect (pin.translated (0.0f, 1.5f));
            g.setGradientFill ({ juce::Colour (0xff9aa09c), pin.getX(), pin.getY(), juce::Colour (0xff5b605d), pin.getRight(), pin.getBottom(), false });
            g.fillRect (pin);
        }
    }

    // Shadow, body and a bevel catching the light from the upper right.
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    g.fillRoundedRectangle (body.translated (-4.0f, 7.0f), 5.0f);
    g.setGradientFill ({ juce::Colour (0xff1c1c1e), body.getRight(), body.getY(), juce::Colour (0xff0b0b0c), body.getX(), body.getBottom(), false });
    g.fillRoundedRectangle (body, 5.0f);
    g.setGradientFill ({ juce::Colours::white.withAlpha (0.22f), body.getRight(), body.getY(), juce::Colours::transparentWhite, body.getCentreX(), body.getCentreY(), false });
    g.drawRoundedRectangle (body.reduced (1.0f), 4.0f, 1.5f);
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.drawRoundedRectangle (body.reduced (6.0f), 3.0f, 1.0f);

    // Pin-one dimple and the laser-etched marking.
    const auto dot = body.getWidth() * 0.05f;
    g.setColour (juce::Colour (0xff050505));
    g.fillEllipse (body.getX() + dot * 1.6f, body.getY() + dot * 1.6f, dot, dot);

    const Lettering::Style style { body.getWidth() * 0.085f, 0.08f, 1.15f, 0.25f };
    const auto textWidth = Lettering::measure (marking, style);
    g.setColour (juce::Colour (0xff4d5050));
    fillText (g, marking, style, body.getCentreX() - textWidth * 0.5f, body.getCentreY() + style.capHeight * 0.5f);

    const Lettering::Style small { body.getWidth() * 0.045f, 0.08f, 1.1f, 0.3f };
    const auto code = juce::String ("2417 A03");
    g.setColour (juce::Colour (0xff353838));
    fillText (g, code, small, body.getCentreX() - Lettering::measure (code, small) * 0.5f,
              body.getCentreY() + style.capHeight * 0.5f + small.capHeight * 2.6f);
}

void AboutArt::paintSmallParts (juce::Graphics& g, juce::Random& random)
{
    // Capacitors and resistors: small blocks with metal ends, scattered over the right half.
    for (int i = 0; i < 70; ++i)
    {
        const auto x = 900.0f + random.nextFloat() * 1050.0f;
        const auto y = random.nextFloat() * (float) height;
        const auto vertical = random.nextBool();
        const auto length = 22.0f + random.nextFloat() * 12.0f, thickness = length * 0.5f;
        const auto body = vertical ? juce::Rectangle<float> (x, y, thickness, length) : juce::Rectangle<float> (x, y, length, thickness);
        const auto isCapacitor = random.nextFloat() < 0.55f;

        g.setColour (juce::Colours::black.withAlpha (0.55f));
        g.fillRect (body.translated (-2.0f, 4.0f));
        g.setColour (isCapacitor ? juce::Colour (0xff6b5a45) : juce::Colour (0xff141414));
        g.fillRect (body);

        const auto cap = length * 0.24f;
        const auto end1 = vertical ? body.withHeight (cap) : body.withWidth (cap);
        const auto end2 = vertical ? body.withTrimmedTop (length - cap) : body.withTrimmedLeft (length - cap);

        for (auto end : { end1, end2 })
        {
            g.setGradientFill ({ juce::Colour (0xffb4b8b5), end.getRight(), end.getY(), juce::Colour (0xff5e6360), end.getX(), end.getBottom(), false });
            g.fillRect (end);
        }

        // The part's outline and name in the silk screen beside it.
        g.setColour (juce::Colours::white.withAlpha (0.13f));
        g.drawRect (body.expanded (4.0f), 1.0f);
        const auto name = juce::String (isCapacitor ? "C" : "R") + juce::String (1 + random.nextInt (96));
        fillText (g, name, { 8.0f, 0.1f, 1.0f, 0.2f }, body.getX(), body.getY() - 8.0f);
    }
}

juce::Image AboutArt::paintBoard()
{
    std::vector<juce::Path> litTraces;
    juce::Image board (juce::Image::ARGB, width, height, true);
    juce::Graphics g (board);
    juce::Random random (0x4b454c56);   // fixed seed: the same board every time

    const auto grid = 12.0f;
    auto snap = [&] (float v) { return std::round (v / grid) * grid; };

    // Buses of parallel traces with 45-degree bends, ending in vias.
    for (int bus = 0; bus < 46; ++bus)
    {
        std::vector<Pt> centre { { snap (random.nextFloat() * (float) width), snap (random.nextFloat() * (float) height) } };
        auto heading = random.nextInt (4) * 2;

        for (int leg = 0, legs = 2 + random.nextInt (3); leg < legs; ++leg)
        {
            const auto steps = 4 + random.nextInt (leg == 0 ? 24 : 14);
            centre.push_back (centre.back() + direction (heading) * grid * (float) steps);
            heading += random.nextBool() ? 1 : -1;
        }

        const auto lines = 1 + random.nextInt (7);
        const auto spacing = 11.0f;
        const auto lit = random.nextFloat() < 0.22f;

        for (int line = 0; line < lines; ++line)
        {
            const auto points = offsetPolyline (centre, ((float) line - (float) (lines - 1) * 0.5f) * spacing);
            const auto path = toPath (points);

            g.setColour (juce::Colour (0xff26302d));
            g.strokePath (path, juce::PathStrokeType (4.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded));
            g.setColour (juce::Colour (0x2a9fb5ad));
            g.strokePath (path, juce::PathStrokeType (1.2f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded),
                          juce::AffineTransform::translation (0.6f, -1.0f));

            for (const auto& end : { points.front(), points.back() })
            {
                g.setColour (juce::Colour (0xff3d4744));
                g.fillEllipse (end.x - 5.5f, end.y - 5.5f, 11.0f, 11.0f);
                g.setColour (juce::Colour (0xff050606));
                g.fillEllipse (end.x - 2.2f, end.y - 2.2f, 4.4f, 4.4f);
            }

            if (lit && line == lines / 2)
                litTraces.push_back (path);
        }
    }

    // The lit traces glow on the board; the parts drawn after them stand in their light.
    paintGlow (board, litTraces);
    paintSmallParts (g, random);

    paintChip (g, { 1450.0f, 420.0f, 300.0f, 300.0f }, "VQ-DSP 4", 16);
    paintChip (g, { 1810.0f, 250.0f, 260.0f, 260.0f }, "KV 2110", 14);
    paintChip (g, { 1080.0f, 640.0f, 150.0f, 150.0f }, "USB 20", 10);
    paintChip (g, { 1640.0f, 60.0f, 130.0f, 130.0f }, "ADC 24", 8);

    // A crystal in its metal can.
    const juce::Rectangle<float> crystal (1230.0f, 150.0f, 90.0f, 40.0f);
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    g.fillRoundedRectangle (crystal.translated (-3.0f, 6.0f), 18.0f);
    g.setGradientFill ({ juce::Colour (0xffd9dcda), crystal.getRight(), crystal.getY(), juce::Colour (0xff5f6462), crystal.getX(), crystal.getBottom(), false });
    g.fillRoundedRectangle (crystal, 18.0f);
    g.setColour (juce::Colour (0xff3e4341));
    fillText (g, "24.576", { 10.0f, 0.1f, 1.0f, 0.15f }, crystal.getX() + 18.0f, crystal.getCentreY() + 5.0f);

    return board;
}

void AboutArt::blendInFocus (juce::Image& board)
{
    // Shallow depth of field: the board is sharp on the right around the big chip and goes soft
    // towards the left and the top and bottom edges.
    auto soft = board.createCopy();
    Blur::apply (soft, 7.0f);

    juce::Image::BitmapData sharpData (board, juce::Image::BitmapData::readWrite);
    const juce::Image::BitmapData softData (soft, juce::Image::BitmapData::readOnly);

    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const auto dx = ((float) x - 1600.0f) / 720.0f, dy = ((float) y - 450.0f) / 560.0f;
            const auto focus = 1.0f - smoothStep (0.35f, 1.0f, std::sqrt (dx * dx + dy * dy));
            auto* s = sharpData.getPixelPointer (x, y);
            const auto* b = softData.getPixelPointer (x, y);

            for (int c = 0; c < 4; ++c)
                s[c] = (juce::uint8) juce::roundToInt ((float) b[c] + ((float) s[c] - (float) b[c]) * focus);
        }
    }
}

void AboutArt::paintGlow (juce::Image& image, const std::vector<juce::Path>& litTraces)
{
    juce::Image glow (juce::Image::ARGB, width, height, true);
    juce::Image cores (juce::Image::ARGB, width, height, true);
    {
        juce::Graphics g (glow), c (cores);

        for (size_t i = 0; i < litTraces.size(); ++i)
        {
            const auto colour = i % 3 == 1 ? green : coral;
            g.setColour (colour);
            g.strokePath (litTraces[i], juce::PathStrokeType (7.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded));
            c.setColour (colour.brighter (0.6f));
            c.strokePath (litTraces[i], juce::PathStrokeType (2.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded));
        }
    }

    auto wide = glow.createCopy();
    Blur::apply (wide, 26.0f);
    Blur::apply (glow, 6.0f);
    Blur::apply (cores, 1.0f);

    juce::Graphics g (image);
    g.setOpacity (0.55f);
    g.drawImageAt (wide, 0, 0);
    g.setOpacity (0.8f);
    g.drawImageAt (glow, 0, 0);
    g.setOpacity (0.9f);
    g.drawImageAt (cores, 0, 0);
}

void AboutArt::paintShading (juce::Image& image)
{
    juce::Graphics g (image);
    const auto w = (float) width, h = (float) height;

    // Warm light falling in from the upper right.
    g.setGradientFill ({ coral.withAlpha (0.12f), 1560.0f, 120.0f, coral.withAlpha (0.0f), 1560.0f + 900.0f, 120.0f, true });
    g.fillAll();

    // Darkness behind the titles on the left and the text columns at the bottom.
    juce::ColourGradient left (juce::Colours::black.withAlpha (0.82f), 0.0f, 0.0f, juce::Colours::transparentBlack, 1350.0f, 0.0f, false);
    left.addColour (0.45, juce::Colours::black.withAlpha (0.66f));
    g.setGradientFill (left);
    g.fillAll();

    g.setGradientFill ({ juce::Colours::black.withAlpha (0.65f), 0.0f, h, juce::Colours::transparentBlack, 0.0f, h * 0.5f, false });
    g.fillAll();

    g.setGradientFill ({ juce::Colours::transparentBlack, w * 0.5f, h * 0.5f, juce::Colours::black.withAlpha (0.55f), 0.0f, 0.0f, true });
    g.fillAll();
}

void AboutArt::paintTitles (juce::Image& image)
{
    const auto left = 307.0f;   // where the About dialogue's text columns begin

    juce::Image titles (juce::Image::ARGB, width, height, true);
    {
        juce::Graphics g (titles);

        // The maker's mark and name.
        juce::Path mark;

        for (const auto& shape : LogoArt::makerMark (false))
            mark.addPath (shape.toPath());

        const auto markSize = 78.0f;
        g.setColour (lightGrey);
        g.fillPath (mark, juce::AffineTransform::scale (markSize / LogoArt::markHeight).translated (left, 70.0f));

        const Lettering::Style maker { 24.0f, 0.1f, 1.3f, 0.6f };
        fillText (g, "KELVARO", maker, left + markSize + 26.0f, 70.0f + markSize * 0.5f + maker.capHeight * 0.5f);

        // The series name, large, in the same wide letters as the model logos.
        const Lettering::Style series { 158.0f, 0.1f, 1.5f, 0.16f };
        const auto seriesBaseline = 392.0f;
        g.setGradientFill ({ juce::Colours::white, 0.0f, seriesBaseline - series.capHeight, juce::Colour (0xffc9c9c9), 0.0f, seriesBaseline, false });
        fillText (g, "VANTIQ", series, left - 6.0f, seriesBaseline);

        const Lettering::Style slogan { 25.0f, 0.1f, 1.25f, 0.55f };
        g.setColour (green);
        g.fillRect (left, seriesBaseline + 48.0f, 60.0f, 3.0f);
        g.setColour (coral);
        fillText (g, "PRECISION IN EVERY SIGNAL", slogan, left + 84.0f, seriesBaseline + 62.0f);
    }

    // A soft dark halo lifts the lettering off the board.
    auto halo = titles.createCopy();
    {
        juce::Image::BitmapData data (halo, juce::Image::BitmapData::readWrite);

        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                reinterpret_cast<juce::PixelARGB*> (data.getPixelPointer (x, y))->setARGB (data.getPixelPointer (x, y)[3], 0, 0, 0);
    }
    Blur::apply (halo, 16.0f);

    juce::Graphics g (image);
    g.setOpacity (0.9f);
    g.drawImageAt (halo, 0, 6);
    g.setOpacity (1.0f);
    g.drawImageAt (titles, 0, 0);
}

juce::Image AboutArt::picture()
{
    juce::Image image (juce::Image::RGB, width, height, false);
    paintSubstrate (image);

    auto board = paintBoard();
    blendInFocus (board);
    {
        juce::Graphics g (image);
        g.drawImageAt (board, 0, 0);
    }

    paintShading (image);
    paintTitles (image);
    return image;
}
