#include "ui/ChannelComponent.h"

#include "BinaryData.h"
#include "backend/Settings.h"

#include "ConnectedMixerTest.h"
#include "WidgetTestSupport.h"
#include "support/HardwareBackendTestAccess.h"
#include "WindowPaintProbe.h"

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

TEST (ChannelComponent, LinkOffWholeDecibelFadersAndMetersAboveThem)
{
    ChannelComponent strip (monitorL, monitorR);

    EXPECT_FALSE (strip.linkButton.getToggleState());

    // Separate images for the on state.
    const auto* offImage = strip.linkButton.getNormalImage();
    strip.linkButton.setToggleState (true, juce::dontSendNotification);
    ASSERT_NE (offImage, nullptr);
    EXPECT_NE (strip.linkButton.getNormalImage(), offImage);

    strip.leftSlider.setValue (-6.4, juce::dontSendNotification);
    EXPECT_EQ (strip.leftSlider.getValue(), -6.0);

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

namespace
{
// Property 201 for device output 0 and 1 (code 1), then the gain, truncated by the backend.
const std::string outputGainLeft = "4D000000C90000000100";
const std::string outputGainRight = "4D000000C90000000101";

using ChannelComponentOnDevice = ConnectedMixerTest;
using Requests = std::vector<std::string>;
} // namespace

TEST_F (ChannelComponentOnDevice, FadersStartFromTheDeviceGainsAndSendNothing)
{
    const auto fadersFor = [this] (float leftGain, float rightGain)
    {
        backend->setOutputGain (monitorL, leftGain);
        backend->setOutputGain (monitorR, rightGain);
        sim.KSIM_ClearJournal();
        ChannelComponent strip (monitorL, monitorR);
        return std::make_pair (strip.leftSlider.getValue(), strip.rightSlider.getValue());
    };

    EXPECT_EQ (fadersFor (1.0f, 0.5f), std::make_pair (0.0, -6.0));
    EXPECT_EQ (fadersFor (0.0f, 0.0001f), std::make_pair (-80.0, -80.0));
    EXPECT_EQ (fadersFor (2.0f, 0.1f), std::make_pair (0.0, -20.0));
    EXPECT_TRUE (sets().empty());
}

TEST_F (ChannelComponentOnDevice, FaderMovesSendTheirGainAtOnce)
{
    ChannelComponent strip (monitorL, monitorR);

    strip.leftSlider.setValue (-80.0, juce::sendNotificationSync);
    strip.leftSlider.setValue (0.0, juce::sendNotificationSync);
    strip.rightSlider.setValue (-6.0, juce::sendNotificationSync);
    strip.rightSlider.setValue (-10.0, juce::sendNotificationSync);
    pumpMessages();

    EXPECT_EQ (sets(), (Requests { outputGainLeft + "00000000",
                                   outputGainLeft + "00000001",
                                   outputGainRight + "CE4D8000",      // 10^-0.3
                                   outputGainRight + "4DF45000" }));  // 5305421.5 truncated
}

TEST_F (ChannelComponentOnDevice, LinkedMoveSendsBothGainsTheMirroredOneLater)
{
    ChannelComponent strip (monitorL, monitorR);
    strip.linkButton.setToggleState (true, juce::dontSendNotification);

    strip.leftSlider.setValue (-12.0, juce::sendNotificationSync);
    EXPECT_EQ (sets(), (Requests { outputGainLeft + "E64D4000" }));

    pumpMessages();
    EXPECT_EQ (strip.rightSlider.getValue(), -12.0);
    EXPECT_EQ (sets(), (Requests { outputGainLeft + "E64D4000", outputGainRight + "E64D4000" }));
}

TEST_F (ChannelComponentOnDevice, LinkingSendsTheRightGainAndUnlinkingSendsNothing)
{
    ChannelComponent strip (monitorL, monitorR);
    strip.leftSlider.setValue (-10.0, juce::dontSendNotification);
    strip.rightSlider.setValue (-20.0, juce::dontSendNotification);

    strip.linkButton.triggerClick();
    pumpMessages();
    EXPECT_EQ (sets(), (Requests { outputGainRight + "4DF45000" }));

    sim.KSIM_ClearJournal();
    strip.linkButton.triggerClick();
    pumpMessages();
    EXPECT_FALSE (strip.linkButton.getToggleState());
    EXPECT_TRUE (sets().empty());

    // Linking faders that already agree sends nothing either.
    strip.linkButton.triggerClick();
    pumpMessages();
    EXPECT_TRUE (sets().empty());
}

TEST_F (ChannelComponentOnDevice, PaintingShowsTheMeterLevelsWithoutADriverCall)
{
    ChannelComponent strip (monitorL, monitorR);
    strip.setBounds (0, 0, 200, 400);

    sim.KSIM_SetInputLevel (0, Hardware::ApplicationPlayback, 0, -600);
    sim.KSIM_SetInputLevel (0, Hardware::ApplicationPlayback, 1, -2400);
    backend->refreshMeters();
    const auto requests = sim.journal().size();

    snapshot (strip);
    EXPECT_EQ (sim.journal().size(), requests);
    EXPECT_EQ (strip.leftMeter.level, backend->getMeterLevel (monitorL));
    EXPECT_EQ (strip.rightMeter.level, backend->getMeterLevel (monitorR));
    EXPECT_GT (strip.leftMeter.level, strip.rightMeter.level);
}

TEST_F (ChannelComponentOnDevice, MetersLightNothingUntilTheInterfaceGaveItsLevelsAndAfterItIsGone)
{
    ChannelComponent strip (monitorL, monitorR);
    strip.setBounds (0, 0, 200, 400);
    const juce::Colour lit { 0xFFFF0000 };

    for (auto* meter : { &strip.leftMeter, &strip.rightMeter })
    {
        meter->onImage = solidImage (10, 310, lit);
        meter->offImage = solidImage (10, 310, juce::Colour (0xFF0000FF));
    }

    const auto litPixels = [&strip, lit] (MeterComponent& meter)
    {
        const auto image = snapshot (strip);
        int count = 0;
        for (int y = meter.getY(); y < meter.getBottom(); ++y)
            for (int x = meter.getX(); x < meter.getRight(); ++x)
                count += image.getPixelAt (x, y) == lit ? 1 : 0;
        return count;
    };

    // Opened, no levels read yet.
    EXPECT_EQ (litPixels (strip.leftMeter), 0);
    EXPECT_EQ (litPixels (strip.rightMeter), 0);
    EXPECT_EQ (strip.leftMeter.level, -120.0f);
    EXPECT_EQ (strip.rightMeter.level, -120.0f);

    sim.KSIM_SetInputLevel (0, Hardware::ApplicationPlayback, 0, -600);
    backend->refreshMeters();
    EXPECT_EQ (litPixels (strip.leftMeter), 10 * 287);   // the top at 310 - 310 * 74 / 80 = 23.25

    // Every interface unplugged.
    sim.KSIM_DetachDevice (1);
    sim.KSIM_DetachDevice (0);
    HardwareBackendTestAccess::pimpl (*backend).timerCallback();
    ASSERT_FALSE (backend->isConnected());
    EXPECT_EQ (litPixels (strip.leftMeter), 0);
    EXPECT_EQ (litPixels (strip.rightMeter), 0);
    EXPECT_EQ (strip.leftMeter.level, -120.0f);
}

TEST (ChannelComponentWithoutBackend, KeepsItsFadersMirrorsAndPaintsPurple)
{
    shutDownBackend();
    ChannelComponent strip (monitorL, monitorR);
    strip.setBounds (0, 0, 200, 400);
    EXPECT_EQ (strip.leftSlider.getValue(), 0.0);
    EXPECT_EQ (strip.rightSlider.getValue(), 0.0);

    strip.linkButton.setToggleState (true, juce::dontSendNotification);
    strip.leftSlider.setValue (-30.0, juce::sendNotificationSync);
    pumpMessages();
    EXPECT_EQ (strip.rightSlider.getValue(), -30.0);

    // Only the background is replaced; the children still paint over it.
    EXPECT_EQ (snapshot (strip).getPixelAt (30, 10).getARGB(), 0xFF800080u);
}

TEST_F (ChannelComponentOnDevice, PaintedAsInTheWindowItShowsWhatItPaintsAndAsksForNoFurtherPaint)
{
    ChannelComponent strip (monitorL, monitorR);
    strip.setBounds (0, 0, 200, 400);
    WindowPaintProbe window (strip);

    sim.KSIM_SetInputLevel (0, Hardware::ApplicationPlayback, 0, -600);
    sim.KSIM_SetInputLevel (0, Hardware::ApplicationPlayback, 1, -2400);
    backend->refreshMeters();

    // The meters are inside the area being painted: painting them with their new levels must not
    // ask for the strip to be painted again, which would never end.
    auto frame = window.paintFrame();
    EXPECT_EQ (window.requests, 0);
    EXPECT_EQ (strip.leftMeter.level, -6.0f);
    EXPECT_TRUE (samePixels (frame, snapshot (strip)));

    // The next frame shows new levels without the strip being asked to repaint first...
    sim.KSIM_SetInputLevel (0, Hardware::ApplicationPlayback, 0, -4800);
    backend->refreshMeters();
    frame = window.paintFrame();
    EXPECT_EQ (strip.leftMeter.level, -48.0f);
    EXPECT_TRUE (samePixels (frame, snapshot (strip)));

    // ...and a fader that moved shows where it stands now.
    strip.rightSlider.setValue (-50.0, juce::dontSendNotification);
    EXPECT_GT (window.requests, 0);
    window.requests = 0;
    frame = window.paintFrame();
    EXPECT_EQ (window.requests, 0);
    EXPECT_TRUE (samePixels (frame, snapshot (strip)));
}
