#include "ui/StaticLayerCache.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace
{
/** A device position this close to a whole pixel is taken as lying on it: the framework scales
    positions in single precision, which leaves them that far off. */
constexpr double wholePixelTolerance = 1.0e-3;

double snappedToWholePixel (double position)
{
    const auto whole = std::round (position);
    return std::abs (position - whole) < wholePixelTolerance ? whole : position;
}
} // namespace

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
    Placement placement;
    placement.scale = scale;

    // The owner's origin in the top-level component, and the part of the owner that the
    // framework leaves in its clip on the way down: every component clips to its bounds.
    juce::Point<int> origin;
    placement.visible = owner.getLocalBounds();

    for (auto* component = &owner; component != nullptr; component = component->getParentComponent())
    {
        if (component->isTransformed())
            return {};

        placement.visible = placement.visible.getIntersection (component->getLocalBounds() - origin);

        if (component->getParentComponent() != nullptr)
            origin += component->getPosition();
    }

    if (placement.visible.isEmpty())
        return {};

    // On a scaled display the renderer does not draw the pixels along a parent's cut as it draws
    // them elsewhere: it covers the last one in part, and text and resampled images that run into
    // the cut round their edge pixels otherwise than any layer can repeat. An owner cut off there
    // is painted directly, as the framework paints it.
    const auto scaled = ! juce::approximatelyEqual (scale, 1.0f);
    const auto& visible = placement.visible;

    if (scaled && visible != owner.getLocalBounds())
        return {};

    // Device pixels from the top-level component's origin, which the window paints from a whole
    // pixel with the display's scale as its only transform. The edge pixels that the owner covers
    // in part are left out of the interior.
    const auto axis = [scale] (int origin1, int start, int end, int& containerStart, int& containerEnd,
                               int& interiorStart, int& interiorEnd)
    {
        const auto toDevice = [scale] (int position)
        {
            return snappedToWholePixel (static_cast<double> (position) * static_cast<double> (scale));
        };

        const auto near = toDevice (origin1 + start);
        const auto far = toDevice (origin1 + end);
        containerStart = static_cast<int> (std::floor (near));
        containerEnd = static_cast<int> (std::ceil (far));
        interiorStart = static_cast<int> (std::ceil (near));
        interiorEnd = static_cast<int> (std::floor (far));
        return toDevice (origin1);
    };

    int left = 0, right = 0, top = 0, bottom = 0, innerLeft = 0, innerRight = 0, innerTop = 0, innerBottom = 0;
    placement.position = { axis (origin.x, visible.getX(), visible.getRight(), left, right, innerLeft, innerRight),
                           axis (origin.y, visible.getY(), visible.getBottom(), top, bottom, innerTop, innerBottom) };

    if (innerRight <= innerLeft || innerBottom <= innerTop)
        return {};

    placement.container = { left, top, right - left, bottom - top };
    placement.interior = { innerLeft, innerTop, innerRight - innerLeft, innerBottom - innerTop };
    return placement;
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

    if (layerArea != placement->container || layerInterior != placement->interior
        || layerVisible != placement->visible || ! juce::approximatelyEqual (layerScale, placement->scale))
    {
        // Painted anew for these device pixels, where the renderer rounds some positions otherwise,
        // and for what its parents leave of it: the part they cut off was not painted.
        layerScale = placement->scale;
        layerArea = placement->container;
        layerInterior = placement->interior;
        layerVisible = placement->visible;
        copied = layerInterior == layerArea ? layer : layer.getClippedImage (layerInterior - layerArea.getPosition());
        stale = bounds;
    }

    if (! stale.isEmpty())
        paintLayer();

    if (layerInterior != layerArea)
    {
        // The pixels at the edges that the owner covers only in part: the framework paints them
        // over what the parent painted there, and so they are painted here, directly, before the
        // copy covers the rest. What is left out ends more than a device pixel short of the edge
        // pixels, so that each of them lies within the same run of its scan line, and is drawn
        // the same way, as when the whole owner is painted: the renderer blends the first pixel
        // of a run and the pixels within it with slightly different rounding.
        const juce::Graphics::ScopedSaveState state (g);
        g.excludeClipRegion (layerVisible.reduced (static_cast<int> (std::floor (1.0f / layerScale)) + 1));

        if (! g.isClipEmpty())
            paintStill (g);
    }

    {
        const juce::Graphics::ScopedSaveState state (g);
        g.setOpacity (1.0f);

        if (juce::approximatelyEqual (layerScale, 1.0f))
        {
            // Without a scale device pixels are the owner's, a whole number of them from its origin.
            g.drawImageAt (copied, juce::roundToInt (layerInterior.getX() - placement->position.x),
                           juce::roundToInt (layerInterior.getY() - placement->position.y));
        }
        else
        {
            // Back to device pixels, where the copy lies a whole number of pixels from the frame's
            // origin: the renderer copies it as it is. The nudge of half a 256th of a pixel keeps
            // the renderer's truncation to 256ths on the same whole pixel either side of it.
            constexpr double nudge = 1.0 / 512.0;
            const auto x = static_cast<double> (layerInterior.getX()) - placement->position.x + nudge;
            const auto y = static_cast<double> (layerInterior.getY()) - placement->position.y + nudge;
            g.drawImageTransformed (copied, juce::AffineTransform::translation (static_cast<float> (x), static_cast<float> (y))
                                                .scaled (1.0f / layerScale),
                                    false);
        }
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
    copied = {};
}
