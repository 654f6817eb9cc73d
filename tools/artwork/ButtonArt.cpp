#include "ButtonArt.h"

#include "Blur.h"

namespace
{
constexpr int imageWidth = 100, imageHeight = 108;
const juce::Point<float> centre (50.0f, 48.0f);
constexpr float rimRadius = 37.0f, faceRadius = 32.0f;

struct Look
{
    juce::Colour faceTop, faceBottom, rimTop, rimBottom, symbol;
    float shadowRadius, shadowOffset, shadowAlpha;
    juce::Colour glow;
    float glowAlpha;
    bool pressed;
};

Look lookFor (ButtonArt::State state)
{
    const juce::Colour green (0xff7cdb73), red (0xffef4b3c), light (0xffe5e5e5), dark (0xff1a1819);
    const Look off { juce::Colour (0xff242223), juce::Colour (0xff3a3839), juce::Colour (0xff5c595a), juce::Colour (0xff121011),
                     light, 8.0f, 6.0f, 0.8f, {}, 0.0f, false };

    switch (state)
    {
        case ButtonArt::State::off:
        case ButtonArt::State::offAnimate:
            return off;
        case ButtonArt::State::offHover:
            return { juce::Colour (0xff2a2829), juce::Colour (0xff403e3f), juce::Colour (0xff636061), juce::Colour (0xff151314),
                     juce::Colour (0xfff2f2f2), 4.0f, 2.5f, 0.65f, {}, 0.0f, false };
        case ButtonArt::State::offClick:
            return { juce::Colour (0xff2f5a2c), juce::Colour (0xff4f9648), juce::Colour (0xff3f6a3b), juce::Colour (0xff101a0f),
                     light, 2.5f, 1.0f, 0.6f, green, 0.35f, true };
        case ButtonArt::State::on:
            return { juce::Colour (0xffa8f3a0), juce::Colour (0xff5cc253), juce::Colour (0xffc9f7c3), juce::Colour (0xff2f7a2a),
                     dark, 7.0f, 5.0f, 0.7f, green, 0.8f, false };
        case ButtonArt::State::onHover:
            return { juce::Colour (0xffb9f7b2), juce::Colour (0xff6ccf63), juce::Colour (0xffd6fad1), juce::Colour (0xff358532),
                     dark, 4.0f, 2.5f, 0.6f, green, 1.0f, false };
        case ButtonArt::State::onClick:
            return { juce::Colour (0xff1e331c), juce::Colour (0xff335c30), juce::Colour (0xff355a32), juce::Colour (0xff0e140d),
                     juce::Colour (0xffb8dcb3), 2.5f, 1.0f, 0.6f, green, 0.2f, true };
        case ButtonArt::State::resetClick:
            return { juce::Colour (0xffff7a6b), juce::Colour (0xffcf3328), juce::Colour (0xffffa497), juce::Colour (0xff6e1510),
                     dark, 2.5f, 1.0f, 0.6f, red, 0.9f, true };
    }

    return off;
}

juce::Path circle (float radius, juce::Point<float> offset = {})
{
    juce::Path p;
    p.addEllipse (centre.x + offset.x - radius, centre.y + offset.y - radius, radius * 2.0f, radius * 2.0f);
    return p;
}

// A blurred copy of a shape, for shadows and glows.
juce::Image softShape (const juce::Path& shape, juce::Colour colour, float blurRadius)
{
    juce::Image layer (juce::Image::ARGB, imageWidth, imageHeight, true);
    {
        juce::Graphics g (layer);
        g.setColour (colour);
        g.fillPath (shape);
    }
    Blur::apply (layer, blurRadius);
    return layer;
}
} // namespace

juce::Image ButtonArt::paint (State state, const std::vector<juce::Path>& symbol)
{
    const auto look = lookFor (state);
    juce::Image image (juce::Image::ARGB, imageWidth, imageHeight, true);
    juce::Graphics g (image);

    if (look.glowAlpha > 0.0f)
    {
        g.setOpacity (look.glowAlpha);
        g.drawImageAt (softShape (circle (rimRadius + 3.0f), look.glow, 9.0f), 0, 0);
        g.setOpacity (1.0f);
    }

    g.setOpacity (look.shadowAlpha);
    g.drawImageAt (softShape (circle (rimRadius, { 0.0f, look.shadowOffset }), juce::Colours::black, look.shadowRadius), 0, 0);
    g.setOpacity (1.0f);

    // The bevelled rim, lit from above.
    g.setGradientFill ({ look.rimTop, centre.x, centre.y - rimRadius, look.rimBottom, centre.x, centre.y + rimRadius, false });
    g.fillPath (circle (rimRadius));

    g.setColour (juce::Colour (0xcc0a0a0a));
    g.fillPath (circle (faceRadius + 1.5f));

    // The face is dished: darker at the top than at the bottom.
    g.setGradientFill ({ look.faceTop, centre.x, centre.y - faceRadius, look.faceBottom, centre.x, centre.y + faceRadius, false });
    g.fillPath (circle (faceRadius));

    {
        juce::Graphics::ScopedSaveState save (g);
        g.reduceClipRegion (circle (faceRadius));
        const auto shade = look.pressed ? 0.45f : 0.18f;
        g.setGradientFill ({ juce::Colours::black.withAlpha (shade), centre.x, centre.y - faceRadius,
                             juce::Colours::transparentBlack, centre.x, centre.y - faceRadius * (look.pressed ? 0.2f : 0.5f), false });
        g.fillPath (circle (faceRadius));
        g.setGradientFill ({ juce::Colours::white.withAlpha (0.10f), centre.x, centre.y + faceRadius,
                             juce::Colours::transparentWhite, centre.x, centre.y + faceRadius * 0.3f, false });
        g.fillPath (circle (faceRadius));
    }

    // The symbol's pieces overlap, so they are gathered in a mask first and painted once.
    juce::Image mask (juce::Image::SingleChannel, imageWidth, imageHeight, true);
    {
        juce::Graphics m (mask);
        m.setColour (juce::Colours::white);

        for (const auto& piece : symbol)
            m.fillPath (piece, juce::AffineTransform::translation (centre));
    }

    const auto lightSymbol = look.symbol.getPerceivedBrightness() > 0.5f;

    // Light symbols cast a small shadow; dark ones look pressed into the face.
    g.setColour (lightSymbol ? juce::Colours::black.withAlpha (0.5f) : juce::Colours::white.withAlpha (0.35f));
    g.drawImageAt (mask, 0, lightSymbol ? 2 : 1, true);
    g.setColour (look.symbol);
    g.drawImageAt (mask, 0, 0, true);

    return image;
}

std::vector<juce::Path> ButtonArt::linkSymbol()
{
    // Two open halves of a chain link joined by a bar, laid at 45 degrees.
    juce::Path p;
    p.startNewSubPath (-3.5f, -7.5f);
    p.lineTo (-12.5f, -7.5f);
    p.addCentredArc (-12.5f, 0.0f, 7.5f, 7.5f, 0.0f, 0.0f, -juce::MathConstants<float>::pi);
    p.lineTo (-3.5f, 7.5f);

    p.startNewSubPath (3.5f, -7.5f);
    p.lineTo (12.5f, -7.5f);
    p.addCentredArc (12.5f, 0.0f, 7.5f, 7.5f, 0.0f, 0.0f, juce::MathConstants<float>::pi);
    p.lineTo (3.5f, 7.5f);

    p.startNewSubPath (-8.0f, 0.0f);
    p.lineTo (8.0f, 0.0f);

    p.applyTransform (juce::AffineTransform::rotation (-juce::MathConstants<float>::pi * 0.25f));

    juce::Path shape;
    juce::PathStrokeType (5.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded).createStrokedPath (shape, p);
    return { shape };
}

std::vector<juce::Path> ButtonArt::resetSymbol (float rotation)
{
    // An anticlockwise circular arrow with its head at the top, as on an undo or reset control.
    const auto radius = 13.5f;
    const auto start = -juce::MathConstants<float>::pi * 0.12f;
    const auto end = start - juce::MathConstants<float>::twoPi * 0.8f;

    juce::Path arc;
    arc.addCentredArc (0.0f, 0.0f, radius, radius, 0.0f, start, end, true);

    juce::Path shape;
    juce::PathStrokeType (5.0f, juce::PathStrokeType::curved, juce::PathStrokeType::butt).createStrokedPath (shape, arc);

    // The arrow head sits on the end of the arc and points along it.
    const juce::Point<float> radial (std::sin (end), -std::cos (end));
    const juce::Point<float> along (-std::cos (end), -std::sin (end));
    const auto tip = radial * radius + along * 9.0f;
    const auto back = radial * radius - along * 1.0f;
    juce::Path head;
    head.addTriangle (tip, back + radial * 9.0f, back - radial * 9.0f);

    const auto turn = juce::AffineTransform::rotation (rotation);
    shape.applyTransform (turn);
    head.applyTransform (turn);
    return { shape, head };
}

juce::Image ButtonArt::link (State state)
{
    return paint (state, linkSymbol());
}

juce::Image ButtonArt::reset (State state)
{
    const auto rotation = state == State::offAnimate ? -juce::MathConstants<float>::pi / 3.0f : 0.0f;
    return paint (state, resetSymbol (rotation));
}
