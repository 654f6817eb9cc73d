#include "FaderArt.h"

#include "Blur.h"

juce::Image FaderArt::cap()
{
    const int w = 195, h = 307;
    const auto mid = centreRow;
    const juce::Rectangle<float> body (10.0f, mid - 74.0f, 175.0f, 148.0f);

    juce::Image image (juce::Image::ARGB, w, h, true);
    juce::Graphics g (image);

    // The soft shadow the cap throws on the panel below it, and a tighter contact shadow.
    auto shadow = [&] (float dropBy, float grow, float blur, float alpha)
    {
        juce::Image layer (juce::Image::ARGB, w, h, true);
        {
            juce::Graphics s (layer);
            s.setColour (juce::Colours::black);
            s.fillRoundedRectangle (body.translated (0.0f, dropBy).expanded (grow, 0.0f), 16.0f);
        }
        Blur::apply (layer, blur);
        g.setOpacity (alpha);
        g.drawImageAt (layer, 0, 0);
        g.setOpacity (1.0f);
    };

    shadow (70.0f, -6.0f, 26.0f, 0.85f);
    shadow (8.0f, 0.0f, 7.0f, 0.7f);

    g.setColour (juce::Colour (0xff0d0c0c));
    g.fillRoundedRectangle (body, 13.0f);

    const auto inner = body.reduced (4.0f);
    const auto upper = inner.withBottom (mid - 4.0f);
    const auto lower = inner.withTop (mid + 4.0f);

    // The upper face tilts towards the light, the lower one away from it.
    g.setGradientFill ({ juce::Colour (0xff524f50), 0.0f, upper.getY(), juce::Colour (0xff2a2829), 0.0f, upper.getBottom(), false });
    g.fillRoundedRectangle (upper, 9.0f);
    g.fillRect (upper.withTop (upper.getY() + 12.0f));
    g.setGradientFill ({ juce::Colour (0xff1b191a), 0.0f, lower.getY(), juce::Colour (0xff333132), 0.0f, lower.getBottom(), false });
    g.fillRoundedRectangle (lower, 9.0f);
    g.fillRect (lower.withBottom (lower.getBottom() - 12.0f));

    // Grip ridges across both faces.
    for (auto face : { upper, lower })
    {
        for (auto y = face.getY() + 9.0f; y < face.getBottom() - 6.0f; y += 7.0f)
        {
            g.setColour (juce::Colours::black.withAlpha (0.38f));
            g.fillRect (face.getX() + 6.0f, y, face.getWidth() - 12.0f, 1.5f);
            g.setColour (juce::Colours::white.withAlpha (0.07f));
            g.fillRect (face.getX() + 6.0f, y + 1.5f, face.getWidth() - 12.0f, 1.0f);
        }
    }

    // Rounded sides.
    g.setGradientFill ({ juce::Colours::black.withAlpha (0.45f), inner.getX(), 0.0f, juce::Colours::transparentBlack, inner.getX() + 32.0f, 0.0f, false });
    g.fillRect (inner);
    g.setGradientFill ({ juce::Colours::black.withAlpha (0.45f), inner.getRight(), 0.0f, juce::Colours::transparentBlack, inner.getRight() - 32.0f, 0.0f, false });
    g.fillRect (inner);

    // A sharp highlight along the top edge.
    auto highlight = juce::ColourGradient (juce::Colours::white.withAlpha (0.0f), body.getX() + 12.0f, 0.0f,
                                           juce::Colours::white.withAlpha (0.0f), body.getRight() - 12.0f, 0.0f, false);
    highlight.addColour (0.5, juce::Colours::white.withAlpha (0.35f));
    g.setGradientFill (highlight);
    g.fillRect (body.getX() + 12.0f, body.getY() + 1.5f, body.getWidth() - 24.0f, 1.5f);

    // The groove in the middle with the orange position line and its glow.
    const auto groove = juce::Rectangle<float> (inner.getX(), mid - 4.0f, inner.getWidth(), 8.0f);
    g.setColour (juce::Colour (0xff070606));
    g.fillRect (groove);

    const juce::Colour orange (0xfff7893e);
    juce::Image glow (juce::Image::ARGB, w, h, true);
    {
        juce::Graphics s (glow);
        s.setColour (orange);
        s.fillRect (groove.reduced (6.0f, 2.0f));
    }
    Blur::apply (glow, 5.0f);
    {
        juce::Graphics::ScopedSaveState save (g);
        g.reduceClipRegion (body.toNearestInt());
        g.setOpacity (0.7f);
        g.drawImageAt (glow, 0, 0);
        g.setOpacity (1.0f);
    }
    g.setColour (orange);
    g.fillRect (groove.getX() + 4.0f, mid - 1.5f, groove.getWidth() - 8.0f, 3.0f);
    g.setColour (juce::Colour (0xffffc9a0));
    g.fillRect (groove.getX() + 10.0f, mid - 0.5f, groove.getWidth() - 20.0f, 1.0f);

    g.setColour (juce::Colours::black.withAlpha (0.85f));
    g.drawRoundedRectangle (body.reduced (0.75f), 12.5f, 1.5f);
    return image;
}

juce::Image FaderArt::track()
{
    const int w = 22, h = 782;
    juce::Image image (juce::Image::ARGB, w, h, true);
    juce::Graphics g (image);

    const juce::Rectangle<float> outer (0.5f, 0.5f, (float) w - 1.0f, (float) h - 1.0f);
    g.setColour (juce::Colour (0xff181717));
    g.fillRoundedRectangle (outer, outer.getWidth() * 0.5f);

    const auto slot = outer.reduced (3.0f);
    g.setGradientFill ({ juce::Colour (0xff000000), slot.getX(), 0.0f, juce::Colour (0xff0a0909), slot.getRight(), 0.0f, false });
    g.fillRoundedRectangle (slot, slot.getWidth() * 0.5f);

    // The slot's upper end lies in shadow, and its lower lip catches a little light.
    {
        juce::Graphics::ScopedSaveState save (g);
        juce::Path slotShape;
        slotShape.addRoundedRectangle (slot, slot.getWidth() * 0.5f);
        g.reduceClipRegion (slotShape);
        g.setGradientFill ({ juce::Colours::black, 0.0f, slot.getY(), juce::Colours::transparentBlack, 0.0f, slot.getY() + 24.0f, false });
        g.fillRect (slot);
    }

    g.setGradientFill ({ juce::Colours::white.withAlpha (0.03f), 0.0f, 0.0f, juce::Colours::white.withAlpha (0.14f), 0.0f, (float) h, false });
    g.drawRoundedRectangle (outer, outer.getWidth() * 0.5f, 1.0f);
    return image;
}
