#pragma once

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

    At every display scale the copy is a copy of whole device pixels, never resampled. On a
    scaled display an owner may start or end inside a device pixel: the framework paints such a
    pixel over what the parent painted there, so the layer holds only the pixels that the owner
    covers wholly, and the thin frame of pixels that it covers in part is painted directly on
    every frame, as the framework paints it. An owner that a parent cuts off is painted directly
    on a scaled display (only there: at scale 1 the layer holds what its parents leave of it),
    since the renderer draws the pixels along such a cut in ways no layer repeats. The layer is painted in the window's own device coordinates and with the
    clip that the owner's parents give it there, for the renderer does not round positions alike
    everywhere (text baselines at half pixels, the steps of resampled images, which depend on
    where a run of pixels starts and ends). At scale 1 nothing is painted directly: the copy is
    all there is besides the live children.

    Where the owner lies on the device is worked out from its position in the top-level
    component and the renderer's pixel scale: a window paints its top-level component from a whole
    device pixel with the display's scale as its only transform (the Linux and Windows peers do;
    so do the test probe and the benchmarks, from pixel 0). A peer's frame image starts at the
    corner of the area it repaints, and the framework's own rounding moves with it; the layer is
    painted as for a frame that starts at the window's corner. Under any other transform of the
    owner or a parent the cache paints the owner directly.

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

private:
    /** Where the owner lies on the device's pixels, counted from the top-level component's origin. */
    struct Placement
    {
        float scale = 1.0f;
        juce::Point<double> position;       // of the owner's origin
        juce::Rectangle<int> container;     // the pixels that it covers at all
        juce::Rectangle<int> interior;      // the pixels that it covers wholly
        juce::Rectangle<int> visible;       // what its parents leave of it, in its own coordinates
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
    juce::Image copied;                     // the interior's, within the layer
    juce::RectangleList<int> stale;
    float layerScale = 1.0f;
    juce::Rectangle<int> layerArea;
    juce::Rectangle<int> layerInterior;
    juce::Rectangle<int> layerVisible;

    JUCE_DECLARE_NON_COPYABLE (StaticLayerCache)
};
