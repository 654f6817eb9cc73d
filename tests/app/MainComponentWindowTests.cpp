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

namespace
{
/** The main window on a screen of 1920 x 1200 (the private server's, without task bars: all of it
    is the user area), the display on which the larger interfaces' advanced views first went past
    the screen's edges. On Windows the display is the system's own: the tests need its user area
    to be the same. */
class MainWindowPlacementTest : public MainViewTest
{
protected:
    void SetUp() override
    {
        auto& display = XvfbDisplay::get (1920, 1200);

        if (! display.isUsable())
            GTEST_SKIP() << display.getProblem().toStdString();

        const auto area = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea;

        if (area != juce::Rectangle<int> (0, 0, 1920, 1200))
            GTEST_SKIP() << "needs a user area of 0, 0, 1920 x 1200; this display's is " << area.toString();
    }

    void TearDown() override
    {
        closeView();
        win::setEnvironmentVariable ("KELVARO_SIM_DEVICES", nullptr);
    }

    /** The simulated library with interfaces of the given models, the first one opened. */
    void startSimulatorWith (const char* models)
    {
        win::setEnvironmentVariable ("KELVARO_SIM_DEVICES", models);
        startSimulator();
    }

    /** The simple view in a window on the desktop, centred as the application centres it. */
    void openSimpleViewCentred()
    {
        storeMode (false);
        openView (true);
        window->centreWithSize (window->getWidth(), window->getHeight());
        window->setVisible (true);
        pump();
        ASSERT_EQ (window->getBounds(), juce::Rectangle<int> (560, 325, 800, 550));
    }

    /** Gives the window the frame of a window manager, a title bar of 27 pixels and borders of 3,
        as its peer reports it; false where no frame can be announced (on Windows the system draws
        its own). Without a window manager to take the frame in, the server puts the window where
        its frame would begin once the window moves, and the window learns of that when the
        message loop runs: after this, the window's bounds are looked at before it runs again. */
    bool announceFrame()
    {
        const juce::BorderSize<int> frame (27, 3, 3, 3);

        if (! XvfbDisplay::get().setFrameExtents (*window, frame))
            return false;

        const auto& peer = *window->getPeer();

        for (int attempt = 0; attempt < 100 && ! peer.getFrameSizeIfPresent(); ++attempt)
            pump (20);

        EXPECT_TRUE (peer.getFrameSizeIfPresent());
        EXPECT_EQ (peer.getFrameSizeIfPresent() ? *peer.getFrameSizeIfPresent() : juce::BorderSize<int>(), frame);
        return true;
    }

    /** The mode as the user chooses it in the settings panel's Mode box (1 simple, 2 advanced). */
    void chooseMode (int id)
    {
        view->settingsComponent.modeBox.setSelectedId (id, juce::sendNotificationSync);
    }
};
} // namespace

TEST_F (MainWindowPlacementTest, TrovikAdvancedFromTheCentredSimpleViewMovesToTheScreensTopLeft)
{
    startSimulatorWith ("Trovik");
    openSimpleViewCentred();

    // 2200 x 1570 clamped to the user area; at 560, 325 only 1360 x 875 of it would show.
    chooseMode (2);
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (0, 0, 1920, 1200));
    EXPECT_EQ (view->getBounds(), juce::Rectangle<int> (0, 0, 1920, 1200));
    EXPECT_EQ (window->getConstrainer()->getMaximumWidth(), 1920);
    EXPECT_EQ (window->getConstrainer()->getMaximumHeight(), 1200);

    // Smaller again, the window fits where it is and stays there.
    chooseMode (1);
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (0, 0, 800, 550));

    window->setTopLeftPosition (1000, 600);
    pump();
    view->rebuildView();
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (1000, 600, 800, 550));

    // A window that is not on the desktop is left where it is, whatever its size.
    window->removeFromDesktop();
    chooseMode (2);
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (1000, 600, 1920, 1200));
}

TEST_F (MainWindowPlacementTest, PexaAdvancedMovesUpByWhatWouldStickOutOnly)
{
    startSimulatorWith ("Pexa");
    openSimpleViewCentred();

    // 1300 x 1030: it fits sideways at x 560 and would reach 155 pixels below the screen.
    chooseMode (2);
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (560, 170, 1300, 1030));
    EXPECT_EQ (window->getConstrainer()->getMinimumWidth(), 660);
    EXPECT_EQ (window->getConstrainer()->getMaximumHeight(), 1200);

    // Back in the simple view it stays where the advanced view put it.
    chooseMode (1);
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (560, 170, 800, 550));

    // An advanced view that fits keeps its position exactly, on the screen's edges too.
    window->setTopLeftPosition (0, 0);
    pump();
    chooseMode (2);
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (0, 0, 1300, 1030));

    window->setTopLeftPosition (620, 170);
    pump();
    view->rebuildView();
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (620, 170, 1300, 1030));

    // One pixel beyond the right and the bottom edge: one pixel back, each way.
    window->setTopLeftPosition (621, 171);
    pump();
    view->rebuildView();
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (620, 170, 1300, 1030));
}

TEST_F (MainWindowPlacementTest, TrovikAdvancedKeepsTheTitleBarOfItsFrameOnTheScreen)
{
    startSimulatorWith ("Trovik");
    openSimpleViewCentred();

    // In the screen's top-left corner, where centring puts a window as large as the screen: with
    // the frame, the title bar is above the screen.
    window->setTopLeftPosition (0, 0);
    pump();

    if (! announceFrame())
        GTEST_SKIP() << "the frame around a window cannot be set here";

    ASSERT_EQ (window->getBounds(), juce::Rectangle<int> (0, 0, 800, 550));

    // The view fills the user area, and with the frame the window is larger still: the frame's
    // top-left goes to the screen's top-left, so that the title bar shows.
    chooseMode (2);
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (3, 27, 1920, 1200));
}

TEST_F (MainWindowPlacementTest, SulkaAdvancedMovesUpByWhatItsFrameWouldStickOut)
{
    startSimulatorWith ("Sulka");
    openSimpleViewCentred();

    if (! announceFrame())
        GTEST_SKIP() << "the frame around a window cannot be set here";

    ASSERT_EQ (window->getBounds(), juce::Rectangle<int> (560, 325, 800, 550));

    // 1300 x 1030 with the frame, 1306 x 1060, from 557, 298: 158 pixels too low, none too wide.
    chooseMode (2);
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (560, 167, 1300, 1030));
}

TEST_F (MainWindowPlacementTest, TheViewWithoutABackendAlsoBringsItsWindowBackOnTheScreen)
{
    startSimulatorWith ("Pexa");
    openSimpleViewCentred();

    // Dragged partly past the screen's right and bottom edges, then the view goes down to its
    // 600 x 400 without a backend (which only happens once the backend is gone at shut-down).
    window->setTopLeftPosition (1700, 1000);
    pump();
    ASSERT_EQ (window->getBounds(), juce::Rectangle<int> (1700, 1000, 800, 550));

    HardwareBackend::deleteInstance();
    ASSERT_EQ (HardwareBackend::getInstance(), nullptr);
    view->rebuildView();
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (1320, 800, 600, 400));
}

namespace
{
/** The main window on the same screen under a window manager's panels: the work area it announces
    on the root window, which the framework does not pass on (its user area is the whole screen). */
class MainWindowWorkAreaTest : public MainWindowPlacementTest
{
protected:
    void TearDown() override
    {
        XvfbDisplay::get().clearWorkAreas();
        MainWindowPlacementTest::TearDown();
    }

    /** False where no work area can be announced (on Windows it is the system's). */
    bool announceWorkAreas (const std::vector<juce::Rectangle<int>>& areas, int currentDesktop = -1)
    {
        return XvfbDisplay::get().setWorkAreas (areas, currentDesktop);
    }
};
} // namespace

TEST_F (MainWindowWorkAreaTest, TrovikAdvancedStaysOffPanelsAtTheTopAndOnTheLeft)
{
    startSimulatorWith ("Trovik");
    openSimpleViewCentred();

    if (! announceWorkAreas ({ { 60, 40, 1860, 1160 } }))
        GTEST_SKIP() << "no work area can be announced here";

    // The view fills the work area, its corner resizer at the screen's bottom-right corner.
    chooseMode (2);
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (60, 40, 1860, 1160));
    EXPECT_EQ (view->getBounds(), juce::Rectangle<int> (0, 0, 1860, 1160));
    EXPECT_EQ (window->getConstrainer()->getMaximumWidth(), 1860);
    EXPECT_EQ (window->getConstrainer()->getMaximumHeight(), 1160);

    // Put under the panels, it comes out from under them on the next size change.
    window->setTopLeftPosition (0, 0);
    pump();
    view->rebuildView();
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (60, 40, 1860, 1160));
}

TEST_F (MainWindowWorkAreaTest, PexaAdvancedMovesUpAboveAPanelAtTheBottom)
{
    startSimulatorWith ("Pexa");
    openSimpleViewCentred();

    if (! announceWorkAreas ({ { 0, 0, 1920, 1160 } }))
        GTEST_SKIP() << "no work area can be announced here";

    // 1300 x 1030 from 560, 325: 195 pixels into the panel.
    chooseMode (2);
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (560, 130, 1300, 1030));
    EXPECT_EQ (window->getConstrainer()->getMaximumWidth(), 1920);
    EXPECT_EQ (window->getConstrainer()->getMaximumHeight(), 1160);
}

TEST_F (MainWindowWorkAreaTest, TheCurrentDesktopsWorkAreaCounts)
{
    startSimulatorWith ("Trovik");
    openSimpleViewCentred();

    // Desktop 1 shown, with panels that desktop 0 does not have.
    if (! announceWorkAreas ({ { 0, 0, 1920, 1160 }, { 60, 40, 1860, 1160 } }, 1))
        GTEST_SKIP() << "no work area can be announced here";

    chooseMode (2);
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (60, 40, 1860, 1160));
}

TEST_F (MainWindowWorkAreaTest, TheViewWithoutABackendAlsoStaysOffThePanel)
{
    startSimulatorWith ("Pexa");
    openSimpleViewCentred();

    if (! announceWorkAreas ({ { 0, 0, 1920, 1160 } }))
        GTEST_SKIP() << "no work area can be announced here";

    // From where a drag left the window partly under the panel.
    window->setTopLeftPosition (1700, 1000);
    pump();
    HardwareBackend::deleteInstance();
    ASSERT_EQ (HardwareBackend::getInstance(), nullptr);
    view->rebuildView();
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (1320, 760, 600, 400));
}
