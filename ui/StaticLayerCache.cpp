#include "ui/StaticLayerCache.h"

#include <algorithm>

StaticLayerCache::StaticLayerCache (juce::Component& ownerToPaint, std::initializer_list<juce::Component*> liveChildren,
                                    std::function<void()> beforeLiveChildren)
    : owner (ownerToPaint), live (liveChildren), beforeLive (std::move (beforeLiveChildren))
{
    // The layer has no alpha: what lies behind the owner never shows through.
    jassert (owner.isOpaque());
}

bool StaticLayerCache::isLive (const juce::Component* child) const
{
    return std::find (live.begin(), live.end(), child) != live.end();
}

void StaticLayerCache::paintChild (juce::Graphics& g, juce::Component& child)
{
    // As the framework paints a child: clipped to its bounds, from its own origin.
    if (! child.isVisible())
        return;

    const juce::Graphics::ScopedSaveState state (g);

    if (g.reduceClipRegion (child.getBounds()))
    {
        g.setOrigin (child.getPosition());
        child.paintEntireComponent (g, false);
    }
}

void StaticLayerCache::paintLayer (juce::Graphics& g)
{
    {
        const juce::Graphics::ScopedSaveState state (g);
        owner.paint (g);
    }

    for (int i = 0; i < owner.getNumChildComponents(); ++i)
        if (auto* child = owner.getChildComponent (i); ! isLive (child))
            paintChild (g, *child);
}

void StaticLayerCache::paint (juce::Graphics& g)
{
    const auto bounds = owner.getLocalBounds();

    // At the renderer's pixel scale, so that a scaled display gets as many pixels as without the cache.
    const auto newScale = g.getInternalContext().getPhysicalPixelScaleFactor();
    const auto imageBounds = (bounds.toFloat() * newScale).getSmallestIntegerContainer();

    if (bounds.isEmpty())
        return;

    if (layer.isNull() || layer.getBounds() != imageBounds || ! juce::approximatelyEqual (scale, newScale))
    {
        // Opaque: copying it onto the window's frame is a plain copy of its pixels, with no blending.
        layer = juce::Image (juce::Image::RGB, juce::jmax (1, imageBounds.getWidth()), juce::jmax (1, imageBounds.getHeight()),
                             false, juce::SoftwareImageType());
        scale = newScale;
        stale = bounds;
    }

    if (! stale.isEmpty())
    {
        juce::Graphics layerGraphics (layer);
        layerGraphics.addTransform (juce::AffineTransform::scale (scale));
        layerGraphics.reduceClipRegion (stale);
        stale.clear();
        paintLayer (layerGraphics);
    }

    {
        const juce::Graphics::ScopedSaveState state (g);
        g.setOpacity (1.0f);

        if (juce::approximatelyEqual (scale, 1.0f))
            g.drawImageAt (layer, 0, 0);
        else
            g.drawImageTransformed (layer, juce::AffineTransform::scale (1.0f / scale), false);
    }

    if (beforeLive)
        beforeLive();

    for (int i = 0; i < owner.getNumChildComponents(); ++i)
        if (auto* child = owner.getChildComponent (i); isLive (child))
            paintChild (g, *child);
}

bool StaticLayerCache::invalidateAll()
{
    stale = owner.getLocalBounds();
    return true;
}

bool StaticLayerCache::invalidate (const juce::Rectangle<int>& area)
{
    stale.add (area.getIntersection (owner.getLocalBounds()));
    return true;
}

void StaticLayerCache::releaseResources()
{
    layer = {};
}
