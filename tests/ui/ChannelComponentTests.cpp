#include "ui/ChannelComponent.h"

#include "BinaryData.h"
#include "backend/Settings.h"

#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

using namespace WidgetTestSupport;

namespace
{
const Hardware::Channel monitorL { Hardware::DeviceOutput, 0 };
const Hardware::Channel monitorR { Hardware::DeviceOutput, 1 };

using Rect = juce::Rectangle<int>;

/** Groups of consecutive rows that differ between two images, within `area`: lines of text drawn. */
int textLines (const juce::Image& a, const juce::Image& b, Rect area)
{
    int lines = 0;
    bool inLine = false;
    for (int y = area.getY(); y < area.getBottom(); ++y)
    {
        bool differs = false;
        for (int x = area.getX(); x < area.getRight() && ! differs; ++x)
            differs = a.getPixelAt (x, y) != b.getPixelAt (x, y);

        if (differs && ! inLine)
            ++lines;
        inLine = differs;
    }
    return lines;
}

/** The strip painted with the given left and right names. */
juce::Image paintedWithNames (Settings& settings, const juce::StringArray& names, int width, int height)
{
    settings.channelNames[Hardware::DeviceOutput] = names;
    ChannelComponent strip (monitorL, monitorR);
    strip.setBounds (0, 0, width, height);
    return snapshot (strip);
}
} // namespace

TEST (ChannelComponent, LayoutOf200By400)
{
    ChannelComponent strip (monitorL, monitorR);
    strip.setBounds (0, 0, 200, 400);

    EXPECT_EQ (strip.linkArea, Rect (5, 5, 190, 30));
    EXPECT_EQ (strip.nameArea, Rect (5, 365, 190, 30));
    EXPECT_EQ (strip.faderArea, Rect (50, 40, 100, 320));
    EXPECT_EQ (strip.linkButton.getBounds(), Rect (80, 3, 40, 40));   // at least 40, beyond the band
    EXPECT_EQ (strip.leftMeter.getBounds(), Rect (10, 45, 10, 310));
    EXPECT_EQ (strip.rightMeter.getBounds(), Rect (110, 45, 10, 310));
    EXPECT_EQ (strip.leftSlider.getBounds(), Rect (0, 45, 100, 310));
    EXPECT_EQ (strip.rightSlider.getBounds(), Rect (100, 45, 100, 310));
}

TEST (ChannelComponent, MarginRoundsInSinglePrecisionAndFaderWidthInDouble)
{
    ChannelComponent strip (monitorL, monitorR);

    strip.setBounds (0, 0, 210, 400);   // 10.5 -> 10
    EXPECT_EQ (strip.leftMeter.getWidth(), 10);
    strip.setBounds (0, 0, 230, 400);   // 11.5 -> 12
    EXPECT_EQ (strip.leftMeter.getWidth(), 12);
    EXPECT_EQ (strip.rightMeter.getX(), 115 + 12);

    strip.setBounds (0, 0, 201, 400);   // 100.5 -> 100
    EXPECT_EQ (strip.leftSlider.getWidth(), 100);
    strip.setBounds (0, 0, 203, 400);   // 101.5 -> 102
    EXPECT_EQ (strip.leftSlider.getWidth(), 102);
    EXPECT_EQ (strip.rightSlider.getWidth(), 102);
}

TEST (ChannelComponent, TinyStripGetsNoNegativeSizes)
{
    // m is 20 here, more than the height between the bands.
    ChannelComponent strip (monitorL, monitorR);
    strip.setBounds (0, 0, 400, 20);

    EXPECT_EQ (strip.linkArea, Rect (5, 5, 390, 0));
    EXPECT_EQ (strip.nameArea, Rect (5, 23, 390, 0));
    EXPECT_EQ (strip.leftMeter.getBounds(), Rect (20, 25, 20, 0));
    EXPECT_EQ (strip.leftSlider.getHeight(), 0);
    EXPECT_EQ (strip.linkButton.getWidth(), 40);
}

TEST (ChannelComponent, BuiltWithOffLinkWholeDecibelFadersAndMetersAboveThem)
{
    ChannelComponent strip (monitorL, monitorR);

    EXPECT_TRUE (strip.isOpaque());
    EXPECT_EQ (strip.linkButton.getName(), "Link");
    EXPECT_FALSE (strip.linkButton.getToggleState());
    EXPECT_TRUE (strip.linkButton.getClickingTogglesState());
    EXPECT_EQ (strip.linkButton.getStyle(), juce::DrawableButton::ImageFitted);

    // Separate images for the on state.
    const auto* offImage = strip.linkButton.getNormalImage();
    strip.linkButton.setToggleState (true, juce::dontSendNotification);
    ASSERT_NE (offImage, nullptr);
    EXPECT_NE (strip.linkButton.getNormalImage(), offImage);

    for (auto* slider : { &strip.leftSlider, &strip.rightSlider })
    {
        EXPECT_EQ (slider->getSliderStyle(), juce::Slider::LinearVertical);
        EXPECT_EQ (slider->getTextBoxPosition(), juce::Slider::NoTextBox);
        EXPECT_EQ (slider->getMinimum(), -80.0);
        EXPECT_EQ (slider->getMaximum(), 0.0);
        EXPECT_EQ (slider->getInterval(), 1.0);
    }

    const juce::Array<juce::Component*> zOrder { &strip.leftSlider, &strip.rightSlider, &strip.linkButton,
                                                 &strip.leftMeter, &strip.rightMeter };
    EXPECT_EQ (strip.getChildren(), zOrder);

    for (auto* meter : { &strip.leftMeter, &strip.rightMeter })
    {
        ASSERT_TRUE (meter->onImage.isValid());
        ASSERT_TRUE (meter->offImage.isValid());
        EXPECT_EQ (meter->onImage.getBounds(), Rect (0, 0, 10, 816));
        EXPECT_FALSE (meter->onImage == meter->offImage);
    }
}

TEST (ChannelComponent, OnlyTheFirstDeviceOutputPairGetsTheMainBackground)
{
    EXPECT_TRUE (ChannelComponent (monitorL, monitorR).isMainOutput);
    EXPECT_FALSE (ChannelComponent ({ Hardware::DeviceOutput, 2 }, { Hardware::DeviceOutput, 3 }).isMainOutput);
    EXPECT_FALSE (ChannelComponent ({ Hardware::ApplicationRecording, 0 }, { Hardware::ApplicationRecording, 1 }).isMainOutput);
    EXPECT_FALSE (ChannelComponent ({ Hardware::VirtualRecording, 0 }, { Hardware::VirtualRecording, 1 }).isMainOutput);

    // What is painted: the corner above the bracket shows nothing but the stretched background.
    const auto expected = [] (const void* data, int size)
    {
        juce::Image image (juce::Image::RGB, 200, 400, true);
        juce::Graphics g (image);
        g.drawImage (juce::ImageCache::getFromMemory (data, size), Rect (0, 0, 200, 400).toFloat(),
                     juce::RectanglePlacement::stretchToFit);
        return image;
    };
    const auto mainImage = expected (BinaryData::background_output_main_png, BinaryData::background_output_main_pngSize);
    const auto otherImage = expected (BinaryData::background_output_png, BinaryData::background_output_pngSize);

    const auto cornerMatches = [] (const juce::Image& painted, const juce::Image& reference)
    {
        for (int y = 2; y < 17; ++y)
            for (int x = 2; x < 45; ++x)
                if (painted.getPixelAt (x, y) != reference.getPixelAt (x, y))
                    return false;
        return true;
    };

    ChannelComponent mainStrip (monitorL, monitorR);
    mainStrip.setBounds (0, 0, 200, 400);
    ChannelComponent otherStrip ({ Hardware::DeviceOutput, 2 }, { Hardware::DeviceOutput, 3 });
    otherStrip.setBounds (0, 0, 200, 400);

    EXPECT_TRUE (cornerMatches (snapshot (mainStrip), mainImage));
    EXPECT_TRUE (cornerMatches (snapshot (otherStrip), otherImage));
    EXPECT_FALSE (cornerMatches (mainImage, otherImage));
}

TEST (ChannelComponent, NamesBreakAtTheirFirstSpaceOnly)
{
    const auto settings = Settings::getInstance();

    // Wide enough that no name would wrap by itself.
    const auto blank = paintedWithNames (*settings, { "", "" }, 600, 800);
    const Rect leftHalf (5, 725, 295, 70);
    const Rect rightHalf (300, 725, 295, 70);

    const auto monitor = paintedWithNames (*settings, { "Monitor Out L", "Monitor" }, 600, 800);
    EXPECT_EQ (textLines (monitor, blank, leftHalf), 2);
    EXPECT_EQ (textLines (monitor, blank, rightHalf), 1);

    const auto threeWords = paintedWithNames (*settings, { "A B C", "Headphones 1 L" }, 600, 800);
    EXPECT_EQ (textLines (threeWords, blank, leftHalf), 2);
    EXPECT_EQ (textLines (threeWords, blank, rightHalf), 2);
}

TEST (ChannelComponent, LinkedFadersMirrorEachOther)
{
    ChannelComponent strip (monitorL, monitorR);
    strip.leftSlider.setValue (-30.0, juce::dontSendNotification);
    strip.rightSlider.setValue (-30.0, juce::dontSendNotification);

    // Not linked: each fader stands alone.
    strip.leftSlider.setValue (-12.0, juce::sendNotificationSync);
    pumpMessages();
    EXPECT_EQ (strip.rightSlider.getValue(), -30.0);

    strip.linkButton.setToggleState (true, juce::dontSendNotification);
    strip.leftSlider.setValue (-20.0, juce::sendNotificationSync);
    pumpMessages();
    EXPECT_EQ (strip.rightSlider.getValue(), -20.0);

    strip.rightSlider.setValue (-7.0, juce::sendNotificationSync);
    pumpMessages();
    EXPECT_EQ (strip.leftSlider.getValue(), -7.0);
}

TEST (ChannelComponent, LinkingMovesTheRightFaderToTheLeftAndUnlinkingMovesNothing)
{
    ChannelComponent strip (monitorL, monitorR);
    strip.leftSlider.setValue (-10.0, juce::dontSendNotification);
    strip.rightSlider.setValue (-20.0, juce::dontSendNotification);

    strip.linkButton.triggerClick();
    pumpMessages();
    EXPECT_TRUE (strip.linkButton.getToggleState());
    EXPECT_EQ (strip.leftSlider.getValue(), -10.0);
    EXPECT_EQ (strip.rightSlider.getValue(), -10.0);

    strip.rightSlider.setValue (-40.0, juce::dontSendNotification);
    strip.linkButton.triggerClick();
    pumpMessages();
    EXPECT_FALSE (strip.linkButton.getToggleState());
    EXPECT_EQ (strip.leftSlider.getValue(), -10.0);
    EXPECT_EQ (strip.rightSlider.getValue(), -40.0);
}
