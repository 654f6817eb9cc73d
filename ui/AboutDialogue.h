#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class Settings;
struct DeviceInfo;

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

    /** Where the picture goes in a dialogue of this size: as large as fits, proportions kept, centred. */
    static juce::Rectangle<float> getImageArea (float width, float height);

    /** The first column: build date and version, then the open interface's identity if given. */
    static juce::AttributedString makeBuildColumn (const Settings& settings, const DeviceInfo* openDevice);

    /** The first column for the backend's open interface, if there is one. */
    static juce::AttributedString makeBuildColumn (const Settings& settings);

    static juce::AttributedString makeSystemColumn (const Settings& settings);
    static juce::AttributedString makeTeamColumn (const Settings& settings);

    /** The top of all three columns, given the picture's area and the tallest column's height. */
    static float getTextTop (juce::Rectangle<float> pictureArea, float tallestColumnHeight);

    juce::Image image;
    juce::Rectangle<float> imageArea;
    std::function<void()> onClose;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutDialogue)
};
