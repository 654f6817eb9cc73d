#include "app/MainViewTestSupport.h"
#include "support/XvfbDisplay.h"

#include "ui/AboutDialogue.h"
#include "ui/MatrixComponent.h"
#include "ui/OverlayDialogue.h"

// Keys reach the command manager through the focused component, which needs a window on a real
// display: these tests run on a private Xvfb server.

namespace
{
class MainViewWindowTest : public MainViewTest
{
protected:
    void SetUp() override
    {
        auto& display = XvfbDisplay::get();

        if (! display.isUsable())
            GTEST_SKIP() << display.getProblem().toStdString();
    }

    /** Shows the window and waits until the server has given it the keyboard focus. */
    void showFocused()
    {
        window->setVisible (true);
        window->toFront (true);

        for (int attempt = 0; attempt < 100 && ! view->hasKeyboardFocus (true); ++attempt)
        {
            focusView();
            pump (20);
        }

        ASSERT_TRUE (view->hasKeyboardFocus (true)) << "the window did not get the keyboard focus";
    }

    /** Gives the focus to the overlay, or the view when there is none, as a click into them would. */
    void focusView()
    {
        if (view->overlay != nullptr)
            view->overlay->grabKeyboardFocus();
        else
            view->grabKeyboardFocus();
    }

    /** A key press as the window's peer delivers it from the X server, to whatever has the focus.
        Without a window manager the server's focus events arrive late and now and then hand the
        focus to the window itself while the message loop runs; the focus is put back into the view
        first, and what the key did is looked at before the loop runs again. */
    bool press (const juce::KeyPress& key)
    {
        if (! view->hasKeyboardFocus (true))
            focusView();

        EXPECT_TRUE (view->hasKeyboardFocus (true));
        return window->getPeer()->handleKeyPress (key);
    }

    static juce::KeyPress ctrl (juce::juce_wchar letter)
    {
        return { static_cast<int> (letter), juce::ModifierKeys::commandModifier, 0 };
    }
};
} // namespace

TEST_F (MainViewWindowTest, CtrlASwitchesModesAndStoresThemAtOnce)
{
    startSimulator();
    setCounts (0, { 2, 2, 2, 2, 2, 2 });
    openView (true);
    showFocused();

    EXPECT_TRUE (press (ctrl ('a')));
    EXPECT_EQ (storedValue ("advanced"), "1");
    EXPECT_TRUE (view->verticalScrollBar.isVisible());
    EXPECT_EQ (view->settingsComponent.modeBox.getSelectedId(), 2);
    EXPECT_EQ (view->getBounds(), juce::Rectangle<int> (0, 0, 800, 730));

    // The advanced maximum is the user area of the display under the view: the whole private screen
    // (1280 x 1024 under Xvfb; on Windows whatever display the system has).
    const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (window->getBounds());
    ASSERT_NE (display, nullptr);
    const auto screen = win::isWindowsBuild ? display->userArea.getBottomRight() - display->userArea.getPosition()
                                            : juce::Point<int> (1280, 1024);
    EXPECT_EQ (window->getConstrainer()->getMinimumWidth(), 660);
    EXPECT_EQ (window->getConstrainer()->getMaximumWidth(), screen.x);
    EXPECT_EQ (window->getConstrainer()->getMaximumHeight(), screen.y);

    EXPECT_TRUE (press (ctrl ('A')));
    EXPECT_EQ (storedValue ("advanced"), "0");
    EXPECT_FALSE (view->verticalScrollBar.isVisible());
    EXPECT_EQ (view->settingsComponent.modeBox.getSelectedId(), 1);

    // Other keys invoke nothing.
    EXPECT_FALSE (press (juce::KeyPress ('a', juce::ModifierKeys::noModifiers, 'a')));
    EXPECT_FALSE (press (ctrl ('x')));
    EXPECT_EQ (storedValue ("advanced"), "0");
    EXPECT_EQ (view->overlay.get(), nullptr);
}

TEST_F (MainViewWindowTest, QuestionMarkAndCtrlROpenTheirDialoguesOverTheNotice)
{
    openView (true);   // no driver library: the notice shows
    showFocused();

    auto* notice = overlayAs<OverlayDialogue>();
    ASSERT_NE (notice, nullptr);
    EXPECT_TRUE (notice->hasKeyboardFocus (false));

    // Escape is not taken by the notice; nothing else takes it either.
    EXPECT_FALSE (press (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_EQ (view->overlay.get(), notice);

    EXPECT_TRUE (press (juce::KeyPress ('?', juce::ModifierKeys::noModifiers, '?')));
    auto* about = overlayAs<AboutDialogue>();
    ASSERT_NE (about, nullptr);
    EXPECT_TRUE (about->hasKeyboardFocus (false));

    // Closing About leaves no notice behind.
    press (juce::KeyPress (juce::KeyPress::escapeKey));
    EXPECT_EQ (view->overlay.get(), nullptr);

    view->showNoConnection();
    EXPECT_TRUE (view->overlay->hasKeyboardFocus (false));

    EXPECT_TRUE (press (ctrl ('r')));
    auto* question = overlayAs<OverlayDialogue>();
    ASSERT_NE (question, nullptr);
    EXPECT_TRUE (question->yesButton.isVisible());

    EXPECT_TRUE (press (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_EQ (view->overlay.get(), nullptr);
}

TEST_F (MainViewWindowTest, ShiftedQuestionMarksOpenAboutYetTypeIntoACellsEditor)
{
    startSimulator();
    setCounts (0, { 2, 2, 2, 2, 2, 2 });
    storeMode (true);
    openView (true);
    pump();
    showFocused();
    ASSERT_EQ (view->overlay.get(), nullptr);

    // "?" as the peers deliver it: X11 with the key code '?', Windows with the unshifted key's
    // code ('/' on a US layout), both with Shift held.
    const auto shift = juce::ModifierKeys (juce::ModifierKeys::shiftModifier);

    for (const auto& key : { juce::KeyPress ('?', shift, '?'), juce::KeyPress ('/', shift, '?') })
    {
        EXPECT_TRUE (press (key)) << key.getTextDescription();
        ASSERT_NE (overlayAs<AboutDialogue>(), nullptr) << key.getTextDescription();
        EXPECT_TRUE (press (juce::KeyPress (juce::KeyPress::escapeKey)));
        EXPECT_EQ (view->overlay.get(), nullptr);
    }

    // A cell's typed entry, opened as a double-click opens it, keeps what is typed into it. The
    // key goes in before the message loop runs again, which might move the focus.
    auto* cell = dynamic_cast<MatrixComponent*> (view->matrixContainer.items.at (0).get());
    ASSERT_NE (cell, nullptr);
    cell->editor.setVisible (true);
    cell->editor.grabKeyboardFocus();
    ASSERT_TRUE (cell->editor.hasKeyboardFocus (false));

    EXPECT_TRUE (window->getPeer()->handleKeyPress (juce::KeyPress ('/', shift, '?')));
    EXPECT_TRUE (window->getPeer()->handleKeyPress (juce::KeyPress ('?', shift, '?')));
    EXPECT_EQ (cell->editor.getText(), "??");
    EXPECT_EQ (view->overlay.get(), nullptr);
}

TEST_F (MainViewWindowTest, AdvancedViewNeverExceedsTheDisplaysUserArea)
{
    // The TROVIK's 17 strips and 34 inputs would ask for 2200 x 1570, more than the screen.
    startSimulator();
    storeMode (true);
    openView (true);
    window->setVisible (true);
    pump();

    const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (view->getBounds());
    ASSERT_NE (display, nullptr);
    const auto area = display->userArea;

    EXPECT_EQ (view->outputContainer.items.size(), 17u);
    EXPECT_EQ (view->getWidth(), juce::jmin (2200, area.getWidth()));
    EXPECT_EQ (view->getHeight(), juce::jmin (1570, area.getHeight()));
    EXPECT_LE (window->getWidth(), window->getConstrainer()->getMaximumWidth());
    EXPECT_LE (window->getHeight(), window->getConstrainer()->getMaximumHeight());

    // So the settings panel, at the bottom left, lies on the screen.
    EXPECT_LE (view->settingsComponent.getBottom(), area.getHeight());
}

TEST_F (MainViewWindowTest, ScrollingKeepsACellsTypedEntryOpenAndFocused)
{
    startSimulator();
    storeMode (true);
    openView (true);
    pump();
    showFocused();

    auto* cell = dynamic_cast<MatrixComponent*> (view->matrixContainer.items.at (40).get());
    ASSERT_NE (cell, nullptr);
    cell->mouseDoubleClick (juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), {}, {}, 0.0f, 0.0f, 0.0f,
                                              0.0f, 0.0f, cell, cell, juce::Time::getCurrentTime(), {},
                                              juce::Time::getCurrentTime(), 2, false));
    ASSERT_TRUE (cell->editor.hasKeyboardFocus (false));
    const auto before = cell->getPosition();

    // The matrix moves up one step and left one step; the cell being typed into moves with it.
    view->verticalScrollBar.setCurrentRangeStart (15.0, juce::sendNotificationSync);
    view->horizontalScrollBar.setCurrentRangeStart (25.0, juce::sendNotificationSync);
    EXPECT_EQ (cell->getPosition(), before - juce::Point<int> (25, 15));
    EXPECT_TRUE (cell->editor.isVisible());
    EXPECT_TRUE (cell->editor.hasKeyboardFocus (false));
    EXPECT_TRUE (view->matrixContainer.isVisible());
}
