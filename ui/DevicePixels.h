#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

/**
    Where a component lies on the device pixels of its window, and how to copy an image onto whole
    device pixels from within the component's own paint.

    A window paints its top-level component from a whole device pixel with the display's scale as
    its only transform (the Linux and Windows peers do; so do the test probes and the benchmarks,
    from pixel 0), so a component's device position is its position in the top-level component
    times the scale. On a scaled display that position may lie inside a device pixel; the
    framework's clip for the component then takes in every pixel that the component touches, in
    part or wholly. Under any transform of the component or a parent there is no such grid, and
    `find` gives nothing.

    An image made for device pixels and copied with `copy` is copied as it is, never resampled:
    what a picture stretched once to device pixels costs on every later frame is a copy.
*/
class DevicePixels
{
public:
    /** Where `component` lies when its window paints at `scale`; nothing under a transform. */
    static std::optional<DevicePixels> find (const juce::Component& component, float scale);

    /** The display's pixel scale. */
    float scale = 1.0f;

    /** The device position of the component's origin, counted from the top-level component's. */
    juce::Point<double> origin;

    /** What the component's parents leave of it, in its own coordinates; may be empty. */
    juce::Rectangle<int> visible;

    /** The device pixels that an area of the component, in its own coordinates, touches at all. */
    juce::Rectangle<int> touched (juce::Rectangle<int> localArea) const;

    /** Copies `image` onto `g`, the component's own context, with the image's top-left corner on
        the device pixel `devicePosition`: a plain copy of its pixels at the context's opacity. */
    void copy (juce::Graphics& g, const juce::Image& image, juce::Point<int> devicePosition) const;

private:
    double toDevice (int topLevelPosition) const;

    juce::Point<int> topLevelPosition;   // of the component's origin, in the top-level component
};
