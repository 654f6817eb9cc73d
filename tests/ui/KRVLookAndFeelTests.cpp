#include "ui/KRVLookAndFeel.h"

#include "backend/Settings.h"
#include "support/RecordingGraphicsContext.h"

#include <gtest/gtest.h>

namespace
{
using RectF = juce::Rectangle<float>;

const juce::Colour coral (0xFFF68B68);
const juce::Colour ebony (0xFF000000);

// The colours the main view applies to its look-and-feel, for the menu and combo box cases.
void applyMenuColours (KRVLookAndFeel& lnf)
{
    lnf.setColour (juce::PopupMenu::textColourId, coral);
    lnf.setColour (juce::PopupMenu::highlightedTextColourId, ebony);
    lnf.setColour (juce::PopupMenu::highlightedBackgroundColourId, coral);
    lnf.setColour (juce::ComboBox::backgroundColourId, ebony);
}

void drawItem (KRVLookAndFeel& lnf, RecordingGraphicsContext& context, juce::Rectangle<int> area,
               bool isSeparator, bool isActive, bool isHighlighted, const juce::Colour* textColour = nullptr)
{
    juce::Graphics g (context);
    lnf.drawPopupMenuItem (g, area, isSeparator, isActive, isHighlighted, true, true, "Reset",
                           "Ctrl+R", nullptr, textColour);
}
} // namespace

//==============================================================================
TEST (KRVLookAndFeel, ThumbRadiusFollowsTheSliderShape)
{
    KRVLookAndFeel lnf;

    juce::Slider vertical (juce::Slider::LinearVertical, juce::Slider::NoTextBox);
    vertical.setSize (50, 300);
    EXPECT_EQ (lnf.getSliderThumbRadius (vertical), 20);
    vertical.setSize (52, 300);
    EXPECT_EQ (lnf.getSliderThumbRadius (vertical), 21); // 20.8 rounds up

    juce::Slider horizontal (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    horizontal.setSize (200, 20);
    EXPECT_EQ (lnf.getSliderThumbRadius (horizontal), 9);
    horizontal.setSize (200, 9);
    EXPECT_EQ (lnf.getSliderThumbRadius (horizontal), 6); // 9 / 2 = 4, plus 2

    juce::Slider rotary (juce::Slider::Rotary, juce::Slider::NoTextBox);
    rotary.setSize (7, 100);
    EXPECT_EQ (lnf.getSliderThumbRadius (rotary), 5);
}

TEST (KRVLookAndFeel, FaderGeometry)
{
    EXPECT_EQ (KRVLookAndFeel::getTrackArea (0, 40, 100, 300), RectF (45.0f, 30.0f, 10.0f, 320.0f));

    const float tops[] = { 35.0f, 72.5f, 110.0f, 147.5f, 185.0f, 222.5f, 260.0f, 297.5f, 335.0f };
    for (int i = 0; i < KRVLookAndFeel::numScaleLabels; ++i)
        EXPECT_EQ (KRVLookAndFeel::getScaleLabelArea (0, 40, 100, 300, i), RectF (68.0f, tops[i], 30.0f, 14.0f)) << i;

    EXPECT_EQ (KRVLookAndFeel::getCapArea (100, 100.0f), RectF (10.0f, 60.0f, 80.0f, 153.0f));

    // A slider much shorter than twice its thumb radius: the track collapses, never turns negative.
    EXPECT_EQ (KRVLookAndFeel::getTrackArea (0, 20, 50, -30), RectF (20.0f, 10.0f, 10.0f, 0.0f));
    EXPECT_EQ (KRVLookAndFeel::getTrackArea (0, 20, 50, -20).getHeight(), 0.0f);
}

TEST (KRVLookAndFeel, LinearSliderPaintsTrackScaleAndCap)
{
    KRVLookAndFeel lnf;
    juce::Slider slider (juce::Slider::LinearVertical, juce::Slider::NoTextBox);
    slider.setSize (100, 380);

    RecordingGraphicsContext context;
    {
        juce::Graphics g (context);
        lnf.drawLinearSlider (g, 0, 40, 100, 300, 100.0f, 40.0f, 340.0f, juce::Slider::LinearVertical, slider);
    }

    // Track first, cap last, both stretched over their rectangles.
    ASSERT_EQ (context.images.size(), 2u);
    EXPECT_EQ (context.images[0].image.getBounds(), juce::Rectangle<int> (0, 0, 22, 782));
    EXPECT_EQ (context.images[0].target(), RectF (45.0f, 30.0f, 10.0f, 320.0f));
    EXPECT_EQ (context.images[1].image.getBounds(), juce::Rectangle<int> (0, 0, 195, 307));
    EXPECT_EQ (context.images[1].target(), RectF (10.0f, 60.0f, 80.0f, 153.0f));

    // The scale: every label starts at x 68, one label every 37.5 px, in light grey at 12 px.
    const auto expectedGlyphs = juce::String ("0dB-10-20-30-40-50-60-70-inf").length();
    ASSERT_EQ ((int) context.glyphs.size(), expectedGlyphs);

    std::vector<juce::Point<float>> starts;
    const int lengths[] = { 3, 3, 3, 3, 3, 3, 3, 3, 4 };
    size_t g = 0;
    for (auto length : lengths)
    {
        starts.push_back (context.glyphs[g].position);
        g += (size_t) length;
    }

    for (size_t i = 0; i < starts.size(); ++i)
    {
        EXPECT_FLOAT_EQ (starts[i].x, 68.0f) << i;
        EXPECT_FLOAT_EQ (starts[i].y - starts[0].y, 37.5f * (float) i) << i;
    }
    EXPECT_GT (starts[0].y, 35.0f);
    EXPECT_LE (starts[0].y, 35.0f + 14.0f);

    for (auto& glyph : context.glyphs)
    {
        EXPECT_EQ (glyph.colour, juce::Colour (0xFFE5E5E5));
        EXPECT_FLOAT_EQ (glyph.font.getHeight(), 12.0f);
        EXPECT_EQ (glyph.font.getTypefaceName(), Settings::getInstance()->regularFont.getTypefaceName());
    }
    EXPECT_EQ (context.pathFills, 0);
    EXPECT_TRUE (context.fills.empty());
}

TEST (KRVLookAndFeel, CapIgnoresTheSliderAreaLeftEdgeAndStyle)
{
    KRVLookAndFeel lnf;
    juce::Slider slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    slider.setSize (300, 60);

    RecordingGraphicsContext context;
    {
        juce::Graphics g (context);
        lnf.drawLinearSlider (g, 30, 10, 60, -40, 50.0f, 0.0f, 0.0f, juce::Slider::LinearHorizontal, slider);
    }

    ASSERT_EQ (context.images.size(), 2u);
    EXPECT_EQ (context.images[0].target(), RectF (55.0f, 0.0f, 10.0f, 0.0f));
    EXPECT_EQ (context.images[1].target(), RectF (6.0f, 10.0f, 48.0f, 153.0f));
}

//==============================================================================
TEST (KRVLookAndFeel, SeparatorIsAThinLineBelowTheMiddle)
{
    EXPECT_EQ (KRVLookAndFeel::getSeparatorLine ({ 0, 20, 200, 10 }), juce::Rectangle<int> (5, 24, 190, 1));
    EXPECT_EQ (KRVLookAndFeel::getSeparatorLine ({ 0, 0, 200, 1 }), juce::Rectangle<int> (5, 0, 190, 1));
    EXPECT_TRUE (KRVLookAndFeel::getSeparatorLine ({ 0, 0, 200, 0 }).isEmpty());
    EXPECT_EQ (KRVLookAndFeel::getSeparatorLine ({ 0, 0, 8, 10 }).getWidth(), 0);

    KRVLookAndFeel lnf;
    applyMenuColours (lnf);
    RecordingGraphicsContext context;
    drawItem (lnf, context, { 0, 20, 200, 10 }, true, true, true);

    ASSERT_EQ (context.fills.size(), 1u);
    EXPECT_EQ (context.fills[0].area, RectF (5.0f, 24.0f, 190.0f, 1.0f));
    EXPECT_EQ (context.fills[0].colour, coral.withAlpha ((juce::uint8) 76));
    EXPECT_TRUE (context.glyphs.empty());
}

TEST (KRVLookAndFeel, MenuItemFontFitsTheRow)
{
    EXPECT_EQ (KRVLookAndFeel::getMenuItemTextArea ({ 0, 0, 120, 24 }), juce::Rectangle<int> (3, 1, 114, 22));
    EXPECT_EQ (KRVLookAndFeel::getMenuItemTextArea ({ 0, 0, 4, 1 }), juce::Rectangle<int> (3, 1, 0, 0));

    EXPECT_FLOAT_EQ (KRVLookAndFeel::fitMenuItemFont (juce::Font (40.0f), { 0, 0, 100, 22 }).getHeight(), 22.0f / 1.3f);
    EXPECT_FLOAT_EQ (KRVLookAndFeel::fitMenuItemFont (juce::Font (10.0f), { 0, 0, 100, 22 }).getHeight(), 10.0f);

    KRVLookAndFeel lnf;
    applyMenuColours (lnf);
    RecordingGraphicsContext context;
    drawItem (lnf, context, { 0, 0, 120, 24 }, false, true, false);

    ASSERT_EQ (context.glyphs.size(), 5u); // "Reset" only: no shortcut text
    for (auto& glyph : context.glyphs)
    {
        EXPECT_LE (glyph.font.getHeight(), 22.0f / 1.3f + 1.0e-4f);
        EXPECT_EQ (glyph.colour, coral);
    }
    EXPECT_FLOAT_EQ (context.glyphs[0].position.x, 3.0f);
    EXPECT_TRUE (context.fills.empty());
    EXPECT_EQ (context.pathFills, 0); // no tick, no sub-menu arrow
}

TEST (KRVLookAndFeel, HighlightedItemIsFilled)
{
    KRVLookAndFeel lnf;
    applyMenuColours (lnf);
    RecordingGraphicsContext context;
    drawItem (lnf, context, { 0, 10, 120, 24 }, false, true, true);

    ASSERT_EQ (context.fills.size(), 1u);
    EXPECT_EQ (context.fills[0].area, RectF (3.0f, 11.0f, 114.0f, 22.0f));
    EXPECT_EQ (context.fills[0].colour, coral);
    ASSERT_FALSE (context.glyphs.empty());
    EXPECT_EQ (context.glyphs[0].colour, ebony);
}

TEST (KRVLookAndFeel, InactiveItemIsHalfAlphaAndNeverHighlighted)
{
    KRVLookAndFeel lnf;
    applyMenuColours (lnf);

    RecordingGraphicsContext context;
    drawItem (lnf, context, { 0, 0, 120, 24 }, false, false, true);
    EXPECT_TRUE (context.fills.empty());
    ASSERT_FALSE (context.glyphs.empty());
    EXPECT_EQ (context.glyphs[0].colour, coral.withAlpha ((juce::uint8) 128));

    // A given text colour wins over the look-and-feel's; its own alpha is halved.
    const juce::Colour given (0x80102030);
    RecordingGraphicsContext withColour;
    drawItem (lnf, withColour, { 0, 0, 120, 24 }, false, false, false, &given);
    ASSERT_FALSE (withColour.glyphs.empty());
    EXPECT_EQ (withColour.glyphs[0].colour, given.withAlpha ((juce::uint8) 64));
}

//==============================================================================
TEST (KRVLookAndFeel, ComboBoxIsAFlatBox)
{
    KRVLookAndFeel lnf;
    applyMenuColours (lnf);
    juce::ComboBox box;
    box.setLookAndFeel (&lnf);
    box.setSize (120, 30);

    RecordingGraphicsContext context;
    {
        juce::Graphics g (context);
        lnf.drawComboBox (g, 120, 30, true, 90, 0, 30, 30, box);
    }
    ASSERT_EQ (context.fills.size(), 1u);
    EXPECT_EQ (context.fills[0].area, RectF (0.0f, 0.0f, 120.0f, 30.0f));
    EXPECT_EQ (context.fills[0].colour, ebony);
    EXPECT_EQ (context.pathFills, 0);
    EXPECT_EQ (context.lines, 0);

    EXPECT_FLOAT_EQ (lnf.getComboBoxFont (box).getHeight(), 16.0f);
    box.setSize (120, 10);
    EXPECT_FLOAT_EQ (lnf.getComboBoxFont (box).getHeight(), 8.5f);

    box.setLookAndFeel (nullptr);
}
