#include "ui/MacroSliderComponent.h"

#include "support/RecordingGraphicsContext.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

namespace
{
using Rect = juce::Rectangle<int>;
using RectF = juce::Rectangle<float>;

Hardware::Macro makeMacro (const juce::String& name, std::vector<Hardware::MacroNode> nodes = {})
{
    return { name, std::move (nodes) };
}

juce::Slider& sliderOf (MacroSliderComponent& widget)
{
    auto* slider = dynamic_cast<juce::Slider*> (widget.getChildComponent (0));
    EXPECT_NE (slider, nullptr);
    return *slider;
}
} // namespace

TEST (MacroSliderComponent, SliderIsAPlainVerticalPercentSlider)
{
    MacroSliderComponent widget (makeMacro ("Playback"));
    ASSERT_EQ (widget.getNumChildComponents(), 1);

    auto& slider = sliderOf (widget);
    EXPECT_EQ (slider.getSliderStyle(), juce::Slider::LinearVertical);
    EXPECT_EQ (slider.getTextBoxPosition(), juce::Slider::NoTextBox);
    EXPECT_EQ (slider.getMinimum(), 0.0);
    EXPECT_EQ (slider.getMaximum(), 100.0);
    EXPECT_EQ (slider.getInterval(), 1.0);
    EXPECT_TRUE (slider.isVisible());
    EXPECT_EQ (slider.getValue(), 0.0); // no nodes
}

TEST (MacroSliderComponent, SliderLeavesRoomForTheName)
{
    MacroSliderComponent widget (makeMacro ("Monitor"));
    auto& slider = sliderOf (widget);

    widget.setSize (120, 400);
    EXPECT_EQ (slider.getBounds(), Rect (5, 5, 110, 330));

    widget.setSize (120, 71);
    EXPECT_EQ (slider.getBounds(), Rect (5, 5, 110, 1));

    widget.setSize (8, 70);
    EXPECT_EQ (slider.getBounds(), Rect (5, 5, 0, 0));

    widget.setSize (0, 0);
    EXPECT_EQ (slider.getBounds(), Rect (5, 5, 0, 0));
}

TEST (MacroSliderComponent, PaintsBackgroundFrameAndName)
{
    MacroSliderComponent widget (makeMacro ("Playback"));
    widget.setSize (200, 300);

    RecordingGraphicsContext context;
    {
        juce::Graphics g (context);
        widget.paint (g);
    }

    ASSERT_EQ (context.images.size(), 1u);
    EXPECT_EQ (context.images[0].image.getBounds(), Rect (0, 0, 376, 1082));
    EXPECT_EQ (context.images[0].target(), RectF (0.0f, 0.0f, 200.0f, 300.0f));

    // A 2-px black frame around the whole widget.
    ASSERT_FALSE (context.fills.empty());
    RectF frame;
    for (auto& fill : context.fills)
    {
        EXPECT_EQ (fill.colour, juce::Colour (0xFF000000));
        frame = frame.isEmpty() ? fill.area : frame.getUnion (fill.area);
    }
    EXPECT_EQ (frame, RectF (0.0f, 0.0f, 200.0f, 300.0f));

    ASSERT_EQ (context.textLayouts.size(), 1u);
    const auto& layout = context.textLayouts[0];
    EXPECT_EQ (layout.area, RectF (10.0f, 260.0f, 180.0f, 30.0f));
    EXPECT_EQ (layout.text.getText(), "Playback");
    EXPECT_EQ (layout.text.getJustification(), juce::Justification (juce::Justification::centred));
    EXPECT_EQ (layout.text.getWordWrap(), juce::AttributedString::byWord);
    EXPECT_FLOAT_EQ (layout.text.getLineSpacing(), 0.0f);
    ASSERT_EQ (layout.text.getNumAttributes(), 1);
    EXPECT_EQ (layout.text.getAttribute (0).range, juce::Range<int> (0, 8));
    EXPECT_EQ (layout.text.getAttribute (0).colour, juce::Colour (0xFFE5E5E5));
    EXPECT_FLOAT_EQ (layout.text.getAttribute (0).font.getHeight(), 20.0f);

    const auto bold = juce::Typeface::createSystemTypefaceFor (BinaryData::BARLOWBOLD_TTF,
                                                               (size_t) BinaryData::BARLOWBOLD_TTFSize);
    EXPECT_EQ (layout.text.getAttribute (0).font.getTypefaceName(), bold->getName());
    EXPECT_EQ (layout.text.getAttribute (0).font.getTypefaceStyle(), bold->getStyle());
}

TEST (MacroSliderComponent, NarrowWidgetGivesTheNameNoWidth)
{
    MacroSliderComponent widget (makeMacro ("Playback"));

    const auto paintText = [&widget] (int width)
    {
        widget.setSize (width, 50);
        RecordingGraphicsContext context;
        juce::Graphics g (context);
        widget.paint (g);
        return context.textLayouts;
    };

    const auto justWide = paintText (21);
    ASSERT_EQ (justWide.size(), 1u);
    EXPECT_EQ (justWide[0].area, RectF (10.0f, 10.0f, 1.0f, 30.0f));

    // At 20 px or less the area has no width, so there is nothing to draw the name into.
    EXPECT_TRUE (paintText (20).empty());
    EXPECT_TRUE (paintText (3).empty());
}
