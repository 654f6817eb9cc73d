#include "LogoArt.h"

#include "Lettering.h"
#include "SvgWriter.h"

namespace
{
const juce::Point<float> markCentre (LogoArt::markWidth * 0.5f, LogoArt::markHeight * 0.5f);
constexpr float ringOuter = 54.6f, ringInner = 50.2f;

Lettering::Style monogramStyle (float capHeight) { return { capHeight, 0.13f, 1.0f, 0.1f }; }
Lettering::Style makerNameStyle (float capHeight) { return { capHeight, 0.12f, 1.15f, 0.3f }; }

void addCentred (std::vector<Outline>& shapes, const juce::String& text, const Lettering::Style& style,
                 float centreX, float baseline)
{
    const auto width = Lettering::measure (text, style);

    for (auto& letter : Lettering::layoutLetters (text, style, centreX - width * 0.5f, baseline))
        shapes.push_back (std::move (letter));
}

Outline bar (float left, float top, float right, float bottom)
{
    Outline o (0.0f);
    o.rectangle (left, top, right, bottom);
    return o;
}
} // namespace

std::vector<Outline> LogoArt::makerMark (bool withName)
{
    std::vector<Outline> shapes;
    Outline ring (0.0f);
    ring.ring (markCentre, ringOuter, ringInner, 180);
    shapes.push_back (std::move (ring));

    const auto cx = markCentre.x, cy = markCentre.y;

    if (! withName)
    {
        addCentred (shapes, "KRV", monogramStyle (25.0f), cx, cy + 12.5f);
        return shapes;
    }

    addCentred (shapes, "KRV", monogramStyle (26.0f), cx, cy + 8.0f);

    // The maker's name under a short rule, with a matching rule above the monogram.
    shapes.push_back (bar (cx - 20.0f, cy - 29.5f, cx + 20.0f, cy - 27.3f));
    shapes.push_back (bar (cx - 30.0f, cy + 14.5f, cx + 30.0f, cy + 16.7f));
    addCentred (shapes, "KELVARO", makerNameStyle (7.0f), cx, cy + 28.5f);
    return shapes;
}

std::vector<Outline> LogoArt::wordmark (const juce::String& modelName)
{
    std::vector<Outline> shapes;
    const auto margin = 1.5f;

    // The series name spans the full width.
    Lettering::Style series { 40.0f, 0.12f, 1.5f, 0.2f };
    series.capHeight *= (wordmarkWidth - 2.0f * margin) / Lettering::measure ("VANTIQ", series);
    addCentred (shapes, "VANTIQ", series, wordmarkWidth * 0.5f, margin + series.capHeight);

    const Lettering::Style model { 15.0f, 0.11f, 1.35f, 0.5f };
    const auto baseline = wordmarkHeight - margin;
    const auto nameWidth = Lettering::measure (modelName, model);
    addCentred (shapes, modelName, model, wordmarkWidth * 0.5f, baseline);

    const auto ruleY = baseline - model.capHeight * 0.5f;
    const auto gap = 9.0f, thickness = 2.2f;
    shapes.push_back (bar (margin, ruleY - thickness * 0.5f, (wordmarkWidth - nameWidth) * 0.5f - gap, ruleY + thickness * 0.5f));
    shapes.push_back (bar ((wordmarkWidth + nameWidth) * 0.5f + gap, ruleY - thickness * 0.5f, wordmarkWidth - margin, ruleY + thickness * 0.5f));
    return shapes;
}

juce::String LogoArt::makerSvg()
{
    SvgWriter svg (markWidth, markHeight);

    for (const auto& shape : makerMark())
        svg.addPath (shape.toPath(), "#E6E6E5");

    return svg.toString();
}

juce::String LogoArt::wordmarkSvg (const juce::String& modelName, const juce::String& fillColour)
{
    SvgWriter svg (wordmarkWidth, wordmarkHeight);

    for (const auto& shape : wordmark (modelName))
        svg.addPath (shape.toPath(), fillColour);

    return svg.toString();
}

juce::Path LogoArt::combined (const std::vector<Outline>& shapes)
{
    juce::Path path;

    for (const auto& shape : shapes)
        path.addPath (shape.toPath());

    return path;
}

juce::Image LogoArt::makerPicture (int width, int height)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    const auto placement = juce::RectanglePlacement (juce::RectanglePlacement::centred)
                               .getTransformToFit ({ 0.0f, 0.0f, markWidth, markHeight },
                                                   juce::Rectangle<float> ((float) width, (float) height).reduced (0.5f));
    g.setColour (juce::Colours::white);
    g.fillPath (combined (makerMark()), placement);
    return image;
}

juce::Image LogoArt::icon (int size)
{
    juce::Image image (juce::Image::ARGB, size, size, true);
    juce::Graphics g (image);
    const auto s = (float) size;
    const auto disc = juce::Rectangle<float> (s, s).reduced (s * 0.02f);

    g.setGradientFill ({ juce::Colour (0xff302e2f), 0.0f, disc.getY(), juce::Colour (0xff151314), 0.0f, disc.getBottom(), false });
    g.fillEllipse (disc);

    std::vector<Outline> shapes;
    Outline ring (0.0f);
    const auto centre = disc.getCentre();
    const auto radius = disc.getWidth() * 0.5f;
    ring.ring (centre, radius * 0.9f, radius * (size <= 16 ? 0.74f : 0.8f), 90);
    shapes.push_back (std::move (ring));

    // Small icons cannot show three letters legibly, so they carry the K alone.
    if (size < 48)
        addCentred (shapes, "K", { radius * 0.85f, size <= 16 ? 0.16f : 0.13f, 1.0f, 0.0f }, centre.x + 0.3f, centre.y + radius * 0.43f);
    else
        addCentred (shapes, "KRV", monogramStyle (radius * 0.38f), centre.x, centre.y + radius * 0.19f);

    g.setColour (juce::Colour (0xffe6e6e5));
    g.fillPath (combined ({ shapes.front() }));
    g.setColour (juce::Colour (0xfff68b68));

    for (size_t i = 1; i < shapes.size(); ++i)
        g.fillPath (shapes[i].toPath());

    return image;
}
