#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A contact sheet of the generated artwork, read back from the files and drawn the way the
    program draws it (stretched backgrounds, meters cut at a level, the fader cap on its track,
    the logos through JUCE's SVG parser), for checking the pictures by eye.
*/
class PreviewSheet
{
public:
    explicit PreviewSheet (const juce::File& resourcesFolder);

    juce::Image paint();

private:
    juce::File folder;

    juce::Image picture (const juce::String& name) const;
    std::unique_ptr<juce::Drawable> drawable (const juce::String& name) const;

    void paintStrip (juce::Graphics& g, juce::Rectangle<int> area, bool isMain, float leftLevel, float rightLevel,
                     float leftFader, float rightFader, bool linked);
    void paintFader (juce::Graphics& g, juce::Rectangle<int> area, float value);
    void paintMeter (juce::Graphics& g, juce::Rectangle<int> area, float level, bool mini);
    void paintSettings (juce::Graphics& g, juce::Rectangle<int> area, const juce::String& model);
};
