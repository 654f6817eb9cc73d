#include "ui/InputComponent.h"

#include "backend/Settings.h"

#include "ConnectedMixerTest.h"
#include "WidgetTestSupport.h"
#include "WindowPaintProbe.h"

#include <gtest/gtest.h>

using namespace WidgetTestSupport;

namespace
{
const Hardware::Channel micIn1 { Hardware::DeviceInput, 0 };
} // namespace

TEST (InputComponent, RowOf100By30)
{
    InputComponent row (micIn1);
    row.setBounds (0, 0, 100, 30);

    EXPECT_EQ (row.meter.getBounds(), juce::Rectangle<int> (92, 2, 6, 26));
    EXPECT_EQ (row.getNameArea(), juce::Rectangle<float> (12.0f, 2.0f, 76.0f, 26.0f));
    EXPECT_TRUE (row.meter.isVisible());
    EXPECT_EQ (row.meter.getParentComponent(), &row);
}

TEST (InputComponent, NarrowRowsShrinkTheMeterAndEmptyTheNameArea)
{
    InputComponent row (micIn1);

    row.setBounds (0, 0, 8, 40);
    EXPECT_EQ (row.meter.getBounds(), juce::Rectangle<int> (2, 2, 4, 36));
    EXPECT_TRUE (row.getNameArea().isEmpty());

    row.setBounds (0, 0, 3, 40);
    EXPECT_EQ (row.meter.getBounds(), juce::Rectangle<int> (2, 2, 0, 36));

    row.setBounds (0, 0, 100, 3);
    EXPECT_EQ (row.meter.getBounds(), juce::Rectangle<int> (92, 2, 6, 0));
    EXPECT_TRUE (row.getNameArea().isEmpty());
}

TEST (InputComponent, UsesTheMiniMeterImages)
{
    InputComponent row (micIn1);

    ASSERT_TRUE (row.meter.offImage.isValid());
    ASSERT_TRUE (row.meter.onImage.isValid());
    EXPECT_EQ (row.meter.offImage.getBounds(), juce::Rectangle<int> (0, 0, 10, 44));
    EXPECT_EQ (row.meter.onImage.getBounds(), juce::Rectangle<int> (0, 0, 10, 44));
    EXPECT_FALSE (row.meter.onImage == row.meter.offImage);
}

TEST (InputComponent, PaintsFrameAndFillEvenWithoutRoomForTheName)
{
    const auto settings = Settings::getInstance();
    InputComponent row (micIn1);
    row.setBounds (0, 0, 20, 30);

    const auto image = snapshot (row);
    EXPECT_EQ (image.getPixelAt (0, 15).getARGB(), 0xFF000000u);
    EXPECT_EQ (image.getPixelAt (1, 15).getARGB(), 0xFF000000u);
    EXPECT_EQ (image.getPixelAt (19, 0).getARGB(), 0xFF000000u);
    EXPECT_EQ (image.getPixelAt (5, 15).getARGB(), settings->soot.getARGB());
}

using InputComponentOnDevice = ConnectedMixerTest;

TEST_F (InputComponentOnDevice, PaintingShowsTheInputsLevelWithoutADriverCall)
{
    InputComponent row (micIn1);
    row.setBounds (0, 0, 100, 30);

    sim.KSIM_SetInputLevel (0, Hardware::DeviceInput, 0, -2400);
    backend->refreshMeters();
    const auto requests = sim.journal().size();

    snapshot (row);
    EXPECT_EQ (row.meter.level, -24.0f);
    EXPECT_EQ (sim.journal().size(), requests);
}

TEST_F (InputComponentOnDevice, PaintedAsInTheWindowItShowsWhatItPaintsAndAsksForNoFurtherPaint)
{
    InputComponent row (micIn1);
    row.setBounds (0, 0, 100, 30);
    WindowPaintProbe window (row);

    sim.KSIM_SetInputLevel (0, Hardware::DeviceInput, 0, -2400);
    backend->refreshMeters();
    auto frame = window.paintFrame();
    EXPECT_EQ (window.requests, 0);
    EXPECT_EQ (row.meter.level, -24.0f);
    EXPECT_TRUE (samePixels (frame, snapshot (row)));

    sim.KSIM_SetInputLevel (0, Hardware::DeviceInput, 0, -300);
    backend->refreshMeters();
    frame = window.paintFrame();
    EXPECT_EQ (window.requests, 0);
    EXPECT_EQ (row.meter.level, -3.0f);
    EXPECT_TRUE (samePixels (frame, snapshot (row)));
}

TEST (InputComponentWithoutBackend, KeepsTheLastLevel)
{
    shutDownBackend();
    InputComponent row (micIn1);
    row.setBounds (0, 0, 100, 30);
    row.meter.level = -40.0f;

    const auto image = snapshot (row);
    EXPECT_EQ (row.meter.level, -40.0f);
    EXPECT_EQ (image.getPixelAt (5, 15), Settings::getInstance()->soot);
}
