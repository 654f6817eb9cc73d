#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <utility>

/**
    A full-size overlay that dims the view and shows a centred text, with optional Yes and No
    buttons. Calling onCancel may delete the dialogue, so it is always the last thing a handler does.
*/
class OverlayDialogue : public juce::Component
{
public:
    explicit OverlayDialogue (const juce::AttributedString& text);
    ~OverlayDialogue() override;

    void mouseUp (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    bool keyPressed (const juce::KeyPress& key) override;
    void resized() override;

    /** The text box for a dialogue of this size: min (width - 30, 400) wide, 0.4 of that high, centred. */
    static juce::Rectangle<float> getTextArea (int width, int height);

    /** The No and Yes buttons' bounds for a dialogue of this size, in that order. */
    static std::pair<juce::Rectangle<int>, juce::Rectangle<int>> getButtonAreas (int width, int height);

    juce::AttributedString message;
    std::function<void()> onCancel;
    std::function<void()> onConfirm;
    juce::TextButton yesButton;
    juce::TextButton noButton;

private:
    void cancel();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OverlayDialogue)
};
