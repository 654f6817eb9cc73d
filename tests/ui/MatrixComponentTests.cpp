#include "ui/MatrixComponent.h"

#include "backend/Settings.h"

#include "ConnectedMixerTest.h"
#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

using namespace WidgetTestSupport;

namespace
{
const Hardware::Channel playback2 { Hardware::ApplicationPlayback, 2 };
const Hardware::Channel output2 { Hardware::DeviceOutput, 2 };
const Hardware::Channel output3 { Hardware::DeviceOutput, 3 };

const auto alt = juce::ModifierKeys (juce::ModifierKeys::altModifier);

/** One drag event of `pixelsUp` pixels after a mouse-down at y 20. */
int valueAfterDrag (MatrixComponent& cell, float pixelsUp)
{
    cell.mouseDown (mouseEvent (cell, 20.0f, {}, false, 20.0f));
    cell.mouseDrag (mouseEvent (cell, 20.0f - pixelsUp, {}, true, 20.0f));
    return cell.value;
}

int valueAfterTyping (MatrixComponent& cell, const juce::String& text)
{
    cell.mouseDoubleClick (mouseEvent (cell, 10.0f));
    EXPECT_TRUE (cell.editor.isVisible());
    cell.editor.setText (text, false);
    cell.editor.keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    pumpMessages();   // the editor delivers its Return and Escape keys asynchronously
    EXPECT_FALSE (cell.editor.isVisible());
    return cell.value;
}

void altClick (MatrixComponent& cell)
{
    cell.mouseDown (mouseEvent (cell, 10.0f, alt, false, 10.0f));
    cell.mouseUp (mouseEvent (cell, 10.0f, alt, false, 10.0f));
}

juce::Colour pixel (MatrixComponent& cell, int x, int y)
{
    return snapshot (cell).getPixelAt (x, y);
}

/** True when every pixel inside the one-pixel frame has the given colour. */
bool innerIsPlain (MatrixComponent& cell, juce::Colour colour)
{
    const auto image = snapshot (cell);
    for (int y = 1; y < image.getHeight() - 1; ++y)
        for (int x = 1; x < image.getWidth() - 1; ++x)
            if (image.getPixelAt (x, y).getARGB() != colour.getARGB())
                return false;
    return true;
}
} // namespace

TEST (MatrixComponent, EachDragEventMovesByRoundedThirds)
{
    MatrixComponent cell (playback2, output2);
    cell.setBounds (0, 0, 60, 40);
    cell.setValue (50);

    EXPECT_EQ (valueAfterDrag (cell, 4.5f), 52);   // 1.5 steps round to 2
    EXPECT_EQ (valueAfterDrag (cell, 1.5f), 52);   // 0.5 rounds to 0
    EXPECT_EQ (valueAfterDrag (cell, 7.5f), 54);   // 2.5 rounds to 2
    EXPECT_EQ (valueAfterDrag (cell, -9.0f), 51);  // downward lowers

    // The reference point moves with every event: many small steps never add up.
    cell.mouseDown (mouseEvent (cell, 20.0f, {}, false, 20.0f));
    for (int i = 1; i <= 10; ++i)
        cell.mouseDrag (mouseEvent (cell, 20.0f - 1.4f * static_cast<float> (i), {}, true, 20.0f));
    EXPECT_EQ (cell.value, 51);
}

TEST (MatrixComponent, DragStopsAtTheBounds)
{
    MatrixComponent cell (playback2, output2);
    cell.setBounds (0, 0, 60, 40);
    cell.setValue (99);

    EXPECT_EQ (valueAfterDrag (cell, 30.0f), 100);
    EXPECT_EQ (valueAfterDrag (cell, -400.0f), 0);
}

TEST (MatrixComponent, TypedEntryIsParsedAsALeadingIntegerAndClamped)
{
    MatrixComponent cell (playback2, output2);
    cell.setBounds (0, 0, 60, 40);

    EXPECT_EQ (valueAfterTyping (cell, "150"), 100);
    EXPECT_EQ (valueAfterTyping (cell, "-5"), 0);
    EXPECT_EQ (valueAfterTyping (cell, "40"), 40);
    EXPECT_EQ (valueAfterTyping (cell, "abc"), 0);
    EXPECT_EQ (valueAfterTyping (cell, "12.7"), 12);
    EXPECT_EQ (valueAfterTyping (cell, "  33 dB"), 33);
    EXPECT_EQ (valueAfterTyping (cell, "99999999999999999999"), 100);
}

TEST (MatrixComponent, EscapeAndFocusLossHideTheEditorAndKeepTheValue)
{
    MatrixComponent cell (playback2, output2);
    cell.setBounds (0, 0, 60, 40);
    cell.setValue (30);

    EXPECT_FALSE (cell.editor.isVisible());
    EXPECT_EQ (cell.editor.getBounds(), cell.getLocalBounds());

    cell.mouseDoubleClick (mouseEvent (cell, 10.0f));
    cell.editor.setText ("80", false);
    cell.editor.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    pumpMessages();
    EXPECT_FALSE (cell.editor.isVisible());
    EXPECT_EQ (cell.value, 30);

    cell.mouseDoubleClick (mouseEvent (cell, 10.0f));
    EXPECT_EQ (cell.editor.getText(), "80");   // the last text typed stays
    cell.editor.onFocusLost();
    EXPECT_FALSE (cell.editor.isVisible());
    EXPECT_EQ (cell.value, 30);
}

TEST (MatrixComponent, AltClickRestoresTheDefaultRoute)
{
    MatrixComponent matching (playback2, output2);
    matching.setValue (50);
    altClick (matching);
    EXPECT_EQ (matching.value, 100);

    MatrixComponent other (playback2, output3);
    other.setValue (50);
    altClick (other);
    EXPECT_EQ (other.value, 0);

    MatrixComponent inputToRecording ({ Hardware::DeviceInput, 1 }, { Hardware::ApplicationRecording, 1 });
    altClick (inputToRecording);
    EXPECT_EQ (inputToRecording.value, 100);

    MatrixComponent virtualPair ({ Hardware::VirtualPlayback, 0 }, { Hardware::VirtualRecording, 0 });
    altClick (virtualPair);
    EXPECT_EQ (virtualPair.value, 100);

    MatrixComponent crossedKinds ({ Hardware::DeviceInput, 0 }, { Hardware::DeviceOutput, 0 });
    crossedKinds.setValue (50);
    altClick (crossedKinds);
    EXPECT_EQ (crossedKinds.value, 0);

    // Without Alt a click changes nothing.
    MatrixComponent plain (playback2, output2);
    plain.setValue (50);
    plain.mouseDown (mouseEvent (plain, 10.0f, {}, false, 10.0f));
    plain.mouseUp (mouseEvent (plain, 10.0f, {}, false, 10.0f));
    EXPECT_EQ (plain.value, 50);
}

TEST (MatrixComponent, AltWithADragAppliesTheDragOnly)
{
    MatrixComponent cell (playback2, output2);
    cell.setValue (50);

    cell.mouseDown (mouseEvent (cell, 20.0f, alt, false, 20.0f));
    cell.mouseDrag (mouseEvent (cell, 14.0f, alt, true, 20.0f));
    cell.mouseUp (mouseEvent (cell, 14.0f, alt, true, 20.0f));
    EXPECT_EQ (cell.value, 52);
}

TEST (MatrixComponent, PaintsItsState)
{
    const auto settings = Settings::getInstance();
    MatrixComponent cell (playback2, output2);
    cell.setBounds (0, 0, 80, 40);

    cell.setValue (100);
    EXPECT_TRUE (innerIsPlain (cell, settings->green));

    cell.setValue (0);
    EXPECT_TRUE (innerIsPlain (cell, settings->soot));

    cell.oddColumn = true;
    EXPECT_TRUE (innerIsPlain (cell, settings->charcoal));

    cell.setValue (45);
    EXPECT_EQ (pixel (cell, 2, 2), settings->sand);
    EXPECT_FALSE (innerIsPlain (cell, settings->sand));   // the number is drawn

    // The one-pixel black frame, whatever the state.
    EXPECT_EQ (pixel (cell, 0, 0).getARGB(), 0xFF000000u);
    EXPECT_EQ (pixel (cell, 79, 20).getARGB(), 0xFF000000u);
    EXPECT_EQ (pixel (cell, 40, 39).getARGB(), 0xFF000000u);
    EXPECT_EQ (pixel (cell, 1, 1), settings->sand);
}

TEST (MatrixComponent, TooltipNamesBothChannels)
{
    const auto settings = Settings::getInstance();
    settings->channelNames[Hardware::DeviceInput] = juce::StringArray { "Mic/Line/Inst In 1" };
    settings->channelNames[Hardware::ApplicationRecording] = juce::StringArray { "SPDIF Out 1" };

    MatrixComponent cell ({ Hardware::DeviceInput, 0 }, { Hardware::ApplicationRecording, 0 });
    EXPECT_EQ (cell.getTooltip(), "Mic/Line/Inst In 1 to SPDIF Out 1");

    MatrixComponent unnamed ({ Hardware::VirtualPlayback, 1 }, { Hardware::VirtualRecording, 0 });
    EXPECT_EQ (unnamed.getTooltip(), "Unnamed 1 to Unnamed 0");
}

namespace
{
// Property 200 with one entry: application playback 2 (code 0) to device output 2 (code 1), then the gain.
const std::string crosspointPlayback2ToOutput2 = "4D000000C800000000020102";

using MatrixComponentOnDevice = ConnectedMixerTest;
} // namespace

TEST_F (MatrixComponentOnDevice, StartsFromTheDeviceGainAndSendsNothing)
{
    MatrixComponent unity (playback2, output2);   // factory routing: playback i to output i at unity
    MatrixComponent silent (playback2, output3);
    EXPECT_EQ (unity.value, 100);
    EXPECT_EQ (silent.value, 0);

    const auto valueForGain = [this] (float gain)
    {
        backend->setCrosspointGain (playback2, output3, gain);
        sim.KSIM_ClearJournal();
        return MatrixComponent (playback2, output3).value;
    };

    EXPECT_EQ (valueForGain (0.01f), 50);
    EXPECT_EQ (valueForGain (0.5f), 92);     // -6.02 dB, 92.47 %
    EXPECT_EQ (valueForGain (2.0f), 108);    // above 0 dB: shown unclamped until changed
    EXPECT_EQ (valueForGain (0.00001f), 0);
    EXPECT_TRUE (sets().empty());
}

TEST_F (MatrixComponentOnDevice, SendsEveryChangeAtOnce)
{
    MatrixComponent cell (playback2, output2);
    cell.setBounds (0, 0, 60, 40);

    cell.setValue (50);
    cell.setValue (100);
    cell.setValue (0);
    cell.setValue (0);   // unchanged values are sent too
    EXPECT_EQ (sets(), (std::vector<std::string> { crosspointPlayback2ToOutput2 + "5C8F0200",     // 0.01, -40 dB
                                                   crosspointPlayback2ToOutput2 + "00000001",     // 1.0
                                                   crosspointPlayback2ToOutput2 + "00000000",
                                                   crosspointPlayback2ToOutput2 + "00000000" }));

    std::int32_t stored = -1;
    cell.setValue (50);
    ASSERT_EQ (sim.KSIM_GetCrosspointGain (0, Hardware::ApplicationPlayback, 2, Hardware::DeviceOutput, 2, &stored), 0u);
    EXPECT_EQ (stored, 167772);
}

TEST_F (MatrixComponentOnDevice, MouseAndTypedChangesReachTheDevice)
{
    MatrixComponent cell (playback2, output2);
    cell.setBounds (0, 0, 60, 40);

    valueAfterDrag (cell, 30.0f);         // from 100: stays 100, sent again
    valueAfterDrag (cell, -150.0f);       // -50 steps
    altClick (cell);                      // back to 100
    valueAfterTyping (cell, "50");

    EXPECT_EQ (sets(), (std::vector<std::string> { crosspointPlayback2ToOutput2 + "00000001",
                                                   crosspointPlayback2ToOutput2 + "5C8F0200",
                                                   crosspointPlayback2ToOutput2 + "00000001",
                                                   crosspointPlayback2ToOutput2 + "5C8F0200" }));
}

TEST (MatrixComponentWithoutBackend, StillChangesItsValue)
{
    shutDownBackend();
    MatrixComponent cell (playback2, output2);
    cell.setBounds (0, 0, 60, 40);
    EXPECT_EQ (cell.value, 0);

    EXPECT_EQ (valueAfterDrag (cell, 9.0f), 3);
    altClick (cell);
    EXPECT_EQ (cell.value, 100);
}

TEST (MatrixComponent, MakesItsEditorOnTheFirstDoubleClickAndKeepsIt)
{
    MatrixComponent cell (playback2, output2);
    cell.setBounds (0, 0, 60, 40);

    // A matrix has a cell for every crosspoint: none carries an editor before it is needed.
    EXPECT_EQ (cell.getNumChildComponents(), 0);

    cell.mouseDoubleClick (mouseEvent (cell, 10.0f));
    ASSERT_EQ (cell.getNumChildComponents(), 1);
    auto* editor = dynamic_cast<juce::TextEditor*> (cell.getChildComponent (0));
    ASSERT_NE (editor, nullptr);
    EXPECT_TRUE (editor->isVisible());
    EXPECT_EQ (editor->getBounds(), cell.getLocalBounds());
    EXPECT_EQ (editor->getJustificationType().getFlags(), juce::Justification::centred);
    EXPECT_EQ (editor->getFont().getHeight(), 20.0f);
    EXPECT_EQ (editor->getFont().getTypefaceName(), Settings::getInstance()->regularFont.getTypefaceName());
    EXPECT_TRUE (editor->getWantsKeyboardFocus());

    cell.setBounds (0, 0, 80, 30);
    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 80, 30));

    editor->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    pumpMessages();
    EXPECT_FALSE (editor->isVisible());

    cell.mouseDoubleClick (mouseEvent (cell, 10.0f));
    EXPECT_EQ (cell.getNumChildComponents(), 1);
    EXPECT_EQ (cell.getChildComponent (0), editor);
    EXPECT_TRUE (editor->isVisible());
}
