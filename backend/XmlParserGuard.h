#pragma once

#include <juce_core/juce_core.h>

/**
    Decides, before JUCE's XML parser (juce::parseXML) is given a text, whether that parser would
    finish on it. For a few texts it does not:

    - nesting thousands deep: it recurses once per level and overflows the stack;
    - an instruction in element content followed by text ("<a><?pi?>text</a>"): it skips the
      instruction to find text, steps back to read the text, meets the instruction again and
      loops for ever;
    - entity declarations: it expands them without limit, so an entity that refers to itself
      overflows the stack, and one that holds markup is parsed as deep as the markup goes;
    - an unknown entity whose name starts with '<' ("&<a>...;"), whose name it parses as markup.

    The check walks the text exactly as the parser does (same steps, same order, same
    consumption), without building anything, and stops at the first hazard. The configuration
    document has no use for any of these; a text with one is refused like a text that does not
    parse.
*/
class XmlParserGuard
{
public:
    enum class Verdict
    {
        safe,
        tooDeep,
        wouldLoop,
        declaresEntities,
        markupInEntity
    };

    /** Far deeper than the configuration document (five levels), far shallower than any stack. */
    static constexpr int maximumDepth = 256;

    /** Walks the text as juce::parseXML would; give it the very string the parser is to get. */
    static Verdict check (const juce::String& text);

private:
    explicit XmlParserGuard (const juce::String& text);

    bool skipNextWhiteSpace();
    juce::juce_wchar readNextChar();
    void readQuotedString();
    void readEntity (bool inText);
    bool readNextElement (int depth);
    void readChildElements (int depth);

    juce::String::CharPointerType input;
    bool outOfData = false;
    Verdict verdict = Verdict::safe;
};
