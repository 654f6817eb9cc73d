#include "SvgWriter.h"

namespace
{
juce::String number (float value)
{
    auto text = juce::String (juce::roundToInt (value * 100.0f) / 100.0, 2);

    if (text.containsChar ('.'))
        text = text.trimCharactersAtEnd ("0").trimCharactersAtEnd (".");

    return text == "-0" ? juce::String ("0") : text;
}

juce::String point (float x, float y) { return number (x) + " " + number (y); }
} // namespace

SvgWriter::SvgWriter (float width, float height) : viewBoxWidth (number (width)), viewBoxHeight (number (height)) {}

juce::String SvgWriter::pathData (const juce::Path& path)
{
    juce::String d;
    juce::Path::Iterator it (path);

    while (it.next())
    {
        switch (it.elementType)
        {
            case juce::Path::Iterator::startNewSubPath: d << "M" << point (it.x1, it.y1); break;
            case juce::Path::Iterator::lineTo:          d << "L" << point (it.x1, it.y1); break;
            case juce::Path::Iterator::quadraticTo:     d << "Q" << point (it.x1, it.y1) << " " << point (it.x2, it.y2); break;
            case juce::Path::Iterator::cubicTo:         d << "C" << point (it.x1, it.y1) << " " << point (it.x2, it.y2)
                                                          << " " << point (it.x3, it.y3); break;
            case juce::Path::Iterator::closePath:       d << "Z"; break;
            default: break;
        }
    }

    return d;
}

void SvgWriter::addPath (const juce::Path& path, const juce::String& fillColour)
{
    elements.add ("<path fill=\"" + fillColour + "\" d=\"" + pathData (path) + "\"/>");
}

juce::String SvgWriter::toString() const
{
    juce::String svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" viewBox=\"0 0 " << viewBoxWidth << " " << viewBoxHeight
        << "\" width=\"" << viewBoxWidth << "\" height=\"" << viewBoxHeight << "\">\n";

    for (const auto& element : elements)
        svg << element << "\n";

    svg << "</svg>\n";
    return svg;
}
