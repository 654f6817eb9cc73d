#include "ui/MacroSliderComponent.h"

#include "backend/HardwareBackend.h"
#include "support/RecordingGraphicsContext.h"
#include "support/SimulatorHarness.h"

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

juce::MouseEvent mouseAt (juce::Component& component, float y, juce::Point<float> downAt)
{
    const auto now = juce::Time::getCurrentTime();
    return { juce::Desktop::getInstance().getMainMouseSource(), { 20.0f, y },
             juce::ModifierKeys::leftButtonModifier, juce::MouseInputSource::defaultPressure,
             0.0f, 0.0f, 0.0f, 0.0f, &component, &component, now, downAt, now, 1, y != downAt.y };
}

// Nodes on the simulated TROVIK: application playback 0 feeds device output 0 at unity (factory
// routing); the other two crosspoints start at 0.
const Hardware::MacroNode unityNode { 0, 0, 5, 0 };
const Hardware::MacroNode silentNode { 0, 1, 5, 0 };
const Hardware::MacroNode recordingNode { 1, 2, 4, 3 };

// The crosspoint request for the three nodes in this order: "4D000000 C8000000", then each node's
// kind codes and index bytes with the little-endian 8.24 gain.
std::string crosspointRequest (const std::string& gainHex)
{
    return "4D000000C8000000" "00000100" + gainHex + "00010100" + gainHex + "01020003" + gainHex;
}

const std::vector<Hardware::MacroNode> threeNodes { unityNode, silentNode, recordingNode };

// The backend is made at most once per process (each test runs in a process of its own), after the
// simulator is set up, and deleted at the end of the test.
class MacroSliderOnDevice : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (sim.isReady());
        backend = HardwareBackend::getInstance();
        ASSERT_NE (backend, nullptr);
        backend->selectDevice ({});
        ASSERT_TRUE (backend->isConnected());
        sim.KSIM_ClearJournal();
    }

    void TearDown() override { HardwareBackend::deleteInstance(); }

    void setStoredGain (const Hardware::MacroNode& node, float gain)
    {
        backend->setCrosspointGain ({ (Hardware::ChannelKind) node.inputKind, node.inputIndex },
                                    { (Hardware::ChannelKind) node.outputKind, node.outputIndex }, gain);
        sim.KSIM_ClearJournal();
    }

    std::int32_t storedGain (const Hardware::MacroNode& node) const
    {
        std::int32_t gain = -1;
        sim.KSIM_GetCrosspointGain (0, node.inputKind, (std::uint32_t) node.inputIndex,
                                    node.outputKind, (std::uint32_t) node.outputIndex, &gain);
        return gain;
    }

    std::vector<std::string> sent() const
    {
        std::vector<std::string> result;

        for (const auto& entry : sim.journal())
            result.push_back (entry.entryPoint.substr (0, 3) + " " + entry.hex());

        return result;
    }

    double startValueFor (float gain)
    {
        setStoredGain (silentNode, gain);
        MacroSliderComponent widget (makeMacro ("Monitor", { silentNode, unityNode }));
        return sliderOf (widget).getValue();
    }

    SimulatorHarness sim;
    HardwareBackend* backend = nullptr;
};

using Strings = std::vector<std::string>;
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

//==============================================================================
TEST_F (MacroSliderOnDevice, StartsAtTheFirstNodesGain)
{
    EXPECT_EQ (startValueFor (1.0f), 100.0);
    EXPECT_EQ (startValueFor (0.01f), 50.0);
    EXPECT_EQ (startValueFor (0.0001f), 0.0);
    EXPECT_EQ (startValueFor (0.00001f), 0.0);
    EXPECT_EQ (startValueFor (0.0f), 0.0);
    EXPECT_EQ (startValueFor (0.5f), 92.0); // -6.02 dB is 92.47 %, kept as a whole per cent
}

TEST_F (MacroSliderOnDevice, BuildingReadsTheFirstNodeAndSendsNothing)
{
    MacroSliderComponent widget (makeMacro ("Playback", threeNodes));
    EXPECT_EQ (sliderOf (widget).getValue(), 100.0);
    EXPECT_EQ (sent(), (Strings { "Get 4D000000C80000000000010000000000" }));

    widget.setSize (120, 400);
    EXPECT_EQ (sent().size(), 1u);

    sim.KSIM_ClearJournal();
    MacroSliderComponent empty (makeMacro ("Nothing"));
    EXPECT_EQ (sliderOf (empty).getValue(), 0.0);
    EXPECT_TRUE (sent().empty());
}

TEST_F (MacroSliderOnDevice, EveryMoveSendsOneRequestForAllNodes)
{
    MacroSliderComponent widget (makeMacro ("Playback", threeNodes));
    auto& slider = sliderOf (widget);
    sim.KSIM_ClearJournal();

    slider.setValue (0.0, juce::sendNotificationSync);
    EXPECT_EQ (sent(), (Strings { "Set " + crosspointRequest ("00000000") }));

    sim.KSIM_ClearJournal();
    slider.setValue (100.0, juce::sendNotificationSync);
    EXPECT_EQ (sent(), (Strings { "Set " + crosspointRequest ("00000001") }));

    // 50 % is -40 dB, gain 0.01: 167772 (0x028F5C) on the wire.
    sim.KSIM_ClearJournal();
    slider.setValue (50.0, juce::sendNotificationSync);
    EXPECT_EQ (sent(), (Strings { "Set " + crosspointRequest ("5C8F0200") }));

    for (const auto& node : { unityNode, silentNode, recordingNode })
        EXPECT_EQ (storedGain (node), 167772);
    EXPECT_EQ (slider.getValue(), 50.0);
}

TEST_F (MacroSliderOnDevice, FirstMoveSetsNodesWithDifferentGainsAlike)
{
    setStoredGain (recordingNode, 0.25f);
    MacroSliderComponent widget (makeMacro ("Mix", { silentNode, unityNode, recordingNode }));
    auto& slider = sliderOf (widget);
    EXPECT_EQ (slider.getValue(), 0.0); // only the first node counts

    slider.setValue (100.0, juce::sendNotificationSync);
    for (const auto& node : { unityNode, silentNode, recordingNode })
        EXPECT_EQ (storedGain (node), 16777216);
}

TEST_F (MacroSliderOnDevice, DraggingSendsEachNewValue)
{
    setStoredGain (unityNode, 0.0f);
    MacroSliderComponent widget (makeMacro ("Playback", threeNodes));
    widget.setSize (120, 400);
    auto& slider = sliderOf (widget);
    ASSERT_EQ (slider.getValue(), 0.0);
    sim.KSIM_ClearJournal();

    // Press above the track (the top), drag to its middle and beyond its bottom, let go.
    const juce::Point<float> downAt { 20.0f, 0.0f };
    slider.mouseDown (mouseAt (slider, 0.0f, downAt));
    EXPECT_EQ (slider.getValue(), 100.0);
    slider.mouseDrag (mouseAt (slider, (float) slider.getHeight() * 0.5f, downAt));
    EXPECT_EQ (slider.getValue(), 50.0);
    slider.mouseDrag (mouseAt (slider, (float) slider.getHeight() + 50.0f, downAt));
    EXPECT_EQ (slider.getValue(), 0.0);
    slider.mouseUp (mouseAt (slider, (float) slider.getHeight() + 50.0f, downAt));

    EXPECT_EQ (sent(), (Strings { "Set " + crosspointRequest ("00000001"),
                                  "Set " + crosspointRequest ("5C8F0200"),
                                  "Set " + crosspointRequest ("00000000") }));
}

TEST_F (MacroSliderOnDevice, MacroWithoutNodesSendsAnEmptyRequest)
{
    MacroSliderComponent widget (makeMacro ("Nothing"));
    sliderOf (widget).setValue (30.0, juce::sendNotificationSync);
    EXPECT_EQ (sent(), (Strings { "Set 4D000000C8000000" }));
}
