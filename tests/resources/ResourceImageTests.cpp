#include "BinaryData.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstring>
#include <vector>

namespace
{
enum class Kind
{
    config,
    rgba,
    rgb,
    svg,
    font
};

struct Resource
{
    const char* name;
    const char* fileName;
    const char* data;
    int size;
    Kind kind;
    float width, height;      // pixels, the SVG view box, or a font's weight and units per em
    const char* fill;         // SVG only
};

// All of the program's resources, in the order of its resource list.
const std::vector<Resource>& resources()
{
    using namespace BinaryData;
    static const std::vector<Resource> list {
        { "Default_config", "Default.config", Default_config, Default_configSize, Kind::config, 0, 0, nullptr },
        { "logokrv_png", "logo-krv.png", logokrv_png, logokrv_pngSize, Kind::rgba, 101, 96, nullptr },
        { "logokrv_svg", "logo-krv.svg", logokrv_svg, logokrv_svgSize, Kind::svg, 110.95f, 112.32f, "#E6E6E5" },
        { "logovtqPexa_svg", "logo-vtqPexa.svg", logovtqPexa_svg, logovtqPexa_svgSize, Kind::svg, 270.26f, 80.45f, "#E6E6E5" },
        { "logovtqSulka_svg", "logo-vtqSulka.svg", logovtqSulka_svg, logovtqSulka_svgSize, Kind::svg, 270.26f, 80.45f, "#E6E6E6" },
        { "logovtqTrovik_svg", "logo-vtqTrovik.svg", logovtqTrovik_svg, logovtqTrovik_svgSize, Kind::svg, 270.26f, 80.45f, "#E6E6E6" },
        { "buttonlink_off_png", "button-link_off.png", buttonlink_off_png, buttonlink_off_pngSize, Kind::rgba, 100, 108, nullptr },
        { "buttonlink_offhover_png", "button-link_offhover.png", buttonlink_offhover_png, buttonlink_offhover_pngSize, Kind::rgba, 100, 108, nullptr },
        { "buttonlink_offclick_png", "button-link_offclick.png", buttonlink_offclick_png, buttonlink_offclick_pngSize, Kind::rgba, 100, 108, nullptr },
        { "buttonlink_on_png", "button-link_on.png", buttonlink_on_png, buttonlink_on_pngSize, Kind::rgba, 100, 108, nullptr },
        { "buttonlink_onclick_png", "button-link_onclick.png", buttonlink_onclick_png, buttonlink_onclick_pngSize, Kind::rgba, 100, 108, nullptr },
        { "buttonlink_onhover_png", "button-link_onhover.png", buttonlink_onhover_png, buttonlink_onhover_pngSize, Kind::rgba, 100, 108, nullptr },
        { "buttonreset_off_png", "button-reset_off.png", buttonreset_off_png, buttonreset_off_pngSize, Kind::rgba, 100, 108, nullptr },
        { "buttonreset_offhover_png", "button-reset_offhover.png", buttonreset_offhover_png, buttonreset_offhover_pngSize, Kind::rgba, 100, 108, nullptr },
        { "buttonreset_offanimate1_png", "button-reset_offanimate1.png", buttonreset_offanimate1_png, buttonreset_offanimate1_pngSize, Kind::rgba, 100, 108, nullptr },
        { "buttonreset_offclick_png", "button-reset_offclick.png", buttonreset_offclick_png, buttonreset_offclick_pngSize, Kind::rgba, 100, 108, nullptr },
        { "fadercap_png", "fadercap.png", fadercap_png, fadercap_pngSize, Kind::rgba, 195, 307, nullptr },
        { "fader_track_png", "fader_track.png", fader_track_png, fader_track_pngSize, Kind::rgba, 22, 782, nullptr },
        { "meter_on_png", "meter_on.png", meter_on_png, meter_on_pngSize, Kind::rgb, 10, 816, nullptr },
        { "meter_off_png", "meter_off.png", meter_off_png, meter_off_pngSize, Kind::rgb, 10, 816, nullptr },
        { "metermini_on_png", "meter-mini_on.png", metermini_on_png, metermini_on_pngSize, Kind::rgb, 10, 44, nullptr },
        { "metermini_off_png", "meter-mini_off.png", metermini_off_png, metermini_off_pngSize, Kind::rgba, 10, 44, nullptr },
        { "about_png", "about.png", about_png, about_pngSize, Kind::rgb, 1920, 812, nullptr },
        { "background_settings_png", "background_settings.png", background_settings_png, background_settings_pngSize, Kind::rgb, 330, 1082, nullptr },
        { "background_output_png", "background_output.png", background_output_png, background_output_pngSize, Kind::rgb, 376, 1082, nullptr },
        { "background_output_main_png", "background_output_main.png", background_output_main_png, background_output_main_pngSize, Kind::rgb, 376, 1082, nullptr },
        { "BARLOWBOLD_TTF", "BARLOW-BOLD.TTF", BARLOWBOLD_TTF, BARLOWBOLD_TTFSize, Kind::font, 700, 1000, nullptr },
        { "BARLOWREGULAR_TTF", "BARLOW-REGULAR.TTF", BARLOWREGULAR_TTF, BARLOWREGULAR_TTFSize, Kind::font, 400, 1000, nullptr },
    };
    return list;
}

// The pictures and logos among them, in list order.
std::vector<Resource> pictures()
{
    std::vector<Resource> list;

    for (const auto& r : resources())
        if (r.kind == Kind::rgba || r.kind == Kind::rgb || r.kind == Kind::svg)
            list.push_back (r);

    return list;
}

juce::uint32 bigEndian32 (const char* p)
{
    const auto* b = reinterpret_cast<const juce::uint8*> (p);
    return (juce::uint32) b[0] << 24 | (juce::uint32) b[1] << 16 | (juce::uint32) b[2] << 8 | (juce::uint32) b[3];
}

juce::uint32 bigEndian16 (const char* p)
{
    const auto* b = reinterpret_cast<const juce::uint8*> (p);
    return (juce::uint32) b[0] << 8 | (juce::uint32) b[1];
}

/** Where a TrueType table of the font begins; null when the font has no such table. */
const char* fontTable (const Resource& font, const char* tag)
{
    const auto tables = (int) bigEndian16 (font.data + 4);

    for (int i = 0; i < tables; ++i)
    {
        const auto* record = font.data + 12 + 16 * i;

        if (record + 16 <= font.data + font.size && std::memcmp (record, tag, 4) == 0)
        {
            const auto offset = bigEndian32 (record + 8);
            return offset + bigEndian32 (record + 12) <= (juce::uint32) font.size ? font.data + offset : nullptr;
        }
    }

    return nullptr;
}

juce::String text (const Resource& r)
{
    return juce::String::fromUTF8 (r.data, r.size);
}

juce::Image decode (const char* data, int size)
{
    return juce::ImageCache::getFromMemory (data, size);
}

float brightness (juce::Colour c) { return c.getFloatRed() + c.getFloatGreen() + c.getFloatBlue(); }
} // namespace

TEST (EmbeddedResources, All28AreListedInTableOrderWithTheirFileNames)
{
    ASSERT_EQ (resources().size(), 28u);
    ASSERT_EQ (BinaryData::namedResourceListSize, 28);

    for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
    {
        const auto& r = resources()[(size_t) i];
        SCOPED_TRACE (r.name);
        EXPECT_STREQ (BinaryData::namedResourceList[i], r.name) << "position " << i;
        EXPECT_STREQ (BinaryData::originalFilenames[i], r.fileName) << "position " << i;
    }
}

TEST (EmbeddedResources, EachIsFoundUnderItsNameWithItsBytesAndFileName)
{
    for (const auto& r : resources())
    {
        SCOPED_TRACE (r.name);
        int size = -1;
        EXPECT_EQ (BinaryData::getNamedResource (r.name, size), r.data);
        EXPECT_EQ (size, r.size);
        EXPECT_GT (r.size, 0);
        EXPECT_STREQ (BinaryData::getNamedResourceOriginalFilename (r.name), r.fileName);
    }
}

TEST (EmbeddedResources, TheDefaultConfigurationIsTerminatedTextOfItsByteCount)
{
    const auto& config = resources().front();
    ASSERT_EQ (config.kind, Kind::config);

    // The byte count leaves out the terminating zero: parsing exactly that many bytes gives the
    // whole document, whose last line ends in CR LF.
    EXPECT_EQ (config.data[config.size], '\0');
    EXPECT_EQ (juce::String::fromUTF8 (config.data + config.size - 2, 2), "\r\n");
    EXPECT_EQ (std::strlen (config.data), (size_t) config.size);

    const auto xml = juce::parseXML (text (config));
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName ("Config"));
    EXPECT_EQ (xml->getNumChildElements(), 3);
}

TEST (EmbeddedResources, FontsAreBarlow1408AtTheirWeights)
{
    for (const auto& r : resources())
    {
        if (r.kind != Kind::font)
            continue;

        SCOPED_TRACE (r.name);
        ASSERT_GT (r.size, 12);
        EXPECT_EQ (bigEndian32 (r.data), 0x00010000u) << "TrueType outlines";

        const auto* head = fontTable (r, "head");
        const auto* os2 = fontTable (r, "OS/2");
        ASSERT_NE (head, nullptr);
        ASSERT_NE (os2, nullptr);
        EXPECT_NEAR (bigEndian32 (head + 4) / 65536.0, 1.408, 0.0005) << "font revision";
        EXPECT_EQ (bigEndian16 (head + 18), (juce::uint32) r.height) << "units per em";
        EXPECT_EQ (bigEndian16 (os2 + 4), (juce::uint32) r.width) << "weight";

        const auto typeface = juce::Typeface::createSystemTypefaceFor (r.data, (size_t) r.size);
        ASSERT_NE (typeface, nullptr);
        EXPECT_TRUE (typeface->getName().startsWith ("Barlow")) << typeface->getName();   // with the style on Windows
    }
}

TEST (EmbeddedPictures, PngHeadersGiveTableSizeAndKind)
{
    for (const auto& r : pictures())
    {
        if (r.kind == Kind::svg)
            continue;

        SCOPED_TRACE (r.name);
        ASSERT_GT (r.size, 33);
        EXPECT_EQ (juce::String::fromUTF8 (r.data + 1, 3), "PNG");
        EXPECT_EQ (juce::String::fromUTF8 (r.data + 12, 4), "IHDR");
        EXPECT_EQ (bigEndian32 (r.data + 16), (juce::uint32) r.width);
        EXPECT_EQ (bigEndian32 (r.data + 20), (juce::uint32) r.height);
        EXPECT_EQ (r.data[24], 8) << "bit depth";
        EXPECT_EQ (r.data[25], r.kind == Kind::rgba ? 6 : 2) << "colour type";
        EXPECT_EQ (r.data[28], 0) << "interlace";
    }
}

TEST (EmbeddedPictures, PngsDecodeAtTableSizeWithOrWithoutAlpha)
{
    for (const auto& r : pictures())
    {
        if (r.kind == Kind::svg)
            continue;

        SCOPED_TRACE (r.name);
        const auto image = decode (r.data, r.size);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), (int) r.width);
        EXPECT_EQ (image.getHeight(), (int) r.height);
        EXPECT_EQ (image.hasAlphaChannel(), r.kind == Kind::rgba);

        // The widgets draw these as images, so they decode as drawables too.
        EXPECT_NE (juce::Drawable::createFromImageData (r.data, (size_t) r.size), nullptr);
    }
}

TEST (EmbeddedPictures, SvgsParseWithTheirViewBoxAndFill)
{
    for (const auto& r : pictures())
    {
        if (r.kind != Kind::svg)
            continue;

        SCOPED_TRACE (r.name);

        // Text resources carry a terminating zero that their byte count leaves out.
        EXPECT_EQ (r.data[r.size], '\0');
        EXPECT_NE (r.data[r.size - 1], '\0');

        const auto xml = juce::parseXML (text (r));
        ASSERT_NE (xml, nullptr);
        ASSERT_TRUE (xml->hasTagName ("svg"));

        const auto viewBox = juce::StringArray::fromTokens (xml->getStringAttribute ("viewBox"), " ,", {});
        ASSERT_EQ (viewBox.size(), 4);
        EXPECT_EQ (viewBox[0].getFloatValue(), 0.0f);
        EXPECT_EQ (viewBox[1].getFloatValue(), 0.0f);
        EXPECT_FLOAT_EQ (viewBox[2].getFloatValue(), r.width);
        EXPECT_FLOAT_EQ (viewBox[3].getFloatValue(), r.height);

        // Every shape is a filled path in the logo colour; lettering is outlined, never text.
        int shapes = 0;

        for (auto* element : xml->getChildIterator())
        {
            EXPECT_TRUE (element->hasTagName ("path")) << element->getTagName();
            EXPECT_EQ (element->getStringAttribute ("fill"), r.fill);
            EXPECT_TRUE (element->getStringAttribute ("d").isNotEmpty());
            ++shapes;
        }

        EXPECT_GT (shapes, 4);

        const auto drawable = juce::Drawable::createFromImageData (r.data, (size_t) r.size);
        ASSERT_NE (drawable, nullptr);
        auto* composite = dynamic_cast<juce::DrawableComposite*> (drawable.get());
        ASSERT_NE (composite, nullptr);
        EXPECT_EQ (composite->getContentArea(), (juce::Rectangle<float> (0.0f, 0.0f, r.width, r.height)));

        // The shapes stay inside the view box and fill a fair part of it.
        const auto bounds = drawable->getDrawableBounds();
        EXPECT_TRUE (composite->getContentArea().expanded (0.01f).contains (bounds)) << bounds.toString();
        EXPECT_GT (bounds.getWidth(), r.width * 0.9f);
    }
}

TEST (EmbeddedPictures, LitMeterRunsFromGreenAtTheBottomToRedAtTheTop)
{
    const auto lit = decode (BinaryData::meter_on_png, BinaryData::meter_on_pngSize);
    const auto unlit = decode (BinaryData::meter_off_png, BinaryData::meter_off_pngSize);
    ASSERT_TRUE (lit.isValid() && unlit.isValid());

    const auto bottom = lit.getPixelAt (5, lit.getHeight() - 1);
    const auto top = lit.getPixelAt (5, lit.getHeight() - 5);
    const auto peak = lit.getPixelAt (5, 5);
    EXPECT_GT (bottom.getGreen(), bottom.getRed() + 60);
    EXPECT_GT (peak.getRed(), peak.getGreen() + 60);
    EXPECT_GT (brightness (top), brightness (unlit.getPixelAt (5, lit.getHeight() - 5)) * 2.0f);
}

TEST (EmbeddedPictures, MetersHaveClearSegmentsOfEqualPitch)
{
    // The meter cuts the lit picture at the level, so its rows must alternate cleanly between lit
    // segments and dark gaps, the same way in the lit and unlit pictures.
    for (auto [data, size] : { std::pair { BinaryData::meter_on_png, BinaryData::meter_on_pngSize },
                               std::pair { BinaryData::metermini_on_png, BinaryData::metermini_on_pngSize } })
    {
        const auto lit = decode (data, size);
        ASSERT_TRUE (lit.isValid());

        std::vector<int> segmentStarts;
        bool previousLit = false;

        for (int y = lit.getHeight() - 1; y >= 0; --y)
        {
            const auto isLit = brightness (lit.getPixelAt (lit.getWidth() / 2, y)) > 0.6f;

            if (isLit && ! previousLit)
                segmentStarts.push_back (y);

            previousLit = isLit;
        }

        ASSERT_GE (segmentStarts.size(), 10u);
        const auto pitch = segmentStarts[0] - segmentStarts[1];
        EXPECT_GT (pitch, 2);

        for (size_t i = 1; i < segmentStarts.size(); ++i)
            EXPECT_EQ (segmentStarts[i - 1] - segmentStarts[i], pitch);
    }
}

TEST (EmbeddedPictures, ButtonsAreRoundOnTransparentGround)
{
    for (const auto& r : pictures())
    {
        if (! juce::String (r.name).startsWith ("button"))
            continue;

        SCOPED_TRACE (r.name);
        const auto image = decode (r.data, r.size);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0);
        EXPECT_EQ (image.getPixelAt (99, 0).getAlpha(), 0);
        EXPECT_EQ (image.getPixelAt (50, 48).getAlpha(), 255);
    }
}
