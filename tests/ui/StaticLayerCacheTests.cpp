#include "ui/StaticLayerCache.h"

#include "backend/Settings.h"
#include "ui/ChannelComponent.h"
#include "ui/InputComponent.h"
#include "ui/KRVLookAndFeel.h"

#include "ConnectedMixerTest.h"
#include "WindowPaintProbe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
using Point = juce::Point<int>;

const Hardware::Channel monitorL { Hardware::DeviceOutput, 0 };
const Hardware::Channel monitorR { Hardware::DeviceOutput, 1 };
const Hardware::Channel lineOut3 { Hardware::DeviceOutput, 2 };
const Hardware::Channel lineOut4 { Hardware::DeviceOutput, 3 };
const Hardware::Channel micIn1 { Hardware::DeviceInput, 0 };

const std::vector<float> scales { 1.0f, 1.25f, 1.5f, 2.0f };

// At 1.25 these put the widget a quarter, a half and three quarters into a pixel, at 1.5 half a
// pixel across or down, at 1 and 2 on odd and even whole pixels; 3 is the room the probes leave
// above and left of the widget.
const std::vector<Point> offsets { { 1, 2 }, { 3, 3 } };

// Whole pixels and the frame of pixels covered in part, for the cases that follow a change.
const std::vector<float> plainAndFractionalScales { 1.0f, 1.25f };

/** The number of pixels in which two frames differ; every pixel when their sizes differ. */
int differingPixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return juce::jmax (a.getWidth() * a.getHeight(), b.getWidth() * b.getHeight());

    const juce::Image::BitmapData first (a, juce::Image::BitmapData::readOnly);
    const juce::Image::BitmapData second (b, juce::Image::BitmapData::readOnly);
    const auto rowBytes = static_cast<size_t> (a.getWidth() * first.pixelStride);
    int count = 0;

    for (int y = 0; y < a.getHeight(); ++y)
        if (std::memcmp (first.getLinePointer (y), second.getLinePointer (y), rowBytes) != 0)
            for (int x = 0; x < a.getWidth(); ++x)
                if (first.getPixelColour (x, y) != second.getPixelColour (x, y))
                    ++count;

    return count;
}

std::string at (float scale, Point offset)
{
    return "at scale " + std::to_string (scale) + ", offset " + offset.toString().toStdString();
}

/**
    Two identical widgets, each the only child of its own window probe with the program's
    look-and-feel: one paints through its cached layer as the window would, the other has its
    cache removed and paints the way the framework paints any component.
*/
template <typename Widget>
class CachedBesideUncached
{
public:
    template <typename... Channels>
    CachedBesideUncached (int width, int height, Channels... channels)
        : cached (channels...), uncached (channels...)
    {
        settings->applyToLookAndFeel (lookAndFeel);
        uncached.setCachedComponentImage (nullptr);

        // Placed at the largest offset and grown by 40 first, so that each probe has room for
        // every offset and size used here: a widget cut off by the window's edge is painted in part.
        for (auto* widget : { &cached, &uncached })
            widget->setBounds (3, 3, width + 40, height + 40);

        cachedWindow = std::make_unique<WindowPaintProbe> (cached);
        uncachedWindow = std::make_unique<WindowPaintProbe> (uncached);

        for (auto* window : { cachedWindow.get(), uncachedWindow.get() })
            window->setLookAndFeel (&lookAndFeel);

        changeBoth ([width, height] (Widget& widget) { widget.setSize (width, height); });
    }

    ~CachedBesideUncached()
    {
        for (auto* window : { cachedWindow.get(), uncachedWindow.get() })
            window->setLookAndFeel (nullptr);
    }

    template <typename Change>
    void changeBoth (Change change)
    {
        change (cached);
        change (uncached);
    }

    /** Pixels in which the cached widget's frame differs from the uncached one's, both at `offset`
        in their windows, at the display scale given. The cached widget paints two frames: the
        first may make its layer, the second copies it; the larger difference counts. */
    int difference (float scale, Point offset)
    {
        changeBoth ([offset] (Widget& widget) { widget.setTopLeftPosition (offset); });

        const auto expected = uncachedWindow->paintFrame (scale);
        const auto first = differingPixels (cachedWindow->paintFrame (scale), expected);
        const auto second = differingPixels (cachedWindow->paintFrame (scale), expected);
        return juce::jmax (first, second);
    }

    const std::shared_ptr<Settings> settings = Settings::getInstance();
    KRVLookAndFeel lookAndFeel;
    Widget cached;
    Widget uncached;
    std::unique_ptr<WindowPaintProbe> cachedWindow;
    std::unique_ptr<WindowPaintProbe> uncachedWindow;
};

class StaticLayerCacheOnDevice : public ConnectedMixerTest
{
protected:
    void SetUp() override
    {
        ConnectedMixerTest::SetUp();

        // Levels on both meters of the first strip and on the first input row.
        sim.KSIM_SetInputLevel (0, Hardware::ApplicationPlayback, 0, -600);
        sim.KSIM_SetInputLevel (0, Hardware::ApplicationPlayback, 1, -2400);
        sim.KSIM_SetInputLevel (0, Hardware::DeviceInput, 0, -1200);
        backend->refreshMeters();
    }

    /** The faders apart and Link on. */
    static void setUpStrip (CachedBesideUncached<ChannelComponent>& strips)
    {
        strips.changeBoth ([] (ChannelComponent& strip)
        {
            strip.leftSlider.setValue (-20.0, juce::dontSendNotification);
            strip.rightSlider.setValue (-45.0, juce::dontSendNotification);
            strip.linkButton.setToggleState (true, juce::dontSendNotification);
        });
    }
};
} // namespace

TEST_F (StaticLayerCacheOnDevice, StripPaintsAsWithoutTheCacheAtEveryScaleAndOffset)
{
    CachedBesideUncached<ChannelComponent> strips (200, 400, monitorL, monitorR);
    setUpStrip (strips);

    for (const auto scale : scales)
        for (const auto offset : offsets)
            EXPECT_EQ (strips.difference (scale, offset), 0) << at (scale, offset);
}

TEST_F (StaticLayerCacheOnDevice, InputRowPaintsAsWithoutTheCacheAtEveryScaleAndOffset)
{
    CachedBesideUncached<InputComponent> rows (300, 30, micIn1);

    for (const auto scale : scales)
        for (const auto offset : offsets)
            EXPECT_EQ (rows.difference (scale, offset), 0) << at (scale, offset);
}

TEST_F (StaticLayerCacheOnDevice, ResizedStripIsPaintedForItsNewSize)
{
    CachedBesideUncached<ChannelComponent> strips (120, 240, monitorL, monitorR);
    setUpStrip (strips);

    for (const auto scale : plainAndFractionalScales)
    {
        ASSERT_EQ (strips.difference (scale, { 1, 1 }), 0) << at (scale, { 1, 1 });

        // Wider and lower: the layer must be made for the new size, whose layout differs.
        strips.changeBoth ([] (ChannelComponent& strip) { strip.setSize (150, 230); });
        EXPECT_EQ (strips.difference (scale, { 1, 1 }), 0) << "grown " << at (scale, { 1, 1 });

        strips.changeBoth ([] (ChannelComponent& strip) { strip.setSize (120, 240); });
        EXPECT_EQ (strips.difference (scale, { 1, 1 }), 0) << "shrunk " << at (scale, { 1, 1 });
    }
}

TEST_F (StaticLayerCacheOnDevice, StripCutOffByItsWindowPaintsAsWithoutTheCache)
{
    // Where a parent cuts the strip off, the renderer's runs of pixels end; it rounds some of them
    // otherwise than in runs that go on, and it may not cover the last pixel wholly.
    CachedBesideUncached<ChannelComponent> strips (120, 240, monitorL, monitorR);
    setUpStrip (strips);
    strips.changeBoth ([] (ChannelComponent& strip) { strip.setSize (190, 300); });

    for (const auto scale : scales)
    {
        // Past the right and bottom edges, then out over the left and top ones.
        EXPECT_EQ (strips.difference (scale, { 1, 2 }), 0) << at (scale, { 1, 2 });
        EXPECT_EQ (strips.difference (scale, { -31, -21 }), 0) << at (scale, { -31, -21 });

        // The window grows: what it cut off before shows now.
        for (auto* window : { strips.cachedWindow.get(), strips.uncachedWindow.get() })
            window->setSize (250, 350);

        EXPECT_EQ (strips.difference (scale, { -31, -21 }), 0) << "uncovered " << at (scale, { -31, -21 });

        for (auto* window : { strips.cachedWindow.get(), strips.uncachedWindow.get() })
            window->setSize (163, 283);
    }
}

TEST_F (StaticLayerCacheOnDevice, StripCutThroughItsPicturesAndNamesPaintsAsWithoutTheCache)
{
    // Cuts down through the left fader's track and cap and across the names: where resampled
    // pictures and text run into a parent's edge.
    CachedBesideUncached<ChannelComponent> strips (190, 300, monitorL, monitorR);
    setUpStrip (strips);
    const std::vector<juce::Rectangle<int>> windows { { 42, 283 }, { 49, 290 }, { 53, 275 }, { 163, 287 } };

    for (const auto& window : windows)
    {
        for (auto* probe : { strips.cachedWindow.get(), strips.uncachedWindow.get() })
            probe->setSize (window.getWidth(), window.getHeight());

        for (const auto scale : scales)
            EXPECT_EQ (strips.difference (scale, { 1, 2 }), 0) << "window " << window.toString() << " " << at (scale, { 1, 2 });
    }
}

TEST_F (StaticLayerCacheOnDevice, RepaintOfTheWholeComponentPaintsTheLayerAnew)
{
    CachedBesideUncached<ChannelComponent> strips (120, 240, monitorL, monitorR);
    setUpStrip (strips);
    CachedBesideUncached<InputComponent> rows (200, 30, micIn1);
    const auto soot = rows.settings->soot;

    for (const auto scale : plainAndFractionalScales)
    {
        ASSERT_EQ (strips.difference (scale, { 2, 1 }), 0) << at (scale, { 2, 1 });
        ASSERT_EQ (rows.difference (scale, { 2, 1 }), 0) << at (scale, { 2, 1 });

        // Changes that only the owner's own repaint of its whole area announces: the fader band
        // (the divider and the bracket move) and the row's fill colour.
        strips.changeBoth ([] (ChannelComponent& strip)
        {
            strip.faderArea = strip.faderArea.reduced (12, 0);
            strip.repaint();
        });
        EXPECT_EQ (strips.difference (scale, { 2, 1 }), 0) << at (scale, { 2, 1 });
        strips.changeBoth ([] (ChannelComponent& strip) { strip.resized(); strip.repaint(); });

        rows.settings->soot = juce::Colour (0xFF203040);
        rows.changeBoth ([] (InputComponent& row) { row.repaint(); });
        EXPECT_EQ (rows.difference (scale, { 2, 1 }), 0) << at (scale, { 2, 1 });
        rows.settings->soot = soot;
        rows.changeBoth ([] (InputComponent& row) { row.repaint(); });
    }
}

TEST_F (StaticLayerCacheOnDevice, ChangedChannelNamesShowWithoutARepaint)
{
    CachedBesideUncached<ChannelComponent> strips (120, 240, monitorL, monitorR);
    CachedBesideUncached<InputComponent> rows (200, 30, micIn1);
    auto& names = strips.settings->channelNames;
    const auto outputNames = names[Hardware::DeviceOutput];
    const auto inputNames = names[Hardware::DeviceInput];

    for (const auto scale : plainAndFractionalScales)
    {
        ASSERT_EQ (strips.difference (scale, { 1, 2 }), 0) << at (scale, { 1, 2 });
        ASSERT_EQ (rows.difference (scale, { 1, 2 }), 0) << at (scale, { 1, 2 });

        // As loading another device's configuration replaces them; nothing asks for a repaint.
        names[Hardware::DeviceOutput] = juce::StringArray { "Left Speaker", "Right Speaker" };
        names[Hardware::DeviceInput] = juce::StringArray { "Vocal Mic" };
        EXPECT_EQ (strips.difference (scale, { 1, 2 }), 0) << at (scale, { 1, 2 });
        EXPECT_EQ (rows.difference (scale, { 1, 2 }), 0) << at (scale, { 1, 2 });

        // The right channel's name alone.
        names[Hardware::DeviceOutput] = juce::StringArray { "Left Speaker", "Subwoofer" };
        EXPECT_EQ (strips.difference (scale, { 1, 2 }), 0) << "right name " << at (scale, { 1, 2 });

        names[Hardware::DeviceOutput] = outputNames;
        names[Hardware::DeviceInput] = inputNames;
    }
}

TEST_F (StaticLayerCacheOnDevice, StripShowsTheBackendGoneAndTheMainBackgroundChosen)
{
    CachedBesideUncached<ChannelComponent> strips (120, 240, lineOut3, lineOut4);

    for (const auto scale : plainAndFractionalScales)
    {
        ASSERT_EQ (strips.difference (scale, { 3, 3 }), 0) << at (scale, { 3, 3 });

        strips.changeBoth ([] (ChannelComponent& strip) { strip.isMainOutput = ! strip.isMainOutput; });
        EXPECT_EQ (strips.difference (scale, { 3, 3 }), 0) << at (scale, { 3, 3 });
    }

    EXPECT_EQ (strips.difference (1.0f, { 0, 0 }), 0);
    HardwareBackend::deleteInstance();
    ASSERT_EQ (HardwareBackend::getInstance(), nullptr);

    // Without a repaint: the layer shows the purple fill at once.
    EXPECT_EQ (strips.cachedWindow->paintFrame().getPixelAt (15, 8).getARGB(), 0xFF800080u);

    for (const auto scale : plainAndFractionalScales)
        EXPECT_EQ (strips.difference (scale, { 3, 3 }), 0) << at (scale, { 3, 3 });
}

namespace
{
int layerPaints (juce::Component& owner)
{
    const auto* cache = dynamic_cast<StaticLayerCache*> (owner.getCachedComponentImage());
    return cache != nullptr ? cache->getLayerPaintCount() : -1;
}
} // namespace

TEST_F (StaticLayerCacheOnDevice, SteadyTicksCopyTheLayerWithoutPaintingItAgain)
{
    CachedBesideUncached<ChannelComponent> strips (200, 400, monitorL, monitorR);
    setUpStrip (strips);
    CachedBesideUncached<InputComponent> rows (300, 30, micIn1);

    // Whole, and cut off by the window's edges.
    const std::vector<Point> places { { 3, 3 }, { -31, -21 } };

    for (const auto scale : scales)
    {
        for (const auto place : places)
        {
            ASSERT_EQ (strips.difference (scale, place), 0) << at (scale, place);
            ASSERT_EQ (rows.difference (scale, place), 0) << at (scale, place);
            const auto stripPaints = layerPaints (strips.cached);
            const auto rowPaints = layerPaints (rows.cached);
            ASSERT_GT (stripPaints, 0);
            ASSERT_GT (rowPaints, 0);

            // Ticks: new levels, and the window around the strip and the row repainted, as the
            // meter timer has their containers repainted.
            for (int tick = 0; tick < 4; ++tick)
            {
                sim.KSIM_SetInputLevel (0, Hardware::ApplicationPlayback, 0, -300 * tick);
                sim.KSIM_SetInputLevel (0, Hardware::DeviceInput, 0, -500 * tick);
                backend->refreshMeters();
                strips.cachedWindow->repaint();
                rows.cachedWindow->repaint();
                strips.cachedWindow->paintFrame (scale);
                rows.cachedWindow->paintFrame (scale);
            }

            EXPECT_EQ (layerPaints (strips.cached), stripPaints) << at (scale, place);
            EXPECT_EQ (layerPaints (rows.cached), rowPaints) << at (scale, place);
            EXPECT_EQ (strips.difference (scale, place), 0) << "after the ticks " << at (scale, place);
            EXPECT_EQ (rows.difference (scale, place), 0) << "after the ticks " << at (scale, place);
        }
    }
}
