#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Headless helpers for the widget tests: synthetic mouse events, snapshots and message pumping. */
namespace WidgetTestSupport
{
/** A mouse event on the main mouse source, as the framework would deliver it to `component`. */
inline juce::MouseEvent mouseEvent (juce::Component& component, float y, juce::ModifierKeys mods = {},
                                    bool draggedSinceDown = false, float mouseDownY = 0.0f)
{
    const auto now = juce::Time::getCurrentTime();
    const juce::Point<float> position { 5.0f, y };
    return { juce::Desktop::getInstance().getMainMouseSource(), position, mods,
             juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
             juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
             juce::MouseInputSource::defaultTiltY, &component, &component, now,
             { 5.0f, mouseDownY }, now, 1, draggedSinceDown };
}

/** The component as it paints itself, children included, at scale 1. */
inline juce::Image snapshot (juce::Component& component)
{
    return component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);
}

/** Delivers what is queued on the message thread, e.g. a slider's asynchronous change message. */
inline void pumpMessages()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
}

/** A solid image of one colour. */
inline juce::Image solidImage (int width, int height, juce::Colour colour)
{
    juce::Image image (juce::Image::ARGB, width, height, false);
    image.clear (image.getBounds(), colour);
    return image;
}
} // namespace WidgetTestSupport
