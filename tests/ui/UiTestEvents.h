#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace UiTestEvents
{
/** A left-button release at the given point of the component, after a drag or a plain click. */
inline juce::MouseEvent mouseUpAt (juce::Component& component, juce::Point<float> position, bool wasDragged)
{
    const auto now = juce::Time::getCurrentTime();
    return { juce::Desktop::getInstance().getMainMouseSource(),
             position,
             juce::ModifierKeys(),
             juce::MouseInputSource::defaultPressure,
             juce::MouseInputSource::defaultOrientation,
             juce::MouseInputSource::defaultRotation,
             juce::MouseInputSource::defaultTiltX,
             juce::MouseInputSource::defaultTiltY,
             &component,
             &component,
             now,
             wasDragged ? position.translated (-40.0f, -40.0f) : position,
             now,
             1,
             wasDragged };
}

/** Lets the message loop deliver what is pending (asynchronous clicks and notifications). */
inline void runMessageLoop (int milliseconds = 50)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}
} // namespace UiTestEvents
