#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    A stand-in for the window around one widget: the widget is its only child, painted the way a
    window paints its children (through the child's cached image, when it has one), and every
    request to repaint that reaches the probe from below is counted, as the window would hear it.
*/
class WindowPaintProbe : public juce::Component
{
public:
    explicit WindowPaintProbe (juce::Component& widget)
    {
        setSize (widget.getRight(), widget.getBottom());
        setVisible (true);   // repaint requests travel only through visible components
        addAndMakeVisible (widget);
        setCachedComponentImage (new Recorder (*this));
        requests = 0;
    }

    ~WindowPaintProbe() override
    {
        removeAllChildren();
    }

    /** One frame of the whole probe, in the window's pixel format, at the display's pixel scale:
        as a window on a scaled display paints, from a whole pixel with the scale as its transform. */
    juce::Image paintFrame (float scale = 1.0f)
    {
        const auto size = (getLocalBounds().toFloat() * scale).getSmallestIntegerContainer();
        juce::Image frame (juce::Image::ARGB, size.getWidth(), size.getHeight(), true, juce::SoftwareImageType());
        juce::Graphics g (frame);

        if (! juce::approximatelyEqual (scale, 1.0f))
            g.addTransform (juce::AffineTransform::scale (scale));

        paintEntireComponent (g, false);
        return frame;
    }

    /** Repaint requests heard since the probe was made or last reset. */
    int requests = 0;

private:
    struct Recorder : public juce::CachedComponentImage
    {
        explicit Recorder (WindowPaintProbe& ownerToUse) : owner (ownerToUse) {}

        void paint (juce::Graphics& g) override { owner.paintEntireComponent (g, false); }
        bool invalidateAll() override { ++owner.requests; return false; }
        bool invalidate (const juce::Rectangle<int>&) override { ++owner.requests; return false; }
        void releaseResources() override {}

        WindowPaintProbe& owner;
    };
};

/** True when both images have the same size and every pixel agrees. */
inline bool samePixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return false;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}
