#include "backend/XmlParserGuard.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

namespace
{
using Verdict = XmlParserGuard::Verdict;

Verdict check (const std::string& text)
{
    return XmlParserGuard::check (juce::String::fromUTF8 (text.data(), static_cast<int> (text.size())) + "  ");
}

std::string repeat (const std::string& text, int times)
{
    std::string result;

    for (int i = 0; i < times; ++i)
        result += text;

    return result;
}
} // namespace

TEST (XmlParserGuard, OrdinaryDocumentsAreSafe)
{
    EXPECT_EQ (check (std::string (BinaryData::Default_config, static_cast<size_t> (BinaryData::Default_configSize))), Verdict::safe);
    EXPECT_EQ (check (""), Verdict::safe);
    EXPECT_EQ (check ("not XML at all"), Verdict::safe);
    EXPECT_EQ (check ("<?xml version=\"1.0\"?>\n<!DOCTYPE a [<!ELEMENT a ANY>]><a>t &amp; &#x41; &#66; &unknown; <![CDATA[<x>]]><!-- <y> --></a>"),
               Verdict::safe);
}

TEST (XmlParserGuard, DepthCountsOpenElementsUpTo256)
{
    EXPECT_EQ (check (repeat ("<a>", 256) + repeat ("</a>", 256)), Verdict::safe);
    EXPECT_EQ (check (repeat ("<a>", 257) + repeat ("</a>", 257)), Verdict::tooDeep);
    EXPECT_EQ (check (repeat ("<a>", 200000)), Verdict::tooDeep);

    // Siblings and empty elements are no depth; neither is markup inside values, comments or CDATA.
    EXPECT_EQ (check ("<r>" + repeat ("<a><b/></a>", 5000) + "</r>"), Verdict::safe);
    EXPECT_EQ (check ("<r v=\"" + repeat ("<a>", 5000) + "\"><!--" + repeat ("<a>", 5000) + "--><![CDATA["
                      + repeat ("<a>", 5000) + "]]></r>"), Verdict::safe);

    // An end tag closes one level whatever its name, also without its '>'.
    EXPECT_EQ (check (repeat ("<a>", 200) + repeat ("</b>", 200) + repeat ("<a>", 200)), Verdict::safe);
}

TEST (XmlParserGuard, DepthHiddenFromASimpleScanIsFound)
{
    // An attribute without '=' ends the tag there, so the quote that follows opens no value: the
    // tags after it are content, nested.
    EXPECT_EQ (check ("<r><a b \"" + repeat ("<x>", 300) + "\"></r>"), Verdict::tooDeep);

    // A broken character reference swallows the '<' of the end tag after it.
    EXPECT_EQ (check (repeat ("<x>&#x</x>", 300)), Verdict::tooDeep);
}

TEST (XmlParserGuard, InstructionFollowedByTextInContentWouldLoop)
{
    EXPECT_EQ (check ("<a><?pi?>text</a>"), Verdict::wouldLoop);
    EXPECT_EQ (check ("<a>text<?pi?>more</a>"), Verdict::wouldLoop);
    EXPECT_EQ (check ("<a> <?p?><!-- c --><?q?> x</a>"), Verdict::wouldLoop);

    EXPECT_EQ (check ("<a><?pi?><b/><?pi?> <!-- c --></a>"), Verdict::safe);
    EXPECT_EQ (check ("<?xml version=\"1.0\"?><?pi?>\n<a v=\"<?x?>y\"/>"), Verdict::safe);
    EXPECT_EQ (check ("<a><!-- c -->text</a>"), Verdict::safe);
}

TEST (XmlParserGuard, EntitiesThatTheParserWouldExpandAreRefused)
{
    EXPECT_EQ (check ("<!DOCTYPE a [<!ENTITY e \"x\">]><a/>"), Verdict::declaresEntities);
    EXPECT_EQ (check ("<a><!-- <!entity --></a>"), Verdict::declaresEntities);

    // An unknown entity expands to its name, which in text is parsed as markup when it starts with '<'.
    EXPECT_EQ (check ("<a>&<b><b>;</a>"), Verdict::markupInEntity);
    EXPECT_EQ (check ("<a v=\"&<b>;\">&<;</a>"), Verdict::safe);
}
