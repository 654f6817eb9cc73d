#include "ui/OverlayDialogue.h"
#include "ui/UiTestEvents.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
juce::AttributedString makeText()
{
    juce::AttributedString text;
    text.append ("Reset Mixer\n", juce::Font (24.0f), juce::Colours::coral);
    text.append ("Do you want to reset the Mixer to its default state?", juce::Font (20.0f), juce::Colours::lightgrey);
    return text;
}
} // namespace

TEST (OverlayDialogueLayout, WideViewGetsTheFullBoxAndHundredPixelButtons)
{
    EXPECT_EQ (OverlayDialogue::getTextArea (1000, 600), juce::Rectangle<float> (300.0f, 220.0f, 400.0f, 160.0f));

    OverlayDialogue dialogue (makeText());
    dialogue.setSize (1000, 600);

    EXPECT_EQ (dialogue.noButton.getBounds(), juce::Rectangle<int> (300, 320, 100, 30));
    EXPECT_EQ (dialogue.yesButton.getBounds(), juce::Rectangle<int> (600, 320, 100, 30));
}

TEST (OverlayDialogueLayout, NarrowViewShrinksTheBoxAndButtons)
{
    EXPECT_EQ (OverlayDialogue::getTextArea (330, 500), juce::Rectangle<float> (15.0f, 190.0f, 300.0f, 120.0f));

    OverlayDialogue dialogue (makeText());
    dialogue.setSize (330, 500);

    EXPECT_EQ (dialogue.noButton.getBounds(), juce::Rectangle<int> (15, 257, 75, 30));
    EXPECT_EQ (dialogue.yesButton.getBounds(), juce::Rectangle<int> (240, 257, 75, 30));
}

TEST (OverlayDialogueLayout, OddSizesRoundTheBandTowardZeroAndKeepTheBoxInFloats)
{
    // w = 301, q = 75, band at x (331 - 301) / 2 = 15, y (401 - 75) / 2 = 163.
    const auto box = OverlayDialogue::getTextArea (331, 401);
    EXPECT_FLOAT_EQ (box.getX(), 15.0f);
    EXPECT_FLOAT_EQ (box.getY(), 140.3f);
    EXPECT_FLOAT_EQ (box.getWidth(), 301.0f);
    EXPECT_FLOAT_EQ (box.getHeight(), 120.4f);

    const auto buttons = OverlayDialogue::getButtonAreas (331, 401);
    EXPECT_EQ (buttons.first, juce::Rectangle<int> (15, 208, 75, 30));
    EXPECT_EQ (buttons.second, juce::Rectangle<int> (241, 208, 75, 30));

    // A box under 120 wide makes buttons lower than 30.
    const auto small = OverlayDialogue::getButtonAreas (130, 200);
    EXPECT_EQ (small.first, juce::Rectangle<int> (15, 87, 25, 25));
    EXPECT_EQ (small.second, juce::Rectangle<int> (90, 87, 25, 25));
}

TEST (OverlayDialogueContent, ButtonsCarryTheirTextsAndTooltipsAndTheDialogueWantsFocus)
{
    OverlayDialogue dialogue (makeText());

    EXPECT_EQ (dialogue.message.getText(), makeText().getText());
    EXPECT_EQ (dialogue.yesButton.getButtonText(), "Yes");
    EXPECT_EQ (dialogue.yesButton.getTooltip(), "Reset the mixer");
    EXPECT_EQ (dialogue.noButton.getButtonText(), "No");
    EXPECT_EQ (dialogue.noButton.getTooltip(), "Cancel resetting");
    EXPECT_TRUE (dialogue.getWantsKeyboardFocus());

    ASSERT_EQ (dialogue.getNumChildComponents(), 2);
    EXPECT_EQ (dialogue.getChildComponent (0), &dialogue.yesButton);
    EXPECT_EQ (dialogue.getChildComponent (1), &dialogue.noButton);
    EXPECT_TRUE (dialogue.yesButton.isVisible());
    EXPECT_TRUE (dialogue.noButton.isVisible());
}

TEST (OverlayDialogueKeys, EscapeCancelsOnlyWhenThereIsACancelHandler)
{
    OverlayDialogue dialogue (makeText());
    const juce::KeyPress escape (juce::KeyPress::escapeKey);

    EXPECT_FALSE (dialogue.keyPressed (escape));

    int cancels = 0;
    dialogue.onCancel = [&] { ++cancels; };

    EXPECT_FALSE (dialogue.keyPressed (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_FALSE (dialogue.keyPressed (juce::KeyPress ('r', juce::ModifierKeys::ctrlModifier, 0)));
    EXPECT_EQ (cancels, 0);

    EXPECT_TRUE (dialogue.keyPressed (escape));
    EXPECT_EQ (cancels, 1);
}

TEST (OverlayDialogueMouse, AClickCancelsButADragDoesNot)
{
    OverlayDialogue dialogue (makeText());
    dialogue.setSize (1000, 600);

    // Without a handler a click is simply ignored.
    dialogue.mouseUp (UiTestEvents::mouseUpAt (dialogue, { 20.0f, 20.0f }, false));

    int cancels = 0;
    dialogue.onCancel = [&] { ++cancels; };

    dialogue.mouseUp (UiTestEvents::mouseUpAt (dialogue, { 500.0f, 250.0f }, true));
    EXPECT_EQ (cancels, 0);

    dialogue.mouseUp (UiTestEvents::mouseUpAt (dialogue, { 500.0f, 250.0f }, false));
    EXPECT_EQ (cancels, 1);
}

TEST (OverlayDialogueButtons, YesConfirmsThenCancelsAndNoOnlyCancels)
{
    OverlayDialogue dialogue (makeText());
    std::string calls;
    dialogue.onConfirm = [&] { calls += "confirm "; };
    dialogue.onCancel = [&] { calls += "cancel "; };

    dialogue.yesButton.triggerClick();
    UiTestEvents::runMessageLoop();
    EXPECT_EQ (calls, "confirm cancel ");

    calls.clear();
    dialogue.noButton.triggerClick();
    UiTestEvents::runMessageLoop();
    EXPECT_EQ (calls, "cancel ");

    // Either handler may be missing.
    dialogue.onConfirm = nullptr;
    calls.clear();
    dialogue.yesButton.triggerClick();
    UiTestEvents::runMessageLoop();
    EXPECT_EQ (calls, "cancel ");

    dialogue.onCancel = nullptr;
    dialogue.onConfirm = [&] { calls += "confirm "; };
    calls.clear();
    dialogue.yesButton.triggerClick();
    UiTestEvents::runMessageLoop();
    EXPECT_EQ (calls, "confirm ");
}

// The reset question's cancel handler closes the overlay, deleting the dialogue that calls it.
TEST (OverlayDialogueButtons, CancelHandlerMayDeleteTheDialogue)
{
    auto dialogue = std::make_unique<OverlayDialogue> (makeText());
    dialogue->setSize (1000, 600);
    std::string calls;

    auto closeOnCancel = [&]
    {
        dialogue->onConfirm = [&] { calls += "confirm "; };
        dialogue->onCancel = [&, tag = std::string ("cancel ")]
        {
            dialogue.reset();
            calls += tag;   // the handler's own state must outlive the dialogue
        };
    };

    closeOnCancel();
    dialogue->yesButton.triggerClick();
    UiTestEvents::runMessageLoop();
    EXPECT_EQ (dialogue, nullptr);
    EXPECT_EQ (calls, "confirm cancel ");

    dialogue = std::make_unique<OverlayDialogue> (makeText());
    closeOnCancel();
    dialogue->noButton.triggerClick();
    UiTestEvents::runMessageLoop();
    EXPECT_EQ (dialogue, nullptr);

    dialogue = std::make_unique<OverlayDialogue> (makeText());
    closeOnCancel();
    auto* raw = dialogue.get();
    EXPECT_TRUE (raw->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_EQ (dialogue, nullptr);

    dialogue = std::make_unique<OverlayDialogue> (makeText());
    dialogue->setSize (1000, 600);
    closeOnCancel();
    raw = dialogue.get();
    raw->mouseUp (UiTestEvents::mouseUpAt (*raw, { 10.0f, 10.0f }, false));
    EXPECT_EQ (dialogue, nullptr);
    EXPECT_EQ (calls, "confirm cancel cancel cancel cancel ");
}

TEST (OverlayDialogueNotice, NoticeWithoutHandlersKeepsKeysAndClicksAndHidesItsButtons)
{
    OverlayDialogue notice (makeText());
    notice.yesButton.setVisible (false);
    notice.noButton.setVisible (false);
    notice.setSize (800, 550);

    EXPECT_FALSE (notice.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    notice.mouseUp (UiTestEvents::mouseUpAt (notice, { 400.0f, 275.0f }, false));

    EXPECT_FALSE (notice.yesButton.isVisible());
    EXPECT_FALSE (notice.noButton.isVisible());
}

TEST (OverlayDialoguePaint, DimsTheWholeViewWithTheDarkVeil)
{
    OverlayDialogue dialogue (makeText());
    dialogue.yesButton.setVisible (false);
    dialogue.noButton.setVisible (false);
    dialogue.setSize (400, 300);

    juce::Image image (juce::Image::ARGB, 400, 300, true);
    {
        juce::Graphics g (image);
        g.fillAll (juce::Colours::white);
        dialogue.paintEntireComponent (g, true);
    }

    // White under black at alpha 230: 255 * 25 / 255 = 25.
    const auto corner = image.getPixelAt (1, 1);
    EXPECT_NEAR (corner.getRed(), 25, 1);
    EXPECT_NEAR (corner.getGreen(), 25, 1);
    EXPECT_NEAR (corner.getBlue(), 25, 1);
}
