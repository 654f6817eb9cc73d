#pragma once

#include "backend/Hardware.h"
#include "ui/OnDemandTextEditor.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    One crosspoint of the matrix: the gain from one input to one output as a whole per cent value,
    0 to 100 mapping linearly onto -80 dB to 0 dB. Dragged up or down, Alt-clicked back to its
    default, or typed after a double-click; every change goes to the interface at once.
*/
class MatrixComponent : public juce::Component,
                        public juce::SettableTooltipClient
{
public:
    MatrixComponent (Hardware::Channel inputChannel, Hardware::Channel outputChannel);
    ~MatrixComponent() override;

    /** Clamps the value to its bounds, sends its gain to the interface and repaints. */
    void setValue (int newValue);

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void mouseDoubleClick (const juce::MouseEvent& e) override;
    void mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    Hardware::Channel input;
    Hardware::Channel output;

    /** Typed entry; hidden except while the user types. Made on the first double-click and kept,
        so that a large matrix does not carry an editor in every cell. */
    OnDemandTextEditor editor { *this };

    /** Set by the view for the cells of every second output column, which are painted darker at 0. */
    bool oddColumn = false;

    int minimum = 0;
    int maximum = 100;
    int value = 0;

    /** The vertical mouse position of the last mouse-down or drag event. */
    float lastDragY = 0.0f;

private:
    void commitTypedValue();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MatrixComponent)
};
