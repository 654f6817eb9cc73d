#include "ui/StaticLayerCache.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

/**
    The layer seen as the part of the window's frame that it covers: an image that reaches from the
    frame's origin to the layer's far corner, with no pixels but the layer's. Painted through it,
    clipped to the layer, the owner is drawn in the device coordinates of the window itself, so the
    renderer rounds every position (text baselines, the steps of resampled images) as it does
    there; it does not round them the same way everywhere.
*/
class StaticLayerCache::FramePixels : public juce::ImagePixelData
{
public:
    FramePixels (const juce::Image& layerToUse, juce::Point<int> layerPosition)
        : juce::ImagePixelData (layerToUse.getFormat(), layerPosition.x + layerToUse.getWidth(),
                                layerPosition.y + layerToUse.getHeight()),
          layer (layerToUse), position (layerPosition)
    {
        jassert (position.x >= 0 && position.y >= 0);
    }

    juce::Rectangle<int> getLayerArea() const
    {
        return { position.x, position.y, layer.getWidth(), layer.getHeight() };
    }

    std::unique_ptr<juce::LowLevelGraphicsContext> createLowLevelContext() override
    {
        return std::make_unique<juce::LowLevelGraphicsSoftwareRenderer> (juce::Image (this), juce::Point<int>(),
                                                                         juce::RectangleList<int> (getLayerArea()));
    }

    Ptr clone() override
    {
        jassertfalse;   // only ever painted on, never copied
        return {};
    }

    std::unique_ptr<juce::ImageType> createType() const override
    {
        return std::make_unique<juce::SoftwareImageType>();
    }

    void initialiseBitmapData (juce::Image::BitmapData& bitmap, int x, int y, juce::Image::BitmapData::ReadWriteMode mode) override
    {
        // The layer's rows, addressed from the frame's origin. Only pixels within the layer are
        // ever reached: every context on this image is clipped to it.
        layer.getPixelData()->initialiseBitmapData (bitmap, 0, 0, mode);
        const auto offset = static_cast<std::ptrdiff_t> (x - position.x) * bitmap.pixelStride
                          + static_cast<std::ptrdiff_t> (y - position.y) * bitmap.lineStride;
        bitmap.data = reinterpret_cast<juce::uint8*> (reinterpret_cast<std::uintptr_t> (bitmap.data)
                                                      + static_cast<std::uintptr_t> (offset));
        bitmap.size = static_cast<std::size_t> (layer.getHeight()) * static_cast<std::size_t> (bitmap.lineStride);
    }

private:
    juce::Image layer;
    juce::Point<int> position;
};

StaticLayerCache::StaticLayerCache (juce::Component& ownerToPaint, std::initializer_list<juce::Component*> liveChildren,
                                    std::function<void()> beforeLiveChildren, std::function<bool()> layerInputsChanged)
    : owner (ownerToPaint), live (liveChildren), beforeLive (std::move (beforeLiveChildren)),
      inputsChanged (std::move (layerInputsChanged))
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

void StaticLayerCache::paintStill (juce::Graphics& g)
{
    {
        const juce::Graphics::ScopedSaveState state (g);
        owner.paint (g);
    }

    for (int i = 0; i < owner.getNumChildComponents(); ++i)
        if (auto* child = owner.getChildComponent (i); ! isLive (child))
            paintChild (g, *child);
}

void StaticLayerCache::paintLive (juce::Graphics& g)
{
    if (beforeLive)
        beforeLive();

    for (int i = 0; i < owner.getNumChildComponents(); ++i)
        if (auto* child = owner.getChildComponent (i); isLive (child))
            paintChild (g, *child);
}

std::optional<StaticLayerCache::Placement> StaticLayerCache::findPlacement (float scale) const
{
    const auto pixels = DevicePixels::find (owner, scale);

    if (! pixels || pixels->visible.isEmpty())
        return {};

    return Placement { *pixels, pixels->touched (pixels->visible) };
}

void StaticLayerCache::paintLayer()
{
    // The layer covers only what the top-level component leaves, which starts at pixel 0 or later.
    const juce::Image frame (new FramePixels (layer, layerArea.getPosition()));
    juce::LowLevelGraphicsSoftwareRenderer context (frame, {}, juce::RectangleList<int> (layerArea));
    juce::Graphics g (context);

    // The transform and clip of the window, made as the framework makes them: the display's
    // scale, then from the top down each component's bounds and position. Where a parent cuts
    // the owner off, the renderer's runs of pixels end there, as in the window.
    if (! juce::approximatelyEqual (layerScale, 1.0f))
        g.addTransform (juce::AffineTransform::scale (layerScale));

    std::vector<juce::Component*> path;
    auto* topLevel = &owner;

    for (; topLevel->getParentComponent() != nullptr; topLevel = topLevel->getParentComponent())
        path.push_back (topLevel);

    g.reduceClipRegion (topLevel->getLocalBounds());

    std::for_each (path.rbegin(), path.rend(), [&g] (juce::Component* component)
    {
        g.reduceClipRegion (component->getBounds());
        g.setOrigin (component->getPosition());
    });

    g.reduceClipRegion (stale);
    stale.clear();
    paintStill (g);
    ++layerPaints;
}

void StaticLayerCache::paint (juce::Graphics& g)
{
    const auto bounds = owner.getLocalBounds();

    if (bounds.isEmpty())
        return;

    if (inputsChanged != nullptr && inputsChanged())
        stale = bounds;

    const auto placement = findPlacement (g.getInternalContext().getPhysicalPixelScaleFactor());

    if (! placement)
    {
        // Not on the pixel grid as this cache sees it: painted as the framework paints it.
        paintStill (g);
        paintLive (g);
        return;
    }

    if (layer.isNull() || layer.getBounds() != placement->container.withZeroOrigin())
    {
        // Opaque: copying it onto the window's frame is a plain copy of its pixels, with no blending.
        layer = juce::Image (juce::Image::RGB, placement->container.getWidth(), placement->container.getHeight(),
                             false, juce::SoftwareImageType());
        layerArea = {};
    }

    if (layerArea != placement->container || layerVisible != placement->pixels.visible
        || ! juce::approximatelyEqual (layerScale, placement->pixels.scale))
    {
        // Painted anew for these device pixels, where the renderer rounds some positions otherwise,
        // and for what its parents leave of it: the part they cut off was not painted.
        layerScale = placement->pixels.scale;
        layerArea = placement->container;
        layerVisible = placement->pixels.visible;
        stale = bounds;
    }

    if (! stale.isEmpty())
        paintLayer();

    {
        const juce::Graphics::ScopedSaveState state (g);
        g.setOpacity (1.0f);
        placement->pixels.copy (g, layer, layerArea.getPosition());
    }

    paintLive (g);
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

int StaticLayerCache::getLayerPaintCount() const noexcept
{
    return layerPaints;
}
