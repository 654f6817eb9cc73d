#include "backend/DeviceInfo.h"
#include "backend/HardwareBackend.h"
#include "backend/Settings.h"
#include "support/platform/TestEnvironment.h"
#include "support/SimulatorHarness.h"
#include "ui/AboutDialogue.h"
#include "ui/UiTestEvents.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace
{
/** Runs of a text: pieces of one style, each ending at a line break or at the end of its style. */
int countRuns (const juce::AttributedString& text)
{
    int runs = 0;

    for (int i = 0; i < text.getNumAttributes(); ++i)
    {
        const auto range = text.getAttribute (i).range;
        const auto piece = text.getText().substring (range.getStart(), range.getEnd());
        runs += piece.retainCharacters ("\n").length() + (piece.endsWithChar ('\n') ? 0 : 1);
    }

    return runs;
}

DeviceInfo sulka()
{
    return { "Kelvaro", "VANTIQ SULKA", "SULKA-0001" };
}

struct CloseCounter
{
    explicit CloseCounter (AboutDialogue& dialogue)
    {
        dialogue.onClose = [this] { ++closes; };
    }

    int closes = 0;
};
} // namespace

TEST (AboutDialoguePlacement, WideWindowFillsTheHeightAndCentresHorizontally)
{
    AboutDialogue dialogue;
    dialogue.setSize (1000, 406);
    EXPECT_EQ (dialogue.imageArea, juce::Rectangle<float> (20.0f, 0.0f, 960.0f, 406.0f));

    dialogue.setSize (2000, 812);
    EXPECT_EQ (dialogue.imageArea, juce::Rectangle<float> (40.0f, 0.0f, 1920.0f, 812.0f));
}

TEST (AboutDialoguePlacement, TallWindowFillsTheWidthAndCentresVertically)
{
    AboutDialogue dialogue;
    dialogue.setSize (480, 812);
    EXPECT_EQ (dialogue.imageArea, juce::Rectangle<float> (0.0f, 304.5f, 480.0f, 203.0f));

    dialogue.setSize (960, 1000);
    EXPECT_EQ (dialogue.imageArea, juce::Rectangle<float> (0.0f, 297.0f, 960.0f, 406.0f));
}

TEST (AboutDialoguePlacement, ExactPictureProportionsGiveTheWholeDialogue)
{
    EXPECT_EQ (AboutDialogue::getImageArea (1920.0f, 812.0f), juce::Rectangle<float> (0.0f, 0.0f, 1920.0f, 812.0f));
}

TEST (AboutDialoguePlacement, ImageAreaIsEmptyUntilLaidOut)
{
    AboutDialogue dialogue;
    EXPECT_TRUE (dialogue.imageArea.isEmpty());
    EXPECT_TRUE (dialogue.getWantsKeyboardFocus());
    EXPECT_EQ (dialogue.image.getWidth(), 1920);
    EXPECT_EQ (dialogue.image.getHeight(), 812);
}

TEST (AboutDialogueText, TextTopStartsAtSeventyPerCentUnlessTheTallestColumnWouldReachTheEdge)
{
    const juce::Rectangle<float> picture (0.0f, 100.0f, 1000.0f, 400.0f);

    // Low columns start at 100 + 0.7 * 400; a tall one rises to end at 500 - 0.05 * 400.
    EXPECT_FLOAT_EQ (AboutDialogue::getTextTop (picture, 50.0f), 380.0f);
    EXPECT_FLOAT_EQ (AboutDialogue::getTextTop (picture, 150.0f), 330.0f);
}

TEST (AboutDialogueText, BuildColumnWithAnOpenInterfaceHasEightRuns)
{
    const auto settings = Settings::getInstance();
    const auto device = sulka();
    const auto text = AboutDialogue::makeBuildColumn (*settings, &device);

    EXPECT_EQ (text.getText(), "Build Version\nDate: Jul 12 2024\nVersion: 1.0.4\n\nDevice\nKelvaro\nVANTIQ SULKA\nSULKA-0001");
    EXPECT_EQ (countRuns (text), 8);
    EXPECT_EQ (text.getJustification(), juce::Justification (juce::Justification::topLeft));
    EXPECT_EQ (text.getWordWrap(), juce::AttributedString::byWord);

    // The framework joins neighbouring runs of one style: heading, body, gap, heading, body.
    ASSERT_EQ (text.getNumAttributes(), 5);
    const auto heading = settings->boldFont.withHeight (24.0f);
    const auto body = settings->regularFont.withHeight (20.0f);

    EXPECT_EQ (text.getAttribute (0).font, heading);
    EXPECT_EQ (text.getAttribute (0).colour, settings->coral);
    EXPECT_EQ (text.getAttribute (1).font, body);
    EXPECT_EQ (text.getAttribute (1).colour, settings->lightGrey);
    EXPECT_EQ (text.getAttribute (2).range, juce::Range<int> (47, 48));
    EXPECT_EQ (text.getAttribute (2).font, settings->regularFont.withHeight (10.0f));
    EXPECT_EQ (text.getAttribute (3).font, heading);
    EXPECT_EQ (text.getAttribute (4).font, body);
}

TEST (AboutDialogueText, BuildColumnWithoutAnInterfaceHasThreeRuns)
{
    const auto settings = Settings::getInstance();
    const auto text = AboutDialogue::makeBuildColumn (*settings, nullptr);

    EXPECT_EQ (text.getText(), "Build Version\nDate: Jul 12 2024\nVersion: 1.0.4\n");
    EXPECT_EQ (countRuns (text), 3);
    EXPECT_EQ (text.getNumAttributes(), 2);
}

// The backend is made once per process; ctest runs each test in a process of its own.
TEST (AboutDialogueText, DeviceBlockShowsOnlyWhileAnInterfaceIsOpen)
{
    win::setEnvironmentVariable ("KELVARO_SIM_DEVICES", "Sulka");
    SimulatorHarness sim;
    win::setEnvironmentVariable ("KELVARO_SIM_DEVICES", nullptr);
    ASSERT_TRUE (sim.isReady());

    const auto settings = Settings::getInstance();
    auto* backend = HardwareBackend::getInstance();
    ASSERT_NE (backend, nullptr);
    EXPECT_EQ (countRuns (AboutDialogue::makeBuildColumn (*settings)), 3);

    backend->selectDevice ({});
    ASSERT_TRUE (backend->isConnected());
    const auto open = AboutDialogue::makeBuildColumn (*settings);
    EXPECT_EQ (countRuns (open), 8);
    EXPECT_TRUE (open.getText().endsWith ("\n\nDevice\nKelvaro\nVANTIQ SULKA\nSULKA-0001")) << open.getText();

    // After shut-down there is no backend and so no device block.
    HardwareBackend::deleteInstance();
    EXPECT_EQ (countRuns (AboutDialogue::makeBuildColumn (*settings)), 3);
}

TEST (AboutDialogueText, SystemAndTeamColumns)
{
    const auto settings = Settings::getInstance();

    const auto system = AboutDialogue::makeSystemColumn (*settings);
    EXPECT_TRUE (system.getText().startsWith ("System\n" + juce::SystemStats::getOperatingSystemName() + "\n"));
    EXPECT_TRUE (system.getText().endsWith (juce::String (juce::SystemStats::getNumCpus()) + " cores\n"
                                            + juce::String (juce::SystemStats::getMemorySizeInMegabytes()) + " MB"));

    const auto team = AboutDialogue::makeTeamColumn (*settings);
    juce::StringArray lines;
    lines.addLines (team.getText());
    ASSERT_EQ (lines.size(), 6);
    EXPECT_EQ (lines[0], "Development Team");
    EXPECT_FALSE (team.getText().endsWithChar ('\n'));

    for (int i = 1; i < lines.size(); ++i)
        EXPECT_TRUE (lines[i].isNotEmpty());
}

TEST (AboutDialogueKeys, EscapeReturnAndSpaceCloseWithOrWithoutModifiers)
{
    AboutDialogue dialogue;
    CloseCounter counter (dialogue);

    const int codes[] = { juce::KeyPress::escapeKey, juce::KeyPress::returnKey, juce::KeyPress::spaceKey };
    const juce::ModifierKeys modifiers[] = { {}, juce::ModifierKeys::shiftModifier, juce::ModifierKeys::ctrlModifier,
                                             juce::ModifierKeys::altModifier };
    int expected = 0;

    for (const auto code : codes)
    {
        for (const auto& mods : modifiers)
        {
            EXPECT_TRUE (dialogue.keyPressed (juce::KeyPress (code, mods, 0))) << code;
            EXPECT_EQ (counter.closes, ++expected);
        }
    }
}

TEST (AboutDialogueKeys, OtherKeysAreLeftToTheParent)
{
    AboutDialogue dialogue;
    CloseCounter counter (dialogue);

    EXPECT_FALSE (dialogue.keyPressed (juce::KeyPress ('a')));
    EXPECT_FALSE (dialogue.keyPressed (juce::KeyPress ('?', juce::ModifierKeys::shiftModifier, '?')));
    EXPECT_FALSE (dialogue.keyPressed (juce::KeyPress ('r', juce::ModifierKeys::ctrlModifier, 0)));
    EXPECT_FALSE (dialogue.keyPressed (juce::KeyPress (juce::KeyPress::tabKey)));
    EXPECT_EQ (counter.closes, 0);

    // Without a close handler even the closing keys are not taken.
    dialogue.onClose = nullptr;
    EXPECT_FALSE (dialogue.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
}

TEST (AboutDialogueMouse, AClickClosesButADragDoesNot)
{
    AboutDialogue dialogue;
    dialogue.setSize (800, 550);

    // Without a handler nothing happens.
    dialogue.mouseUp (UiTestEvents::mouseUpAt (dialogue, { 400.0f, 275.0f }, false));

    CloseCounter counter (dialogue);
    dialogue.mouseUp (UiTestEvents::mouseUpAt (dialogue, { 400.0f, 275.0f }, true));
    EXPECT_EQ (counter.closes, 0);

    dialogue.mouseUp (UiTestEvents::mouseUpAt (dialogue, { 400.0f, 275.0f }, false));
    EXPECT_EQ (counter.closes, 1);
}

TEST (AboutDialogueMouse, CloseHandlerMayDeleteTheDialogue)
{
    auto dialogue = std::make_unique<AboutDialogue>();
    dialogue->setSize (800, 550);
    dialogue->onClose = [&dialogue] { dialogue.reset(); };

    auto* raw = dialogue.get();
    raw->mouseUp (UiTestEvents::mouseUpAt (*raw, { 10.0f, 10.0f }, false));
    EXPECT_EQ (dialogue, nullptr);

    dialogue = std::make_unique<AboutDialogue>();
    dialogue->onClose = [&dialogue] { dialogue.reset(); };
    raw = dialogue.get();
    EXPECT_TRUE (raw->keyPressed (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_EQ (dialogue, nullptr);
}

TEST (AboutDialoguePaint, DrawsThePictureOverTheDarkVeil)
{
    AboutDialogue dialogue;
    dialogue.setSize (960, 1000);

    juce::Image canvas (juce::Image::ARGB, 960, 1000, true);
    {
        juce::Graphics g (canvas);
        g.fillAll (juce::Colours::white);
        dialogue.paintEntireComponent (g, true);
    }

    // Above the picture only the veil darkens the white: 255 * 25 / 255.
    const auto veil = canvas.getPixelAt (480, 10);
    EXPECT_NEAR (veil.getRed(), 25, 1);
    EXPECT_NEAR (veil.getBlue(), 25, 1);
}
