#include "ui/ScrollWheelListener.h"

void ScrollWheelListener::mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel)
{
    // Only Shift picks the callback; an empty one means the event is dropped, not redirected.
    const auto& callback = event.mods.isShiftDown() ? onShiftWheel : onWheel;

    if (callback)
        callback (event, wheel);
}
