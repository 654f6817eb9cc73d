#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/**
    The About screen: the About picture at the largest size that keeps its proportions, with the
    build, system and team columns over its lower part. A click, Escape, Return or Space closes it.
*/
class AboutDialogue : public juce::Component
{
public:
    AboutDialogue();
    ~AboutDialogue() override;

    void mouseUp (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;
    bool keyPressed (const juce::KeyPress& key) override;
    void resized() override;

    juce::Image image;
    juce::Rectangle<float> imageArea;
    std::function<void()> onClose;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutDialogue)
};
