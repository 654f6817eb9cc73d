#include "backend/XmlParserGuard.h"

// Every step below follows juce::XmlDocument (JUCE 7.0.5, juce_XmlDocument.cpp) line for line:
// parseDocumentElement, parseHeader, parseDTD, skipNextWhiteSpace, readNextChar,
// readQuotedString, readEntity, readNextElement and readChildElements, with the building of
// elements, attributes and text left out. What matters is where the parser's input points after
// each step, so that the walk meets the same characters in the same state.

namespace
{
using juce::CharacterFunctions;
using juce::CharPointer_ASCII;

// The parser's identifier characters (its table below 160, letters and digits above).
bool isIdentifierChar (juce::juce_wchar c) noexcept
{
    static constexpr juce::uint32 legalChars[] = { 0, 0x7ff6000, 0x87fffffe, 0x7fffffe, 0 };

    // Unsigned, so that a negative character (wchar_t is signed on some platforms) is not below 160.
    if (const auto u = static_cast<juce::uint32> (c); u < 160)
        return (legalChars[u >> 5] & (juce::uint32 (1) << (u & 31))) != 0;

    return CharacterFunctions::isLetterOrDigit (c) || c == '_' || c == '-' || c == ':' || c == '.';
}

juce::String::CharPointerType findEndOfToken (juce::String::CharPointerType p) noexcept
{
    while (isIdentifierChar (*p))
        ++p;

    return p;
}
} // namespace

XmlParserGuard::XmlParserGuard (const juce::String& text)
    : input (text.getCharPointer())
{
}

XmlParserGuard::Verdict XmlParserGuard::check (const juce::String& text)
{
    // The parser looks entities up among the words of the DTD, ignoring case.
    if (text.containsIgnoreCase ("<!ENTITY"))
        return Verdict::declaresEntities;

    XmlParserGuard guard (text);
    auto& input = guard.input;

    if (input.isEmpty())
        return Verdict::safe;

    // The header.
    guard.skipNextWhiteSpace();

    if (CharacterFunctions::compareUpTo (input, CharPointer_ASCII ("<?xml"), 5) == 0)
    {
        const auto headerEnd = CharacterFunctions::find (input, CharPointer_ASCII ("?>"));

        if (headerEnd.isEmpty())
            return Verdict::safe;

        input = headerEnd + 2;
        guard.skipNextWhiteSpace();
    }

    // The DTD, skipped as a run of balanced angle brackets.
    if (CharacterFunctions::compareUpTo (input, CharPointer_ASCII ("<!DOCTYPE"), 9) == 0)
    {
        input += 9;

        for (int n = 1; n > 0;)
        {
            const auto c = guard.readNextChar();

            if (guard.outOfData)
                return Verdict::safe;

            if (c == '<')
                ++n;
            else if (c == '>')
                --n;
        }
    }

    guard.readNextElement (0);
    return guard.verdict;
}

bool XmlParserGuard::skipNextWhiteSpace()
{
    for (;;)
    {
        input.incrementToEndOfWhitespace();

        if (input.isEmpty())
        {
            outOfData = true;
            break;
        }

        if (*input == '<')
        {
            if (input[1] == '!' && input[2] == '-' && input[3] == '-')
            {
                input += 4;
                const auto closeComment = input.indexOf (CharPointer_ASCII ("-->"));

                if (closeComment < 0)
                {
                    outOfData = true;
                    break;
                }

                input += closeComment + 3;
                continue;
            }

            if (input[1] == '?')
            {
                input += 2;
                const auto closeBracket = input.indexOf (CharPointer_ASCII ("?>"));

                if (closeBracket < 0)
                {
                    outOfData = true;
                    break;
                }

                input += closeBracket + 2;
                continue;
            }
        }

        break;
    }

    return ! outOfData;
}

juce::juce_wchar XmlParserGuard::readNextChar()
{
    const auto c = input.getAndAdvance();

    if (c == 0)
    {
        outOfData = true;
        --input;
    }

    return c;
}

void XmlParserGuard::readQuotedString()
{
    const auto quote = readNextChar();

    while (! outOfData)
    {
        const auto c = readNextChar();

        if (c == quote)
            break;

        --input;

        if (c == '&')
        {
            readEntity (false);
        }
        else
        {
            for (;;)
            {
                const auto character = *input;

                if (character == quote)
                {
                    ++input;
                    return;
                }

                if (character == '&')
                    break;

                if (character == 0)
                {
                    outOfData = true;
                    break;
                }

                ++input;
            }
        }
    }
}

void XmlParserGuard::readEntity (bool inText)
{
    ++input;

    if (input.compareIgnoreCaseUpTo (CharPointer_ASCII ("amp;"), 4) == 0)
    {
        input += 4;
    }
    else if (input.compareIgnoreCaseUpTo (CharPointer_ASCII ("quot;"), 5) == 0
             || input.compareIgnoreCaseUpTo (CharPointer_ASCII ("apos;"), 5) == 0)
    {
        input += 5;
    }
    else if (input.compareIgnoreCaseUpTo (CharPointer_ASCII ("lt;"), 3) == 0
             || input.compareIgnoreCaseUpTo (CharPointer_ASCII ("gt;"), 3) == 0)
    {
        input += 3;
    }
    else if (*input == '#')
    {
        ++input;

        if (*input == 'x' || *input == 'X')
        {
            ++input;
            int numChars = 0;

            while (input[0] != ';')
            {
                if (CharacterFunctions::getHexDigitValue (input[0]) < 0 || ++numChars > 8)
                    break;

                ++input;
            }

            // The parser steps over whatever ended the digits, even the text's end; we do not.
            if (! input.isEmpty())
                ++input;
        }
        else if (input[0] >= '0' && input[0] <= '9')
        {
            int numChars = 0;

            for (;;)
            {
                const auto firstChar = input[0];

                if (firstChar == 0)
                    return;

                if (firstChar == ';' || ++numChars > 12)
                    break;

                ++input;
            }

            ++input;
        }
    }
    else
    {
        const auto entityNameStart = input;
        const auto closingSemiColon = input.indexOf (static_cast<juce::juce_wchar> (';'));

        if (closingSemiColon < 0)
        {
            outOfData = true;
        }
        else
        {
            input += closingSemiColon + 1;

            // Without declarations an entity expands to its own name; in text, a name that starts
            // with '<' and has more after it is then parsed as markup of its own.
            if (inText && *entityNameStart == '<' && closingSemiColon > 1)
            {
                verdict = Verdict::markupInEntity;
                outOfData = true;
            }
        }
    }
}

bool XmlParserGuard::readNextElement (int depth)
{
    skipNextWhiteSpace();

    if (outOfData)
        return false;

    if (*input != '<')
        return false;

    ++input;
    auto endOfToken = findEndOfToken (input);

    if (endOfToken == input)
    {
        skipNextWhiteSpace();
        endOfToken = findEndOfToken (input);

        if (endOfToken == input)
            return false;
    }

    input = endOfToken;

    for (;;)
    {
        skipNextWhiteSpace();
        const auto c = *input;

        if (c == '/' && input[1] == '>')
        {
            input += 2;
            break;
        }

        if (c == '>')
        {
            ++input;

            if (depth + 1 > maximumDepth)
            {
                verdict = Verdict::tooDeep;
                outOfData = true;
                break;
            }

            readChildElements (depth + 1);
            break;
        }

        if (isIdentifierChar (c))
        {
            const auto attNameEnd = findEndOfToken (input);

            if (attNameEnd != input)
            {
                input = attNameEnd;
                skipNextWhiteSpace();

                if (readNextChar() == '=')
                {
                    skipNextWhiteSpace();
                    const auto nextChar = *input;

                    if (nextChar == '"' || nextChar == '\'')
                    {
                        readQuotedString();
                        continue;
                    }
                }
                else
                {
                    return true;
                }
            }
        }

        break;
    }

    return true;
}

void XmlParserGuard::readChildElements (int depth)
{
    for (;;)
    {
        const auto preWhitespaceInput = input;
        skipNextWhiteSpace();

        if (outOfData)
            break;

        if (*input == '<')
        {
            const auto c1 = input[1];

            if (c1 == '/')
            {
                const auto closeTag = input.indexOf (static_cast<juce::juce_wchar> ('>'));

                if (closeTag >= 0)
                    input += closeTag + 1;

                break;
            }

            if (c1 == '!' && CharacterFunctions::compareUpTo (input + 2, CharPointer_ASCII ("[CDATA["), 7) == 0)
            {
                input += 9;

                for (;;)
                {
                    const auto c0 = *input;

                    if (c0 == 0)
                    {
                        outOfData = true;
                        break;
                    }

                    if (c0 == ']' && input[1] == ']' && input[2] == '>')
                    {
                        input += 3;
                        break;
                    }

                    ++input;
                }
            }
            else if (! readNextElement (depth))
            {
                break;
            }
        }
        else
        {
            // A character block, read from before the white space that was skipped. When it ends
            // where it began, the parser is back in the state it was in when this pass began.
            input = preWhitespaceInput;

            for (;;)
            {
                const auto c = *input;

                if (c == '<')
                {
                    if (input[1] == '!' && input[2] == '-' && input[3] == '-')
                    {
                        input += 4;
                        const auto closeComment = input.indexOf (CharPointer_ASCII ("-->"));

                        if (closeComment < 0)
                        {
                            outOfData = true;
                            return;
                        }

                        input += closeComment + 3;
                        continue;
                    }

                    break;
                }

                if (c == 0)
                {
                    outOfData = true;
                    return;
                }

                if (c == '&')
                {
                    readEntity (true);

                    if (outOfData)
                        return;
                }
                else
                {
                    for (;; ++input)
                    {
                        auto nextChar = *input;

                        if (nextChar == '\r')
                        {
                            nextChar = '\n';

                            if (input[1] == '\n')
                                continue;
                        }

                        if (nextChar == '<' || nextChar == '&')
                            break;

                        if (nextChar == 0)
                        {
                            outOfData = true;
                            return;
                        }
                    }
                }
            }

            if (input == preWhitespaceInput)
            {
                verdict = Verdict::wouldLoop;
                outOfData = true;
                return;
            }
        }
    }
}
