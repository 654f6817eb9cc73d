#include "platform/WideText.h"

#include <gtest/gtest.h>

using win::WideText;

TEST (WideTextTests, ConvertsBetweenUtf8AndUtf16)
{
    const std::string utf8 = "a\xC3\xBC\xE2\x82\xAC\xF0\x9F\x8E\xB5";   // a, u-umlaut, euro sign, a note beyond the BMP
    std::u16string utf16;

    ASSERT_TRUE (WideText::fromUtf8 (utf8, utf16));
    EXPECT_EQ (utf16, (std::u16string { u'a', 0x00FC, 0x20AC, 0xD83C, 0xDFB5 }));
    EXPECT_EQ (WideText::toUtf8 (utf16), utf8);
    EXPECT_EQ (WideText::toUtf8 (nullptr), "");
    EXPECT_EQ (WideText::length (u"abc"), 3u);

    // A lone surrogate cannot be UTF-8: it becomes U+FFFD.
    EXPECT_EQ (WideText::toUtf8 (std::u16string { u'x', 0xD800, u'y' }), "x\xEF\xBF\xBDy");

    for (const std::string bad : { "\xC0\xAF", "\xE2\x82", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xFF" })
        EXPECT_FALSE (WideText::fromUtf8 (bad, utf16)) << bad;
}
