// Draws the program's artwork into the resources folder given on the command line.
// The pictures are generated, not hand-made, so that they can be made again identically.

#include "ArtworkWriter.h"
#include "PreviewSheet.h"

#include <iostream>

namespace
{
juce::File argumentFile (const char* argument)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (juce::String (juce::CharPointer_UTF8 (argument)));
}
} // namespace

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;

    // kelvaro_artwork --preview <resources folder> <sheet.png>: a contact sheet for checking by eye.
    if (argc == 4 && juce::String (argv[1]) == "--preview")
    {
        const auto sheet = argumentFile (argv[3]);
        sheet.deleteFile();
        juce::FileOutputStream out (sheet);
        return out.openedOk() && juce::PNGImageFormat().writeImageToStream (PreviewSheet (argumentFile (argv[2])).paint(), out) ? 0 : 1;
    }

    if (argc != 2)
    {
        std::cerr << "usage: kelvaro_artwork <resources folder>\n"
                     "       kelvaro_artwork --preview <resources folder> <sheet.png>\n";
        return 2;
    }

    const auto folder = argumentFile (argv[1]);

    if (! folder.createDirectory())
    {
        std::cerr << "cannot create " << folder.getFullPathName() << "\n";
        return 1;
    }

    return ArtworkWriter (folder).writeAll() ? 0 : 1;
}
