#pragma once

#include <juce_graphics/juce_graphics.h>

/** Writes filled paths as a plain SVG document: one <path> element per shape, absolute
    coordinates, two decimals. Only what JUCE's own SVG parser reads back faithfully is used.
*/
class SvgWriter
{
public:
    SvgWriter (float viewBoxWidth, float viewBoxHeight);

    void addPath (const juce::Path& path, const juce::String& fillColour);

    juce::String toString() const;

    static juce::String pathData (const juce::Path& path);

private:
    juce::String viewBoxWidth, viewBoxHeight;
    juce::StringArray elements;
};
