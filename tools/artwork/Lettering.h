#pragma once

#include "Outline.h"

/** The artwork's own lettering: a wide, square-shouldered sans with rounded corners, built from
    strokes, so that every picture and logo is made without any font installed on the machine.
    Capitals, digits, space, full stop and hyphen.
*/
class Lettering
{
public:
    struct Style
    {
        float capHeight = 10.0f;
        float weight = 0.085f;       // half the stroke width, relative to the height of the centre lines
        float widthScale = 1.0f;     // 1 = the letters' own proportions, more = wider letters
        float tracking = 0.0f;       // extra space between letters, relative to the cap height
    };

    /** The text's outline; the left edge of the first letter at x, the base line at baseline. */
    static Outline layout (const juce::String& text, const Style& style, float x, float baseline);

    /** The width from the first letter's left edge to the last letter's right edge. */
    static float measure (const juce::String& text, const Style& style);

    /** One outline per letter, for files that keep every letter as a shape of its own. */
    static std::vector<Outline> layoutLetters (const juce::String& text, const Style& style, float x, float baseline);

private:
    /** Draws one letter in units where the centre lines run from 0 (top) to 1 (base line) and
        returns the letter's width between its outer centre lines. */
    static float glyph (juce::juce_wchar c, Outline& outline, float widthScale);
};
