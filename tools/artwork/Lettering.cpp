#include "Lettering.h"

namespace
{
constexpr float sideBearing = 0.24f;   // space between letters, in centre-line units
constexpr float spaceWidth = 0.45f;
} // namespace

float Lettering::glyph (juce::juce_wchar c, Outline& o, float k)
{
    using Cut = Outline::Cut;
    using Pt = juce::Point<float>;

    const auto e = o.getHalfWidth();
    const auto R = 0.3f;      // corner rounding of full-height bowls
    const auto r = 0.22f;     // corner rounding of half-height bowls

    auto stem = [&] (float x) { o.stroke ({ { x, 0.0f }, { x, 1.0f } }); };
    auto bar = [&] (float x0, float x1, float y) { o.stroke ({ { x0, y }, { x1, y } }, false); };

    // A slab from the cap line to the base line whose outer edge lines up with a stem's.
    auto alignedShift = [&] (Pt from, Pt to) { return o.horizontalHalfWidth (to - from) - e; };

    switch (c)
    {
        case 'A':
        {
            const auto w = 1.15f * k;
            const Pt apex (w * 0.5f, -e);
            o.slab (apex, { 0.0f, 1.0f + e }, Cut::horizontal, Cut::horizontal);
            o.slab (apex, { w, 1.0f + e }, Cut::horizontal, Cut::horizontal);
            const auto barY = 0.66f;
            const auto x = w * 0.5f * (1.0f - (barY + e) / (1.0f + 2.0f * e));
            bar (x, w - x, barY);
            return w;
        }
        case 'B':
        {
            const auto w = 1.0f * k;
            stem (0.0f);
            o.stroke ({ { 0.0f, 0.0f }, { 0.9f * w, 0.0f, r }, { 0.9f * w, 0.48f, r }, { 0.0f, 0.48f } });
            o.stroke ({ { 0.0f, 0.48f }, { w, 0.48f, 0.24f }, { w, 1.0f, 0.24f }, { 0.0f, 1.0f } });
            return w;
        }
        case 'C':
        {
            const auto w = 1.0f * k;
            o.stroke ({ { w, 0.0f }, { 0.0f, 0.0f, R }, { 0.0f, 1.0f, R }, { w, 1.0f } });
            return w;
        }
        case 'D':
        {
            const auto w = 1.05f * k;
            stem (0.0f);
            o.stroke ({ { 0.0f, 0.0f }, { w, 0.0f, R }, { w, 1.0f, R }, { 0.0f, 1.0f } });
            return w;
        }
        case 'E':
        {
            const auto w = 0.9f * k;
            o.stroke ({ { w, 0.0f }, { 0.0f, 0.0f }, { 0.0f, 1.0f }, { w, 1.0f } });
            bar (0.0f, 0.85f * w, 0.5f);
            return w;
        }
        case 'F':
        {
            const auto w = 0.85f * k;
            o.stroke ({ { w, 0.0f }, { 0.0f, 0.0f }, { 0.0f, 1.0f } });
            bar (0.0f, 0.85f * w, 0.5f);
            return w;
        }
        case 'G':
        {
            const auto w = 1.05f * k;
            o.stroke ({ { w, 0.0f }, { 0.0f, 0.0f, R }, { 0.0f, 1.0f, R }, { w, 1.0f, R }, { w, 0.52f }, { 0.5f * w, 0.52f } });
            return w;
        }
        case 'H':
        {
            const auto w = 1.05f * k;
            stem (0.0f);
            stem (w);
            bar (0.0f, w, 0.5f);
            return w;
        }
        case 'I':
            stem (0.0f);
            return 0.0f;
        case 'J':
        {
            const auto w = 0.85f * k;
            o.stroke ({ { w, 0.0f }, { w, 1.0f, R }, { 0.0f, 1.0f, R }, { 0.0f, 0.62f } });
            return w;
        }
        case 'K':
        {
            const auto w = 1.0f * k;
            stem (0.0f);
            const Pt joint (0.0f, 0.58f), top (w, -e);
            o.slab (top, joint, Cut::horizontal, Cut::vertical);
            o.slab (joint + (top - joint) * 0.4f, { w, 1.0f + e }, Cut::perpendicular, Cut::horizontal);
            return w;
        }
        case 'L':
        {
            const auto w = 0.85f * k;
            o.stroke ({ { 0.0f, 0.0f }, { 0.0f, 1.0f }, { w, 1.0f } });
            return w;
        }
        case 'M':
        {
            const auto w = 1.3f * k;
            stem (0.0f);
            stem (w);
            const Pt vertex (w * 0.5f, 0.64f);
            const auto shift = alignedShift ({ 0.0f, -e }, vertex);
            o.slab ({ shift, -e }, vertex, Cut::horizontal, Cut::horizontal);
            o.slab ({ w - shift, -e }, vertex, Cut::horizontal, Cut::horizontal);
            return w;
        }
        case 'N':
        {
            const auto w = 1.05f * k;
            stem (0.0f);
            stem (w);
            const auto shift = alignedShift ({ 0.0f, -e }, { w, 1.0f + e });
            o.slab ({ shift, -e }, { w - shift, 1.0f + e }, Cut::horizontal, Cut::horizontal);
            return w;
        }
        case 'O':
        case '0':
        {
            const auto w = (c == 'O' ? 1.1f : 0.9f) * k;
            o.closedStroke ({ { 0.0f, 0.0f, R }, { w, 0.0f, R }, { w, 1.0f, R }, { 0.0f, 1.0f, R } });
            return w;
        }
        case 'P':
        {
            const auto w = 0.95f * k;
            stem (0.0f);
            o.stroke ({ { 0.0f, 0.0f }, { w, 0.0f, 0.24f }, { w, 0.56f, 0.24f }, { 0.0f, 0.56f } });
            return w;
        }
        case 'Q':
        {
            const auto w = 1.1f * k;
            o.closedStroke ({ { 0.0f, 0.0f, R }, { w, 0.0f, R }, { w, 1.0f, R }, { 0.0f, 1.0f, R } });
            o.slab ({ 0.64f * w, 0.74f }, { w + 0.08f, 1.0f + e + 0.1f }, Cut::perpendicular, Cut::perpendicular);
            return w;
        }
        case 'R':
        {
            const auto w = 1.0f * k;
            stem (0.0f);
            o.stroke ({ { 0.0f, 0.0f }, { w, 0.0f, 0.24f }, { w, 0.54f, 0.24f }, { 0.0f, 0.54f } });
            o.slab ({ 0.55f * w, 0.54f }, { w, 1.0f + e }, Cut::horizontal, Cut::horizontal);
            return w;
        }
        case 'S':
        {
            const auto w = 1.0f * k;
            o.stroke ({ { w, 0.0f }, { 0.0f, 0.0f, 0.23f }, { 0.0f, 0.5f, 0.23f }, { w, 0.5f, 0.23f },
                        { w, 1.0f, 0.23f }, { 0.0f, 1.0f } });
            return w;
        }
        case 'T':
        {
            const auto w = 1.0f * k;
            o.stroke ({ { 0.0f, 0.0f }, { w, 0.0f } });
            stem (w * 0.5f);
            return w;
        }
        case 'U':
        {
            const auto w = 1.05f * k;
            o.stroke ({ { 0.0f, 0.0f }, { 0.0f, 1.0f, R }, { w, 1.0f, R }, { w, 0.0f } });
            return w;
        }
        case 'V':
        {
            const auto w = 1.15f * k;
            o.slab ({ 0.0f, -e }, { w * 0.5f, 1.0f + e }, Cut::horizontal, Cut::horizontal);
            o.slab ({ w, -e }, { w * 0.5f, 1.0f + e }, Cut::horizontal, Cut::horizontal);
            return w;
        }
        case 'W':
        {
            const auto w = 1.6f * k;
            const auto low1 = 0.27f * w, low2 = 0.73f * w;
            o.slab ({ 0.0f, -e }, { low1, 1.0f + e }, Cut::horizontal, Cut::horizontal);
            o.slab ({ 0.5f * w, -e }, { low1, 1.0f + e }, Cut::horizontal, Cut::horizontal);
            o.slab ({ 0.5f * w, -e }, { low2, 1.0f + e }, Cut::horizontal, Cut::horizontal);
            o.slab ({ w, -e }, { low2, 1.0f + e }, Cut::horizontal, Cut::horizontal);
            return w;
        }
        case 'X':
        {
            const auto w = 1.1f * k;
            o.slab ({ 0.0f, -e }, { w, 1.0f + e }, Cut::horizontal, Cut::horizontal);
            o.slab ({ w, -e }, { 0.0f, 1.0f + e }, Cut::horizontal, Cut::horizontal);
            return w;
        }
        case 'Y':
        {
            const auto w = 1.1f * k;
            const Pt fork (w * 0.5f, 0.52f);
            o.slab ({ 0.0f, -e }, fork, Cut::horizontal, Cut::vertical);
            o.slab ({ w, -e }, fork, Cut::horizontal, Cut::vertical);
            o.rectangle (fork.x - e, 0.45f, fork.x + e, 1.0f + e);
            return w;
        }
        case 'Z':
        case '7':
        {
            const auto w = (c == 'Z' ? 1.0f : 0.85f) * k;
            o.stroke ({ { 0.0f, 0.0f }, { w, 0.0f } });
            const Pt bottom (c == 'Z' ? 0.0f : 0.3f * w, 1.0f);
            const auto shift = o.horizontalHalfWidth (bottom - Pt (w, 0.0f)) - e;
            o.slab ({ w - shift, 0.0f }, { bottom.x + (c == 'Z' ? shift : 0.0f), c == 'Z' ? 1.0f : 1.0f + e },
                    Cut::horizontal, Cut::horizontal);

            if (c == 'Z')
                o.stroke ({ { 0.0f, 1.0f }, { w, 1.0f } });

            return w;
        }
        case '1':
        {
            const auto w = 0.5f * k;
            stem (w);
            o.slab ({ w, 0.06f }, { 0.0f, 0.32f }, Cut::vertical, Cut::perpendicular);
            return w;
        }
        case '2':
        {
            const auto w = 0.85f * k;
            o.stroke ({ { 0.0f, 0.0f }, { w, 0.0f, r }, { w, 0.5f, r }, { 0.0f, 0.5f, r }, { 0.0f, 1.0f }, { w, 1.0f } });
            return w;
        }
        case '3':
        {
            const auto w = 0.85f * k;
            o.stroke ({ { 0.0f, 0.0f }, { w, 0.0f, R }, { w, 1.0f, R }, { 0.0f, 1.0f } });
            bar (0.25f * w, w, 0.5f);
            return w;
        }
        case '4':
        {
            const auto w = 0.95f * k;
            o.stroke ({ { 0.0f, 0.0f }, { 0.0f, 0.64f }, { w, 0.64f } });
            stem (0.72f * w);
            return w;
        }
        case '5':
        {
            const auto w = 0.85f * k;
            o.stroke ({ { w, 0.0f }, { 0.0f, 0.0f }, { 0.0f, 0.47f }, { w, 0.47f, r }, { w, 1.0f, r }, { 0.0f, 1.0f } });
            return w;
        }
        case '6':
        {
            const auto w = 0.85f * k;
            o.stroke ({ { w, 0.0f }, { 0.0f, 0.0f, R }, { 0.0f, 1.0f, R }, { w, 1.0f, r }, { w, 0.47f, r }, { 0.0f, 0.47f } });
            return w;
        }
        case '8':
        {
            const auto w = 0.85f * k;
            o.closedStroke ({ { 0.04f * w, 0.0f, r }, { 0.96f * w, 0.0f, r }, { 0.96f * w, 0.48f, r }, { 0.04f * w, 0.48f, r } });
            o.closedStroke ({ { 0.0f, 0.48f, r }, { w, 0.48f, r }, { w, 1.0f, r }, { 0.0f, 1.0f, r } });
            return w;
        }
        case '9':
        {
            const auto w = 0.85f * k;
            o.stroke ({ { 0.0f, 1.0f }, { w, 1.0f, R }, { w, 0.0f, R }, { 0.0f, 0.0f, R }, { 0.0f, 0.53f, r }, { w, 0.53f } });
            return w;
        }
        case '-':
        {
            const auto w = 0.45f * k;
            o.stroke ({ { 0.0f, 0.55f }, { w, 0.55f } });
            return w;
        }
        case '.':
            o.rectangle (-e, 1.0f - e, e, 1.0f + e);
            return 0.0f;
        default:
            return spaceWidth * k;
    }
}

std::vector<Outline> Lettering::layoutLetters (const juce::String& text, const Style& style, float x, float baseline)
{
    std::vector<Outline> letters;
    const auto e = style.weight;
    const auto scale = style.capHeight / (1.0f + 2.0f * e);
    const auto tracking = style.tracking * (1.0f + 2.0f * e);
    auto pen = 0.0f;

    for (auto c : text)
    {
        Outline unit (e);
        const auto width = glyph (c, unit, style.widthScale);
        const auto placement = juce::AffineTransform::translation (pen + e, e)
                                   .scaled (scale)
                                   .translated (x, baseline - style.capHeight);

        if (! unit.isEmpty())
        {
            Outline letter (e * scale);
            letter.append (unit, placement);
            letters.push_back (std::move (letter));
        }

        pen += width + 2.0f * e + sideBearing + tracking;
    }

    return letters;
}

Outline Lettering::layout (const juce::String& text, const Style& style, float x, float baseline)
{
    Outline all (style.weight);

    for (const auto& letter : layoutLetters (text, style, x, baseline))
        all.append (letter, {});

    return all;
}

float Lettering::measure (const juce::String& text, const Style& style)
{
    const auto e = style.weight;
    const auto tracking = style.tracking * (1.0f + 2.0f * e);
    auto pen = 0.0f;

    for (auto c : text)
    {
        Outline unit (e);
        pen += glyph (c, unit, style.widthScale) + 2.0f * e + sideBearing + tracking;
    }

    if (text.isNotEmpty())
        pen -= sideBearing + tracking;

    return pen * style.capHeight / (1.0f + 2.0f * e);
}
