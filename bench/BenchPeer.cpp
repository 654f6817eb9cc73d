#include "bench/BenchPeer.h"

BenchPeer::BenchPeer (juce::Component& owner, int windowStyleFlags)
    : juce::ComponentPeer (owner, windowStyleFlags),
      bounds (owner.getBounds())
{
}

void BenchPeer::setBounds (const juce::Rectangle<int>& newBounds, bool)
{
    const auto resized = newBounds.getWidth() != bounds.getWidth() || newBounds.getHeight() != bounds.getHeight();
    bounds = newBounds;
    handleMovedOrResized();

    if (resized)
        invalidateAll();
}

void BenchPeer::invalidateAll()
{
    dirty.add (bounds.withZeroOrigin());
}

juce::int64 BenchPeer::paintDirtyAreas (juce::Image& image, float scale)
{
    if (dirty.isEmpty())
        return 0;

    // In device pixels, each area widened to whole pixels, as the Linux peer keeps them.
    juce::RectangleList<int> areas;

    for (const auto& area : dirty)
        areas.add (area * scale);

    dirty.clear();

    // Areas marked while the window was larger lie partly outside what there is to paint now.
    areas.clipTo ((bounds.withZeroOrigin() * scale).getIntersection (image.getBounds()));
    areas.consolidate();

    juce::int64 pixels = 0;

    for (const auto& area : areas)
        pixels += static_cast<juce::int64> (area.getWidth()) * area.getHeight();

    // As the Linux peer paints a frame: the software renderer, clipped to the dirty areas.
    juce::LowLevelGraphicsSoftwareRenderer context (image, {}, areas);

    if (! juce::approximatelyEqual (scale, 1.0f))
        context.addTransform (juce::AffineTransform::scale (scale));

    handlePaint (context);
    return pixels;
}
