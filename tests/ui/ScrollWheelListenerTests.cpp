#include "ui/ScrollWheelListener.h"

#include <gtest/gtest.h>

namespace
{
juce::MouseEvent makeWheelEvent (juce::Component& component, juce::ModifierKeys mods)
{
    const auto now = juce::Time::getCurrentTime();
    return { juce::Desktop::getInstance().getMainMouseSource(), { 10.0f, 10.0f }, mods,
             juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f,
             &component, &component, now, { 10.0f, 10.0f }, now, 0, false };
}

juce::MouseWheelDetails makeWheel (float deltaY)
{
    juce::MouseWheelDetails wheel {};
    wheel.deltaY = deltaY;
    return wheel;
}

struct WheelCounts
{
    int plain = 0;
    int shift = 0;
    float lastDelta = 0.0f;
};

void connect (ScrollWheelListener& listener, WheelCounts& counts)
{
    listener.onWheel = [&counts] (const juce::MouseEvent&, const juce::MouseWheelDetails& w)
    {
        ++counts.plain;
        counts.lastDelta = w.deltaY;
    };
    listener.onShiftWheel = [&counts] (const juce::MouseEvent&, const juce::MouseWheelDetails& w)
    {
        ++counts.shift;
        counts.lastDelta = w.deltaY;
    };
}
} // namespace

TEST (ScrollWheelListener, ShiftChoosesTheCallback)
{
    juce::Component component;
    ScrollWheelListener listener;
    WheelCounts counts;
    connect (listener, counts);

    listener.mouseWheelMove (makeWheelEvent (component, {}), makeWheel (0.25f));
    EXPECT_EQ (counts.plain, 1);
    EXPECT_EQ (counts.shift, 0);
    EXPECT_FLOAT_EQ (counts.lastDelta, 0.25f);

    listener.mouseWheelMove (makeWheelEvent (component, juce::ModifierKeys::shiftModifier), makeWheel (-0.5f));
    EXPECT_EQ (counts.plain, 1);
    EXPECT_EQ (counts.shift, 1);
    EXPECT_FLOAT_EQ (counts.lastDelta, -0.5f);
}

TEST (ScrollWheelListener, OnlyShiftMatters)
{
    juce::Component component;
    ScrollWheelListener listener;
    WheelCounts counts;
    connect (listener, counts);

    const int others = juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::altModifier
                       | juce::ModifierKeys::leftButtonModifier;

    listener.mouseWheelMove (makeWheelEvent (component, others), makeWheel (1.0f));
    listener.mouseWheelMove (makeWheelEvent (component, others | juce::ModifierKeys::shiftModifier), makeWheel (1.0f));
    EXPECT_EQ (counts.plain, 1);
    EXPECT_EQ (counts.shift, 1);
}

TEST (ScrollWheelListener, EmptyCallbackDoesNothing)
{
    juce::Component component;
    ScrollWheelListener listener;
    WheelCounts counts;
    connect (listener, counts);
    listener.onShiftWheel = nullptr;

    // No fall-back to the plain callback.
    EXPECT_NO_THROW (listener.mouseWheelMove (makeWheelEvent (component, juce::ModifierKeys::shiftModifier), makeWheel (1.0f)));
    EXPECT_EQ (counts.plain, 0);
    EXPECT_EQ (counts.shift, 0);

    ScrollWheelListener unconnected;
    EXPECT_NO_THROW (unconnected.mouseWheelMove (makeWheelEvent (component, {}), makeWheel (1.0f)));
    EXPECT_NO_THROW (unconnected.mouseWheelMove (makeWheelEvent (component, juce::ModifierKeys::shiftModifier), makeWheel (1.0f)));
}
