#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    A window peer without a window: it collects the areas that its component marks dirty and, on
    request, paints them into an image with the software renderer, as a desktop peer does on each
    frame. The benchmarks measure painting this way, without a display and without the cost of
    putting the image on a screen.
*/
class BenchPeer : public juce::ComponentPeer
{
public:
    BenchPeer (juce::Component& owner, int windowStyleFlags);

    /** Paints every area marked dirty since the last call into the image and forgets them, at the
        display scale given (the image then has the window's size times the scale, as the Linux
        peer's has on a scaled display). Returns the number of device pixels painted. */
    juce::int64 paintDirtyAreas (juce::Image& image, float scale = 1.0f);

    /** Marks the whole component dirty. */
    void invalidateAll();

    void* getNativeHandle() const override { return nullptr; }
    void setVisible (bool) override {}
    void setTitle (const juce::String&) override {}
    void setBounds (const juce::Rectangle<int>& newBounds, bool) override;
    juce::Rectangle<int> getBounds() const override { return bounds; }
    using juce::ComponentPeer::localToGlobal;
    using juce::ComponentPeer::globalToLocal;
    juce::Point<float> localToGlobal (juce::Point<float> position) override { return position + bounds.getPosition().toFloat(); }
    juce::Point<float> globalToLocal (juce::Point<float> position) override { return position - bounds.getPosition().toFloat(); }
    void setMinimised (bool) override {}
    bool isMinimised() const override { return false; }
    void setFullScreen (bool) override {}
    bool isFullScreen() const override { return false; }
    void setIcon (const juce::Image&) override {}
    bool contains (juce::Point<int> position, bool) const override { return bounds.withZeroOrigin().contains (position); }
    OptionalBorderSize getFrameSizeIfPresent() const override { return OptionalBorderSize { {} }; }
    juce::BorderSize<int> getFrameSize() const override { return {}; }
    bool setAlwaysOnTop (bool) override { return false; }
    void toFront (bool) override {}
    void toBehind (juce::ComponentPeer*) override {}
    bool isFocused() const override { return true; }
    void grabFocus() override {}
    void repaint (const juce::Rectangle<int>& area) override { dirty.add (area.getIntersection (bounds.withZeroOrigin())); }
    void performAnyPendingRepaintsNow() override {}
    void setAlpha (float) override {}
    juce::StringArray getAvailableRenderingEngines() override { return { "Software Renderer" }; }

private:
    void textInputRequired (juce::Point<int>, juce::TextInputTarget&) override {}

    juce::Rectangle<int> bounds;
    juce::RectangleList<int> dirty;
};
