#include "platform/WideText.h"

namespace win
{
namespace
{
constexpr char32_t replacementCharacter = 0xFFFD;

void appendUtf8 (std::string& out, char32_t c)
{
    if (c < 0x80)
    {
        out += static_cast<char> (c);
    }
    else if (c < 0x800)
    {
        out += static_cast<char> (0xC0 | (c >> 6));
        out += static_cast<char> (0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char> (0xE0 | (c >> 12));
        out += static_cast<char> (0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char> (0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char> (0xF0 | (c >> 18));
        out += static_cast<char> (0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char> (0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char> (0x80 | (c & 0x3F));
    }
}

bool isHighSurrogate (char32_t c) noexcept { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate (char32_t c) noexcept  { return c >= 0xDC00 && c <= 0xDFFF; }
} // namespace

std::size_t WideText::length (LPCWSTR text)
{
    std::size_t n = 0;

    if (text != nullptr)
        while (text[n] != 0)
            ++n;

    return n;
}

std::string WideText::toUtf8 (LPCWSTR text)
{
    return toUtf8 (std::u16string_view (text == nullptr ? u"" : text, length (text)));
}

std::string WideText::toUtf8 (std::u16string_view text)
{
    std::string out;
    out.reserve (text.size());

    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char32_t unit = text[i];

        if (isHighSurrogate (unit) && i + 1 < text.size() && isLowSurrogate (text[i + 1]))
        {
            appendUtf8 (out, 0x10000 + ((unit - 0xD800) << 10) + (char32_t (text[i + 1]) - 0xDC00));
            ++i;
        }
        else if (isHighSurrogate (unit) || isLowSurrogate (unit))
        {
            appendUtf8 (out, replacementCharacter);
        }
        else
        {
            appendUtf8 (out, unit);
        }
    }

    return out;
}

bool WideText::fromUtf8 (std::string_view text, std::u16string& result)
{
    result.clear();
    result.reserve (text.size());

    for (std::size_t i = 0; i < text.size();)
    {
        const auto lead = static_cast<unsigned char> (text[i]);
        std::size_t extra = 0;
        char32_t c = 0;
        char32_t minimum = 0;

        if (lead < 0x80)                { c = lead; }
        else if ((lead & 0xE0) == 0xC0) { c = lead & 0x1Fu; extra = 1; minimum = 0x80; }
        else if ((lead & 0xF0) == 0xE0) { c = lead & 0x0Fu; extra = 2; minimum = 0x800; }
        else if ((lead & 0xF8) == 0xF0) { c = lead & 0x07u; extra = 3; minimum = 0x10000; }
        else                            { return false; }

        if (text.size() - i <= extra)
            return false;

        for (std::size_t k = 1; k <= extra; ++k)
        {
            const auto next = static_cast<unsigned char> (text[i + k]);

            if ((next & 0xC0) != 0x80)
                return false;

            c = (c << 6) | (next & 0x3Fu);
        }

        if (c < minimum || c > 0x10FFFF || isHighSurrogate (c) || isLowSurrogate (c))
            return false;

        if (c >= 0x10000)
        {
            result += static_cast<char16_t> (0xD800 + ((c - 0x10000) >> 10));
            result += static_cast<char16_t> (0xDC00 + ((c - 0x10000) & 0x3FF));
        }
        else
        {
            result += static_cast<char16_t> (c);
        }

        i += extra + 1;
    }

    return true;
}

char WideText::foldCase (char c) noexcept
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char> (c - 'A' + 'a') : c;
}

bool WideText::equalsIgnoringCase (std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;

    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldCase (a[i]) != foldCase (b[i]))
            return false;

    return true;
}
std::vector<BYTE> WideText::toRegistryBytes (std::u16string_view text)
{
    std::vector<BYTE> bytes;
    bytes.reserve (text.size() * 2 + 2);

    for (const auto unit : text)
    {
        bytes.push_back (static_cast<BYTE> (unit & 0xFF));
        bytes.push_back (static_cast<BYTE> (unit >> 8));
    }

    bytes.push_back (0);
    bytes.push_back (0);
    return bytes;
}
} // namespace win
