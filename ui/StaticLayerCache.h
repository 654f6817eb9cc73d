#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <initializer_list>
#include <vector>

/**
    Paints an opaque component whose only changing parts are a few children on top of it, such as
    the level meters of a strip, that repaints often.

    Everything else (the component's own paint and its other children) is painted once into an
    opaque image, kept until some of it asks to be repainted or the size changes, and then only
    copied. The live children are painted anew on every frame, after `beforeLiveChildren` has run.
    The picture is the one the framework paints without the cache: the same calls in the same
    order, the live children last. They must therefore be the topmost children, and the owner must
    not paint over its children.

    Install it with juce::Component::setCachedComponentImage; the owner then owns it.
*/
class StaticLayerCache : public juce::CachedComponentImage
{
public:
    StaticLayerCache (juce::Component& owner, std::initializer_list<juce::Component*> liveChildren,
                      std::function<void()> beforeLiveChildren);

    void paint (juce::Graphics& g) override;
    bool invalidateAll() override;
    bool invalidate (const juce::Rectangle<int>& area) override;
    void releaseResources() override;

private:
    bool isLive (const juce::Component* child) const;
    void paintLayer (juce::Graphics& g);
    static void paintChild (juce::Graphics& g, juce::Component& child);

    juce::Component& owner;
    std::vector<juce::Component*> live;
    std::function<void()> beforeLive;

    juce::Image layer;
    juce::RectangleList<int> stale;
    float scale = 1.0f;

    JUCE_DECLARE_NON_COPYABLE (StaticLayerCache)
};
