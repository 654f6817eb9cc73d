#pragma once

#include <juce_graphics/juce_graphics.h>

/** Writes every picture and logo of the program into a resources folder, under the file names the
    build embeds them by. */
class ArtworkWriter
{
public:
    explicit ArtworkWriter (const juce::File& resourcesFolder);

    /** Returns false (and says why on the error stream) when a file could not be written. */
    bool writeAll();

private:
    juce::File folder;
    bool ok = true;

    void writePicture (const juce::String& name, const juce::Image& image);
    void writeText (const juce::String& name, const juce::String& text);
};
