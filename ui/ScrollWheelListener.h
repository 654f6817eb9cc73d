#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** Hands each mouse-wheel event to one of two callbacks: onShiftWheel while Shift is held, else onWheel. */
class ScrollWheelListener : public juce::MouseListener
{
public:
    using WheelCallback = std::function<void (const juce::MouseEvent&, const juce::MouseWheelDetails&)>;

    ScrollWheelListener() = default;
    ~ScrollWheelListener() override = default;

    void mouseWheelMove (const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;

    WheelCallback onWheel;
    WheelCallback onShiftWheel;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ScrollWheelListener)
};
