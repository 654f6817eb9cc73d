#include "app/MainViewTestSupport.h"

#include "ui/AboutDialogue.h"
#include "ui/CachedDropShadowEffect.h"
#include "ui/ChannelComponent.h"
#include "ui/InputComponent.h"
#include "ui/MacroSliderComponent.h"
#include "ui/MatrixComponent.h"
#include "ui/OverlayDialogue.h"

#include <cstring>

using Hardware::Channel;

namespace
{
constexpr std::array<std::uint32_t, 6> twoOfEach { 2, 2, 2, 2, 2, 2 };

juce::Rectangle<int> boundsOf (const juce::Component& c) { return c.getBounds(); }

bool sameChannel (Channel a, Channel b) { return a.kind == b.kind && a.index == b.index; }

juce::MouseEvent mouseEventOn (juce::Component& component, juce::Point<float> position, juce::Point<float> downAt,
                               juce::ModifierKeys mods = {})
{
    const auto now = juce::Time::getCurrentTime();
    return { juce::Desktop::getInstance().getMainMouseSource(), position, mods,
             juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
             juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
             juce::MouseInputSource::defaultTiltY, &component, &component, now, downAt, now, 1,
             position != downAt };
}

juce::MouseWheelDetails wheel (float deltaY)
{
    juce::MouseWheelDetails details;
    details.deltaX = 0.3f;
    details.deltaY = deltaY;
    details.isReversed = false;
    details.isSmooth = false;
    details.isInertial = false;
    return details;
}

/** The 16-byte request that sets one crosspoint, and the 14-byte one that sets an output's gain. */
std::string crosspointRequest (Channel in, Channel out, bool unity)
{
    const std::uint8_t bytes[] = { 0x4D, 0, 0, 0, 0xC8, 0, 0, 0,
                                   std::uint8_t (in.kind % 4), std::uint8_t (in.index),
                                   std::uint8_t (out.kind % 4), std::uint8_t (out.index),
                                   0, 0, 0, std::uint8_t (unity ? 1 : 0) };
    return SimulatorHarness::hex (bytes, sizeof (bytes));
}

std::string outputGainRequest (Channel out)
{
    const std::uint8_t bytes[] = { 0x4D, 0, 0, 0, 0xC9, 0, 0, 0,
                                   std::uint8_t (out.kind % 4), std::uint8_t (out.index), 0, 0, 0, 1 };
    return SimulatorHarness::hex (bytes, sizeof (bytes));
}
} // namespace

//==============================================================================
TEST_F (MainViewTest, FirstStartShowsTheSimpleViewAt800x550WithLimitsForFourMacros)
{
    startSimulator();
    openView();

    ASSERT_TRUE (backend().isConnected());
    EXPECT_EQ (backend().getCurrentDevice().productName, "VANTIQ TROVIK");
    EXPECT_EQ (view->overlay.get(), nullptr);

    ASSERT_EQ (view->outputContainer.items.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        item<MacroSliderComponent> (view->outputContainer, i);

    EXPECT_FALSE (view->inputContainer.isVisible());
    EXPECT_FALSE (view->matrixContainer.isVisible());
    EXPECT_FALSE (view->verticalScrollBar.isVisible());
    EXPECT_FALSE (view->layoutResizerBar.isVisible());
    EXPECT_FALSE (view->isTimerRunning());

    EXPECT_EQ (view->getBounds(), juce::Rectangle<int> (0, 0, 800, 550));
    EXPECT_EQ (window->getWidth(), 800);
    EXPECT_EQ (window->getHeight(), 550);

    auto* limits = window->getConstrainer();
    ASSERT_NE (limits, nullptr);
    EXPECT_EQ (limits->getMinimumWidth(), 350);
    EXPECT_EQ (limits->getMinimumHeight(), 450);
    EXPECT_EQ (limits->getMaximumWidth(), 790);
    EXPECT_EQ (limits->getMaximumHeight(), 770);

    // Nothing is written before the message loop runs.
    EXPECT_EQ (storedValue ("advanced"), "");
}

TEST_F (MainViewTest, AdvancedViewOfThreeStripsAndSixRowsIs800x730)
{
    startSimulator();
    setCounts (0, twoOfEach);
    storeMode (true);
    openView();

    ASSERT_EQ (view->outputContainer.items.size(), 3u);
    ASSERT_EQ (view->inputContainer.items.size(), 6u);
    ASSERT_EQ (view->matrixContainer.items.size(), 36u);
    EXPECT_EQ (view->matrixContainer.columns, 6);

    EXPECT_EQ (view->getBounds(), juce::Rectangle<int> (0, 0, 800, 730));
    auto* limits = window->getConstrainer();
    EXPECT_EQ (limits->getMinimumWidth(), 660);
    EXPECT_EQ (limits->getMinimumHeight(), 450);

    // Without a display the maximum is the fall-back size.
    if (juce::Desktop::getInstance().getDisplays().displays.isEmpty())
    {
        EXPECT_EQ (limits->getMaximumWidth(), 165535);
        EXPECT_EQ (limits->getMaximumHeight(), 165535);
    }

    EXPECT_TRUE (view->verticalScrollBar.isVisible());
    EXPECT_TRUE (view->inputContainer.isVisible());
    EXPECT_TRUE (view->matrixContainer.isVisible());
    EXPECT_TRUE (view->layoutResizerBar.isVisible());
    EXPECT_TRUE (view->isTimerRunning());
    EXPECT_EQ (view->getTimerInterval(), 33);

    // Strips by consecutive pairs of the output list: device outputs, application recording, virtual recording.
    const Channel pairs[][2] = { { { Hardware::DeviceOutput, 0 }, { Hardware::DeviceOutput, 1 } },
                                 { { Hardware::ApplicationRecording, 0 }, { Hardware::ApplicationRecording, 1 } },
                                 { { Hardware::VirtualRecording, 0 }, { Hardware::VirtualRecording, 1 } } };
    for (std::size_t s = 0; s < 3; ++s)
    {
        auto& strip = item<ChannelComponent> (view->outputContainer, s);
        EXPECT_TRUE (sameChannel (strip.leftChannel, pairs[s][0])) << s;
        EXPECT_TRUE (sameChannel (strip.rightChannel, pairs[s][1])) << s;
        EXPECT_TRUE (strip.linkButton.isEnabled());
    }

    EXPECT_TRUE (sameChannel (item<InputComponent> (view->inputContainer, 0).channel, { Hardware::ApplicationPlayback, 0 }));
    EXPECT_TRUE (sameChannel (item<InputComponent> (view->inputContainer, 3).channel, { Hardware::DeviceInput, 1 }));
    EXPECT_TRUE (sameChannel (item<InputComponent> (view->inputContainer, 5).channel, { Hardware::VirtualPlayback, 1 }));

    // Cells line by line: inputs down, outputs across; every second column marked.
    auto& cell = item<MatrixComponent> (view->matrixContainer, 6 * 3 + 4);
    EXPECT_TRUE (sameChannel (cell.input, { Hardware::DeviceInput, 1 }));
    EXPECT_TRUE (sameChannel (cell.output, { Hardware::VirtualRecording, 0 }));
    for (std::size_t c = 0; c < 6; ++c)
        EXPECT_EQ (item<MatrixComponent> (view->matrixContainer, 6 + c).oddColumn, c % 2 == 1) << c;
}

TEST_F (MainViewTest, AdvancedLayoutWithA500HighSettingsPanel)
{
    startSimulator();
    setCounts (0, twoOfEach);
    storeMode (true);
    openViewAndSettle();

    // 684 high: 180 for the six input rows, the 4-pixel bar, 500 for the panel.
    view->setSize (1000, 684);

    EXPECT_EQ (boundsOf (view->inputContainer), juce::Rectangle<int> (0, 0, 200, 180));
    EXPECT_EQ (boundsOf (view->layoutResizerBar), juce::Rectangle<int> (0, 180, 982, 4));
    EXPECT_EQ (boundsOf (view->settingsComponent), juce::Rectangle<int> (0, 184, 200, 500));
    EXPECT_EQ (boundsOf (view->matrixContainer), juce::Rectangle<int> (200, 0, 782, 180));
    EXPECT_EQ (boundsOf (view->outputContainer), juce::Rectangle<int> (200, 184, 782, 482));
    EXPECT_EQ (boundsOf (view->horizontalScrollBar), juce::Rectangle<int> (200, 666, 782, 18));
    EXPECT_EQ (boundsOf (view->verticalScrollBar), juce::Rectangle<int> (982, 0, 18, 666));
    EXPECT_EQ (boundsOf (view->resizableCorner), juce::Rectangle<int> (982, 666, 18, 18));

    // Cells 100 x 30, strips 200 wide.
    EXPECT_EQ (boundsOf (*view->matrixContainer.items[1]), juce::Rectangle<int> (100, 0, 100, 30));
    EXPECT_EQ (boundsOf (*view->matrixContainer.items[7]), juce::Rectangle<int> (100, 30, 100, 30));
    EXPECT_EQ (boundsOf (*view->outputContainer.items[2]), juce::Rectangle<int> (400, 0, 200, 482));
    EXPECT_EQ (boundsOf (*view->inputContainer.items[5]), juce::Rectangle<int> (0, 150, 200, 30));

    EXPECT_DOUBLE_EQ (view->horizontalScrollBar.getSingleStepSize(), 25.0);
    EXPECT_DOUBLE_EQ (view->horizontalScrollBar.getMaximumRangeLimit(), 600.0);
    EXPECT_DOUBLE_EQ (view->horizontalScrollBar.getCurrentRangeSize(), 600.0);
    EXPECT_DOUBLE_EQ (view->verticalScrollBar.getMaximumRangeLimit(), 180.0);
    EXPECT_DOUBLE_EQ (view->verticalScrollBar.getSingleStepSize(), 15.0);

    // The corner resizer is in front of every child but the (always-on-top, invisible) tooltip window.
    EXPECT_EQ (view->getIndexOfChildComponent (&view->resizableCorner), view->getNumChildComponents() - 2);
    EXPECT_EQ (view->getIndexOfChildComponent (&view->tooltipWindow), view->getNumChildComponents() - 1);
}

TEST_F (MainViewTest, AdvancedLayoutWithA1050HighSettingsPanel)
{
    startSimulator();
    setCounts (0, twoOfEach);
    storeMode (true);
    openViewAndSettle();

    // 1234 high: 180 for the six input rows, the 4-pixel bar, 1050 for the panel. Neither floor
    // applies: the panel and the inputs are 1050 / 3.5 = 300 wide, the cells 1050 / 5 = 210.
    view->setSize (1400, 1234);

    EXPECT_EQ (boundsOf (view->inputContainer), juce::Rectangle<int> (0, 0, 300, 180));
    EXPECT_EQ (boundsOf (view->layoutResizerBar), juce::Rectangle<int> (0, 180, 1382, 4));
    EXPECT_EQ (boundsOf (view->settingsComponent), juce::Rectangle<int> (0, 184, 300, 1050));
    EXPECT_EQ (boundsOf (view->matrixContainer), juce::Rectangle<int> (300, 0, 1082, 180));
    EXPECT_EQ (boundsOf (view->outputContainer), juce::Rectangle<int> (300, 184, 1082, 1032));
    EXPECT_EQ (boundsOf (view->horizontalScrollBar), juce::Rectangle<int> (300, 1216, 1082, 18));
    EXPECT_EQ (boundsOf (view->verticalScrollBar), juce::Rectangle<int> (1382, 0, 18, 1216));

    // Cells 210 x 30, strips 420 wide, rows as wide as the panel.
    EXPECT_EQ (boundsOf (*view->matrixContainer.items[1]), juce::Rectangle<int> (210, 0, 210, 30));
    EXPECT_EQ (boundsOf (*view->matrixContainer.items[7]), juce::Rectangle<int> (210, 30, 210, 30));
    EXPECT_EQ (boundsOf (*view->outputContainer.items[2]), juce::Rectangle<int> (840, 0, 420, 1032));
    EXPECT_EQ (boundsOf (*view->inputContainer.items[5]), juce::Rectangle<int> (0, 150, 300, 30));

    EXPECT_DOUBLE_EQ (view->horizontalScrollBar.getSingleStepSize(), 52.5);
    EXPECT_DOUBLE_EQ (view->horizontalScrollBar.getMaximumRangeLimit(), 1260.0);
    EXPECT_DOUBLE_EQ (view->horizontalScrollBar.getCurrentRangeSize(), 1082.0);
    EXPECT_DOUBLE_EQ (view->verticalScrollBar.getMaximumRangeLimit(), 180.0);
}

TEST_F (MainViewTest, SimpleLayoutFollowsTheHeight)
{
    startSimulator();
    openViewAndSettle();

    EXPECT_EQ (boundsOf (view->settingsComponent), juce::Rectangle<int> (0, 0, 200, 550));
    EXPECT_EQ (boundsOf (view->outputContainer), juce::Rectangle<int> (200, 0, 600, 532));
    EXPECT_EQ (boundsOf (view->horizontalScrollBar), juce::Rectangle<int> (200, 532, 582, 18));
    EXPECT_EQ (boundsOf (*view->outputContainer.items[1]), juce::Rectangle<int> (140, 0, 140, 532));
    EXPECT_DOUBLE_EQ (view->horizontalScrollBar.getSingleStepSize(), 35.0);
    EXPECT_DOUBLE_EQ (view->horizontalScrollBar.getMaximumRangeLimit(), 560.0);

    view->setSize (1200, 1050);
    EXPECT_EQ (boundsOf (view->settingsComponent), juce::Rectangle<int> (0, 0, 300, 1050));
    EXPECT_EQ (boundsOf (*view->outputContainer.items[3]), juce::Rectangle<int> (630, 0, 210, 1032));
    EXPECT_DOUBLE_EQ (view->horizontalScrollBar.getSingleStepSize(), 52.5);
    EXPECT_DOUBLE_EQ (view->horizontalScrollBar.getMaximumRangeLimit(), 840.0);

    // Narrower than the panel: the panel takes it all, the strip of sliders gets nothing.
    view->setSize (150, 550);
    EXPECT_EQ (boundsOf (view->settingsComponent), juce::Rectangle<int> (0, 0, 150, 550));
    EXPECT_EQ (view->outputContainer.getWidth(), 0);
    EXPECT_EQ (view->horizontalScrollBar.getWidth(), 0);
}

TEST_F (MainViewTest, ScrollBarsAndWheelMoveTheContainersTogether)
{
    startSimulator();   // TROVIK: 34 inputs and 34 outputs
    storeMode (true);
    openViewAndSettle();
    view->setSize (1000, 684);

    view->horizontalScrollBar.setCurrentRangeStart (130.7, juce::sendNotificationSync);
    EXPECT_EQ (view->outputContainer.offsetX, 130);
    EXPECT_EQ (view->matrixContainer.offsetX, 130);
    EXPECT_EQ (view->outputContainer.items[1]->getX(), 200 - 130);

    view->verticalScrollBar.setCurrentRangeStart (60.0, juce::sendNotificationSync);
    EXPECT_EQ (view->inputContainer.offsetY, 60);
    EXPECT_EQ (view->matrixContainer.offsetY, 60);
    EXPECT_EQ (view->matrixContainer.offsetX, 130);
    EXPECT_EQ (view->inputContainer.items[2]->getY(), 0);

    // One step per wheel event, whatever its size; down (negative) moves on, zero moves back.
    const auto event = mouseEventOn (view->matrixContainer, { 10.0f, 10.0f }, { 10.0f, 10.0f });
    view->wheelListener.mouseWheelMove (event, wheel (-3.0f));
    pump();
    EXPECT_EQ (view->inputContainer.offsetY, 75);
    EXPECT_EQ (view->matrixContainer.offsetY, 75);

    view->wheelListener.mouseWheelMove (event, wheel (0.0f));
    pump();
    EXPECT_EQ (view->inputContainer.offsetY, 60);

    const auto shifted = mouseEventOn (view->matrixContainer, { 10.0f, 10.0f }, { 10.0f, 10.0f }, juce::ModifierKeys::shiftModifier);
    view->wheelListener.mouseWheelMove (shifted, wheel (-0.1f));
    pump();
    EXPECT_EQ (view->outputContainer.offsetX, 155);   // 130.7 + a quarter of a 100-pixel cell
    EXPECT_EQ (view->inputContainer.offsetY, 60);
}

TEST_F (MainViewTest, ScrolledStripsAndRowsPaintAsWithoutTheirCachesOnAScaledDisplay)
{
    startSimulator();   // TROVIK: 34 inputs and 34 outputs
    storeMode (true);
    openViewAndSettle();
    view->setSize (1000, 684);
    view->stopTimer();

    // At 125 % the strips and rows lie on quarters and halves of device pixels, and the
    // containers cut off the first and last ones.
    view->horizontalScrollBar.setCurrentRangeStart (130.7, juce::sendNotificationSync);
    view->verticalScrollBar.setCurrentRangeStart (45.0, juce::sendNotificationSync);
    pump();

    auto& top = *view->getTopLevelComponent();
    juce::RectangleList<int> area;

    for (auto* container : { &view->outputContainer, &view->inputContainer })
        area.add (top.getLocalArea (container, container->getLocalBounds()));

    // The window's frame as the display has it, painted only where the two containers are.
    const auto frame = [&top, &area]
    {
        constexpr float scale = 1.25f;
        const auto size = top.getLocalBounds() * scale;
        juce::Image image (juce::Image::ARGB, size.getWidth(), size.getHeight(), true, juce::SoftwareImageType());
        juce::Graphics g (image);
        g.addTransform (juce::AffineTransform::scale (scale));
        g.reduceClipRegion (area);
        top.paintEntireComponent (g, false);
        return image;
    };

    frame();   // makes the layers
    const auto cached = frame();

    for (auto* container : { &view->outputContainer, &view->inputContainer })
        for (auto& item : container->items)
            item->setCachedComponentImage (nullptr);

    const auto uncached = frame();
    const juce::Image::BitmapData cachedPixels (cached, juce::Image::BitmapData::readOnly);
    const juce::Image::BitmapData uncachedPixels (uncached, juce::Image::BitmapData::readOnly);
    int differingRows = 0;

    for (int y = 0; y < cached.getHeight(); ++y)
        differingRows += std::memcmp (cachedPixels.getLinePointer (y), uncachedPixels.getLinePointer (y),
                                      static_cast<size_t> (cached.getWidth() * cachedPixels.pixelStride)) != 0 ? 1 : 0;

    EXPECT_EQ (differingRows, 0);
}

TEST_F (MainViewTest, CornerResizerKeepsToTheWindowLimits)
{
    startSimulator();
    openView();

    juce::Component& corner = view->resizableCorner;   // its mouse handlers are protected there
    corner.mouseDown (mouseEventOn (corner, { 5.0f, 5.0f }, { 5.0f, 5.0f }));
    corner.mouseDrag (mouseEventOn (corner, { 1005.0f, 1005.0f }, { 5.0f, 5.0f }));

    EXPECT_EQ (window->getWidth(), 790);
    EXPECT_EQ (window->getHeight(), 770);
    EXPECT_EQ (view->getWidth(), 790);

    corner.mouseDrag (mouseEventOn (corner, { -995.0f, -995.0f }, { 5.0f, 5.0f }));
    EXPECT_EQ (window->getWidth(), 350);
    EXPECT_EQ (window->getHeight(), 450);
}

//==============================================================================
TEST_F (MainViewTest, CommandsWithTheirNamesAndKeys)
{
    openView();

    juce::Array<juce::CommandID> ids;
    view->getAllCommands (ids);
    EXPECT_EQ (ids, juce::Array<juce::CommandID> (100, 101, 102));
    EXPECT_EQ (view->getNextCommandTarget(), nullptr);

    struct Expected { int id; const char* name; const char* description; const char* category; juce::KeyPress key; };
    const Expected expected[] = {
        { 100, "About", "About Kelvaro Mixer", "Help", juce::KeyPress ('?', juce::ModifierKeys::noModifiers, 0) },
        { 101, "Reset", "Reset Mixer to default", "Edit", juce::KeyPress ('r', juce::ModifierKeys::commandModifier, 0) },
        { 102, "Advanced", "Toggle simple/advanced mode", "View", juce::KeyPress ('a', juce::ModifierKeys::commandModifier, 0) },
    };

    for (const auto& e : expected)
    {
        juce::ApplicationCommandInfo info (e.id);
        view->getCommandInfo (e.id, info);
        EXPECT_EQ (info.shortName, e.name);
        EXPECT_EQ (info.description, e.description);
        EXPECT_EQ (info.categoryName, e.category);
        EXPECT_EQ (info.flags, 0);
        ASSERT_EQ (info.defaultKeypresses.size(), 1);
        EXPECT_EQ (info.defaultKeypresses[0], e.key);

        // Registered with the manager, whose key mappings listen on the view.
        EXPECT_NE (view->commandManager.getCommandForID (e.id), nullptr);
        EXPECT_TRUE (view->commandManager.getKeyMappings()->containsMapping (e.id, e.key));
    }

    // Letters match in either case.
    EXPECT_EQ (view->commandManager.getKeyMappings()->findCommandForKeyPress (juce::KeyPress ('R', juce::ModifierKeys::commandModifier, 0)), 101);
    EXPECT_EQ (view->commandManager.getKeyMappings()->findCommandForKeyPress (juce::KeyPress ('a', juce::ModifierKeys::noModifiers, 0)), 0);

    juce::ApplicationCommandInfo other (103);
    view->getCommandInfo (103, other);
    EXPECT_TRUE (other.shortName.isEmpty());
    EXPECT_TRUE (other.defaultKeypresses.isEmpty());

    const auto* notice = view->overlay.get();   // no driver here: the notice shows
    EXPECT_FALSE (view->perform (juce::ApplicationCommandTarget::InvocationInfo (103)));
    EXPECT_EQ (view->overlay.get(), notice);
    EXPECT_TRUE (view->perform (juce::ApplicationCommandTarget::InvocationInfo (100)));
    EXPECT_NE (overlayAs<AboutDialogue>(), nullptr);
    EXPECT_TRUE (view->perform (juce::ApplicationCommandTarget::InvocationInfo (101)));
    ASSERT_NE (overlayAs<OverlayDialogue>(), nullptr);
    EXPECT_TRUE (overlayAs<OverlayDialogue>()->yesButton.isVisible());
}

TEST_F (MainViewTest, KeysThatTypeAQuestionMarkOpenAboutWhateverKeyAndShiftGiveThem)
{
    startSimulator();
    setCounts (0, twoOfEach);
    openViewAndSettle();
    ASSERT_EQ (view->overlay.get(), nullptr);

    // A key that reaches the view as the window's peer hands it on: the view's key listener (the
    // command manager's key mappings) first, then the view itself. Without a display nothing has
    // the keyboard focus, through which the manager finds the view in the program: it is named here.
    view->commandManager.setFirstCommandTarget (view);
    const auto press = [this] (const juce::KeyPress& key)
    {
        return view->commandManager.getKeyMappings()->keyPressed (key, view) || view->keyPressed (key);
    };

    const auto shift = juce::ModifierKeys (juce::ModifierKeys::shiftModifier);
    const auto ctrl = juce::ModifierKeys (juce::ModifierKeys::commandModifier);

    // X11 reports the key code '?' with Shift; Windows the unshifted key's code ('/' on a US
    // layout) with Shift; the mapping itself has '?' without modifiers.
    const juce::KeyPress questionMarks[] = { { '?', shift, '?' }, { '/', shift, '?' }, { '?', {}, '?' } };

    for (const auto& key : questionMarks)
    {
        view->overlay.reset();
        EXPECT_TRUE (press (key)) << key.getTextDescription();
        EXPECT_NE (overlayAs<AboutDialogue>(), nullptr) << key.getTextDescription();
    }

    // The other commands keep their keys.
    EXPECT_TRUE (press ({ 'r', ctrl, 0 }));
    ASSERT_NE (overlayAs<OverlayDialogue>(), nullptr);
    EXPECT_TRUE (overlayAs<OverlayDialogue>()->yesButton.isVisible());

    view->overlay.reset();
    EXPECT_TRUE (press ({ 'a', ctrl, 0 }));
    EXPECT_EQ (storedValue ("advanced"), "1");
    EXPECT_EQ (view->inputContainer.items.size(), 6u);

    // Other keys, the unshifted '/' among them, invoke nothing.
    EXPECT_FALSE (press ({ '/', {}, '/' }));
    EXPECT_FALSE (press ({ 'a', {}, 'a' }));
    EXPECT_FALSE (press ({ 'x', ctrl, 0 }));
    EXPECT_FALSE (press ({ juce::KeyPress::F1Key, shift, 0 }));
    EXPECT_EQ (view->overlay.get(), nullptr);
    EXPECT_EQ (storedValue ("advanced"), "1");
}

TEST_F (MainViewTest, AdvancedCommandAndModeBoxSwitchModesAndStoreThemAtOnce)
{
    startSimulator();
    setCounts (0, twoOfEach);
    openView();

    EXPECT_TRUE (view->perform (juce::ApplicationCommandTarget::InvocationInfo (MainComponent::advancedCommand)));
    EXPECT_EQ (storedValue ("advanced"), "1");
    EXPECT_EQ (view->settingsComponent.modeBox.getSelectedId(), 2);
    EXPECT_TRUE (view->verticalScrollBar.isVisible());
    EXPECT_EQ (view->outputContainer.items.size(), 3u);
    EXPECT_EQ (view->getBounds(), juce::Rectangle<int> (0, 0, 800, 730));
    EXPECT_TRUE (view->isTimerRunning());

    EXPECT_TRUE (view->perform (juce::ApplicationCommandTarget::InvocationInfo (MainComponent::advancedCommand)));
    EXPECT_EQ (storedValue ("advanced"), "0");
    EXPECT_EQ (view->settingsComponent.modeBox.getSelectedId(), 1);
    EXPECT_FALSE (view->verticalScrollBar.isVisible());
    EXPECT_FALSE (view->isTimerRunning());
    EXPECT_EQ (view->getBounds(), juce::Rectangle<int> (0, 0, 800, 550));

    // The settings panel's Mode box takes the same road.
    view->settingsComponent.modeBox.setSelectedId (2, juce::sendNotificationSync);
    EXPECT_EQ (storedValue ("advanced"), "1");
    EXPECT_TRUE (view->verticalScrollBar.isVisible());
    EXPECT_EQ (view->inputContainer.items.size(), 6u);

    view->settingsComponent.modeBox.setSelectedId (1, juce::sendNotificationSync);
    EXPECT_EQ (storedValue ("advanced"), "0");
    EXPECT_EQ (view->inputContainer.items.size(), 0u);
}

TEST_F (MainViewTest, ModeBoxStoresTheModeOnceTheLoopRuns)
{
    startSimulator();
    openView();
    sim->KSIM_ClearJournal();
    markItems();

    pump (200);

    EXPECT_EQ (storedValue ("advanced"), "0");
    EXPECT_FALSE (itemsAreMarked());   // rebuilt

    // One rebuild: each of the four sliders read its first crosspoint once.
    EXPECT_EQ (requests ("GetDspProperty").size(), 4u);
    pump (200);
    EXPECT_EQ (requests ("GetDspProperty").size(), 4u);
}

TEST_F (MainViewTest, StoredAdvancedModeIsDeliveredOnceByTheModeBoxOnceTheLoopRuns)
{
    startSimulator();
    setCounts (0, twoOfEach);
    storeMode (true);
    openView();

    // The view's own update after opening the interface shows the mode without notifying, and
    // leaves the list's first notification pending.
    EXPECT_EQ (view->settingsComponent.modeBox.getSelectedId(), 2);
    EXPECT_EQ (storedValue ("advanced"), "");
    markItems();

    pump (200);
    EXPECT_EQ (storedValue ("advanced"), "1");
    EXPECT_FALSE (itemsAreMarked());   // rebuilt
    EXPECT_EQ (view->settingsComponent.modeBox.getSelectedId(), 2);
    EXPECT_EQ (view->inputContainer.items.size(), 6u);

    markItems();
    pump (200);
    EXPECT_TRUE (itemsAreMarked());    // once only
}

TEST_F (MainViewTest, ClosingStoresTheViewSizeAtOnce)
{
    startSimulator();
    openView();
    view->setSize (912, 634);

    closeView();

    // The test still holds the settings, so only the view's own save can have written these.
    EXPECT_EQ (storedValue ("lastWidth"), "912");
    EXPECT_EQ (storedValue ("lastHeight"), "634");
}

//==============================================================================
TEST_F (MainViewTest, NoConnectionNoticeIgnoresEscapeAndClicksAndGivesWayToDialogues)
{
    openViewAndSettle();   // no driver library at all

    ASSERT_FALSE (backend().isConnected());
    auto* notice = overlayAs<OverlayDialogue>();
    ASSERT_NE (notice, nullptr);
    EXPECT_EQ (notice->message.getText(), "No Connection Found!\nPlease connect a compatible Vantiq series interface.");
    ASSERT_EQ (notice->message.getNumAttributes(), 2);
    EXPECT_EQ (notice->message.getAttribute (0).font.getHeight(), 24.0f);
    EXPECT_EQ (notice->message.getAttribute (0).colour, settings->coral);
    EXPECT_EQ (notice->message.getAttribute (1).font.getHeight(), 20.0f);
    EXPECT_EQ (notice->message.getAttribute (1).colour, settings->lightGrey);
    EXPECT_EQ (notice->message.getJustification(), juce::Justification::topLeft);
    EXPECT_FALSE (notice->yesButton.isVisible());
    EXPECT_FALSE (notice->noButton.isVisible());

    // Built under the notice, which stays in front of everything but the corner.
    EXPECT_EQ (notice->getBounds(), view->getLocalBounds());
    EXPECT_EQ (view->getIndexOfChildComponent (notice), view->getIndexOfChildComponent (&view->resizableCorner) - 1);

    // Without macros the maximum width would fall below the minimum; it stays at the minimum.
    EXPECT_EQ (view->outputContainer.items.size(), 0u);
    EXPECT_EQ (window->getConstrainer()->getMaximumWidth(), 350);

    EXPECT_FALSE (notice->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    notice->mouseUp (mouseEventOn (*notice, { 20.0f, 20.0f }, { 20.0f, 20.0f }));
    EXPECT_EQ (view->overlay.get(), notice);

    // A resize keeps it covering the view.
    view->setSize (1000, 700);
    EXPECT_EQ (notice->getBounds(), juce::Rectangle<int> (0, 0, 1000, 700));

    // About replaces it; closing About leaves no notice.
    view->perform (juce::ApplicationCommandTarget::InvocationInfo (MainComponent::aboutCommand));
    auto* about = overlayAs<AboutDialogue>();
    ASSERT_NE (about, nullptr);
    ASSERT_TRUE (about->onClose != nullptr);
    const auto close = about->onClose;   // closing deletes the dialogue with its callback
    close();
    EXPECT_EQ (view->overlay.get(), nullptr);

    // So does the reset question; No closes it, and a reset without an interface sends nothing.
    view->showNoConnection();
    view->perform (juce::ApplicationCommandTarget::InvocationInfo (MainComponent::resetCommand));
    auto* question = overlayAs<OverlayDialogue>();
    ASSERT_NE (question, nullptr);
    EXPECT_EQ (question->message.getText(), "Reset Mixer\nDo you want to reset the Mixer to its default state?");
    EXPECT_TRUE (question->yesButton.isVisible());
    question->noButton.triggerClick();
    pump();
    EXPECT_EQ (view->overlay.get(), nullptr);

    // A second notice replaces the first.
    view->showNoConnection();
    const auto* first = view->overlay.get();
    view->showNoConnection();
    EXPECT_NE (view->overlay.get(), first);
    EXPECT_NE (overlayAs<OverlayDialogue>(), nullptr);
}

TEST_F (MainViewTest, DeviceChangeRemovesTheAboutDialogueOrTheResetQuestion)
{
    startSimulator();
    keepOnlyFirstInterface();
    openViewAndSettle();
    ASSERT_TRUE (backend().isConnected());

    view->showAbout();
    markItems();
    view->settingsComponent.sendChangeMessage();
    pump();
    EXPECT_EQ (view->overlay.get(), nullptr);
    EXPECT_FALSE (itemsAreMarked());

    view->showResetMixerConfirm();
    view->settingsComponent.sendChangeMessage();
    pump();
    EXPECT_EQ (view->overlay.get(), nullptr);

    // Without an interface afterwards the notice takes the question's place.
    view->showResetMixerConfirm();
    ASSERT_EQ (sim->KSIM_DetachDevice (0), 0u);
    pollBackend();
    auto* notice = overlayAs<OverlayDialogue>();
    ASSERT_NE (notice, nullptr);
    EXPECT_FALSE (notice->yesButton.isVisible());
}

TEST_F (MainViewTest, UnpluggingShowsTheNoticeOverTheOldViewAndPluggingInRebuilds)
{
    startSimulator();
    keepOnlyFirstInterface();
    setCounts (0, twoOfEach);
    storeMode (true);
    openViewAndSettle();

    markItems();
    ASSERT_EQ (sim->KSIM_DetachDevice (0), 0u);
    pollBackend();

    EXPECT_FALSE (backend().isConnected());
    ASSERT_NE (overlayAs<OverlayDialogue>(), nullptr);
    EXPECT_TRUE (itemsAreMarked());   // not rebuilt
    EXPECT_EQ (view->outputContainer.items.size(), 3u);

    // The meter timer goes on ticking without work.
    EXPECT_TRUE (view->isTimerRunning());
    sim->KSIM_ClearJournal();
    view->timerCallback();
    EXPECT_TRUE (sim->journal().empty());

    ASSERT_EQ (sim->KSIM_AttachDevice ("Trovik"), 0);
    pollBackend();

    ASSERT_TRUE (backend().isConnected());
    EXPECT_EQ (view->overlay.get(), nullptr);
    EXPECT_FALSE (itemsAreMarked());
    EXPECT_EQ (view->outputContainer.items.size(), 17u);   // a TROVIK of its own counts: 34 outputs
}

//==============================================================================
TEST_F (MainViewTest, ResetSendsEveryCrosspointAndOutputGainInOrder)
{
    startSimulator();
    setCounts (0, twoOfEach);
    openViewAndSettle();

    view->perform (juce::ApplicationCommandTarget::InvocationInfo (MainComponent::resetCommand));
    auto* question = overlayAs<OverlayDialogue>();
    ASSERT_NE (question, nullptr);

    sim->KSIM_ClearJournal();
    question->yesButton.triggerClick();
    pump();
    EXPECT_EQ (view->overlay.get(), nullptr);

    const Channel inputs[] = { { Hardware::ApplicationPlayback, 0 }, { Hardware::ApplicationPlayback, 1 },
                               { Hardware::DeviceInput, 0 }, { Hardware::DeviceInput, 1 },
                               { Hardware::VirtualPlayback, 0 }, { Hardware::VirtualPlayback, 1 } };
    const Channel outputs[] = { { Hardware::DeviceOutput, 0 }, { Hardware::DeviceOutput, 1 },
                                { Hardware::ApplicationRecording, 0 }, { Hardware::ApplicationRecording, 1 },
                                { Hardware::VirtualRecording, 0 }, { Hardware::VirtualRecording, 1 } };

    std::vector<std::string> expected;
    int unity = 0;

    for (const auto& out : outputs)
    {
        for (const auto& in : inputs)
        {
            const auto on = in.index == out.index && ((in.kind == Hardware::ApplicationPlayback && out.kind == Hardware::DeviceOutput)
                                                      || (in.kind == Hardware::DeviceInput && out.kind == Hardware::ApplicationRecording)
                                                      || (in.kind == Hardware::VirtualPlayback && out.kind == Hardware::VirtualRecording));
            unity += on ? 1 : 0;
            expected.push_back (crosspointRequest (in, out, on));
        }

        expected.push_back (outputGainRequest (out));
    }

    EXPECT_EQ (unity, 6);
    ASSERT_EQ (expected.size(), 42u);
    EXPECT_EQ (requests ("SetDspProperty"), expected);

    // Spot checks against hand-written bytes.
    EXPECT_EQ (expected[0], "4D000000C800000000000100" "00000001");
    EXPECT_EQ (expected[6], "4D000000C9000000" "0100" "00000001");
    EXPECT_EQ (expected[14 + 2], "4D000000C800000001000000" "00000001");

    std::int32_t gain = -1;
    sim->KSIM_GetCrosspointGain (0, Hardware::VirtualPlayback, 1, Hardware::VirtualRecording, 1, &gain);
    EXPECT_EQ (gain, 0x01000000);
}

TEST_F (MainViewTest, MeterTimerSendsOneRequestPerTick)
{
    startSimulator();
    setCounts (0, twoOfEach);
    storeMode (true);
    openViewAndSettle();

    sim->KSIM_ClearJournal();
    view->timerCallback();

    const auto sent = sim->journal();
    ASSERT_EQ (sent.size(), 1u);
    EXPECT_EQ (sent[0].entryPoint, "GetDspProperty");
    EXPECT_EQ (sent[0].hex().substr (0, 16), "4D0000002D010000");   // property 301: the whole meter block
}

TEST_F (MainViewTest, OddOutputCountGivesTheLastOutputAMonoStrip)
{
    startSimulator();
    setCounts (0, { 3, 1, 1, 0, 0, 0 });   // three device outputs; one device input, one playback channel
    storeMode (true);
    openViewAndSettle();

    ASSERT_EQ (view->outputContainer.items.size(), 2u);
    auto& pair = item<ChannelComponent> (view->outputContainer, 0);
    EXPECT_TRUE (sameChannel (pair.rightChannel, { Hardware::DeviceOutput, 1 }));
    EXPECT_TRUE (pair.linkButton.isEnabled());

    auto& mono = item<ChannelComponent> (view->outputContainer, 1);
    EXPECT_TRUE (sameChannel (mono.leftChannel, { Hardware::DeviceOutput, 2 }));
    EXPECT_TRUE (sameChannel (mono.rightChannel, { Hardware::DeviceOutput, 2 }));
    EXPECT_TRUE (mono.linkButton.getToggleState());
    EXPECT_FALSE (mono.linkButton.isEnabled());

    // Every output keeps its matrix column.
    EXPECT_EQ (view->matrixContainer.columns, 3);
    ASSERT_EQ (view->matrixContainer.items.size(), 6u);
    EXPECT_TRUE (sameChannel (item<MatrixComponent> (view->matrixContainer, 5).output, { Hardware::DeviceOutput, 2 }));
    EXPECT_EQ (view->getWidth(), 700);

    // Nothing asked for a channel beyond the list: the simulator refused no request.
    for (const auto& entry : sim->journal())
        EXPECT_EQ (entry.status, 0u) << entry.entryPoint << " " << entry.hex();

    // Both faders drive the one output and keep together.
    sim->KSIM_ClearJournal();
    mono.leftSlider.setValue (-6.0, juce::sendNotificationSync);
    pump();
    EXPECT_DOUBLE_EQ (mono.rightSlider.getValue(), -6.0);

    std::int32_t gain = 0;
    sim->KSIM_GetOutputGain (0, Hardware::DeviceOutput, 2, &gain);
    EXPECT_NEAR (gain / 16777216.0, std::pow (10.0, -6.0 / 20.0), 1.0e-6);

    for (const auto& request : requests ("SetDspProperty"))
        EXPECT_EQ (request.substr (0, 20), "4D000000C90000000102");
}

TEST_F (MainViewTest, ScrollBarShadowsAreBlurredOnceAndKeptThroughMeterTicks)
{
    startSimulator();
    storeMode (true);
    openViewAndSettle();
    view->setSize (1000, 684);

    const auto* effect = dynamic_cast<const CachedDropShadowEffect*> (view->horizontalScrollBar.getComponentEffect());
    ASSERT_NE (effect, nullptr);
    EXPECT_EQ (view->verticalScrollBar.getComponentEffect(), effect);

    // Frames of the whole view at 1.25, where the bars share device pixels with the containers
    // that every tick repaints; the shadow of each bar is kept.
    juce::Image frame (juce::Image::ARGB, 1250, 855, true, juce::SoftwareImageType());

    for (int tick = 0; tick < 3; ++tick)
    {
        view->timerCallback();
        juce::Graphics g (frame);
        g.addTransform (juce::AffineTransform::scale (1.25f));
        view->paintEntireComponent (g, false);
    }

    EXPECT_EQ (effect->getBlurCount(), 2);
}
