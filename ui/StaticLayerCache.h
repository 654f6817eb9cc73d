#pragma once

#include "ui/DevicePixels.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

/**
    Paints an opaque component whose only changing parts are a few children on top of it, such as
    the level meters of a strip, that repaints often.

    Everything else (the component's own paint and its other children) is painted once into an
    opaque image, the layer, kept until some of it asks to be repainted, `layerInputsChanged`
    reports a change or the owner lands on other device pixels, and then only copied. The live
    children are painted anew on every frame, after `beforeLiveChildren` has run. The picture is
    the one the framework paints without the cache: the same calls in the same order, the live
    children last. They must therefore be the topmost children, and the owner must not paint over
    its children.

    `layerInputsChanged` runs at the start of every frame and tells whether anything the layer
    shows has changed without a repaint being asked for (such as a name read from shared
    settings); it must be cheap. Without it, every change must come with a repaint.

    At every display scale the copy is a copy of whole device pixels, never resampled, and it
    covers every device pixel that the owner touches. On a scaled display an owner may start or
    end inside a device pixel, which the framework's clip for it takes in: the owner must cover
    each pixel that it touches, in part or wholly, with an opaque paint of its own first (a fill of
    its clip, or an opaque picture copied over those pixels with DevicePixels), so that no such
    pixel shows what a parent or a sibling painted there, in the layer or in the window. An owner
    that a parent cuts off has in its layer what the parents leave of it, painted anew when that
    changes. The layer is painted in the window's own device coordinates and with the clip that
    the owner's parents give it there, for the renderer does not round positions alike
    everywhere (text baselines at half pixels, the steps of resampled images, which depend on
    where a run of pixels starts and ends): its runs of pixels start and end where the window's do.

    Where the owner lies on the device is worked out by DevicePixels. A peer's frame image starts
    at the corner of the area it repaints, and the framework's own rounding moves with it; the
    layer is painted as for a frame that starts at the window's corner. Under any other transform
    of the owner or a parent the cache paints the owner directly.

    Install it with juce::Component::setCachedComponentImage; the owner then owns it.
*/
class StaticLayerCache : public juce::CachedComponentImage
{
public:
    StaticLayerCache (juce::Component& owner, std::initializer_list<juce::Component*> liveChildren,
                      std::function<void()> beforeLiveChildren, std::function<bool()> layerInputsChanged = {});

    void paint (juce::Graphics& g) override;
    bool invalidateAll() override;
    bool invalidate (const juce::Rectangle<int>& area) override;
    void releaseResources() override;

    /** How often the layer has been painted, in whole or in part, since the cache was made. */
    int getLayerPaintCount() const noexcept;

private:
    /** Where the owner lies on the device, and the device pixels that its layer covers: all that
        it touches of what its parents leave of it. */
    struct Placement
    {
        DevicePixels pixels;
        juce::Rectangle<int> container;
    };

    class FramePixels;

    std::optional<Placement> findPlacement (float scale) const;
    bool isLive (const juce::Component* child) const;
    void paintLayer();
    void paintStill (juce::Graphics& g);
    void paintLive (juce::Graphics& g);
    static void paintChild (juce::Graphics& g, juce::Component& child);

    juce::Component& owner;
    std::vector<juce::Component*> live;
    std::function<void()> beforeLive;
    std::function<bool()> inputsChanged;

    juce::Image layer;                      // the container's pixels
    juce::RectangleList<int> stale;
    float layerScale = 1.0f;
    juce::Rectangle<int> layerArea;
    juce::Rectangle<int> layerVisible;
    int layerPaints = 0;

    JUCE_DECLARE_NON_COPYABLE (StaticLayerCache)
};
