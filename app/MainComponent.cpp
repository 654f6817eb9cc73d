#include "app/MainComponent.h"

#include "app/DisplayUserArea.h"
#include "app/WindowPlacement.h"
#include "backend/HardwareBackend.h"
#include "ui/AboutDialogue.h"
#include "ui/ChannelComponent.h"
#include "ui/InputComponent.h"
#include "ui/MacroSliderComponent.h"
#include "ui/MatrixComponent.h"
#include "ui/OverlayDialogue.h"

#include <optional>

namespace
{
constexpr int scrollBarThickness = 18;
constexpr int inputRowHeight = 30;
constexpr int meterIntervalMs = 33;

/** Makes the item visible, adds it as the container's last child and hands it to the container. */
void addItem (SimpleContainer& container, std::unique_ptr<juce::Component> item)
{
    container.addAndMakeVisible (*item);
    container.items.push_back (std::move (item));
}

/** An overlay's text: a coral bold heading that ends with a line break, then the body. */
juce::AttributedString makeOverlayText (const Settings& settings, const juce::String& heading, const juce::String& body)
{
    juce::AttributedString text;
    text.setLineSpacing (0.0f);
    text.setJustification (juce::Justification::topLeft);
    text.setWordWrap (juce::AttributedString::byWord);
    text.setReadingDirection (juce::AttributedString::natural);
    text.append (juce::translate (heading), juce::Font (settings.boldFont).withHeight (24.0f), settings.coral);
    text.append (juce::translate (body), juce::Font (settings.regularFont).withHeight (20.0f), settings.lightGrey);
    return text;
}
} // namespace

//==============================================================================
MainComponent::MainComponent (juce::ResizableWindow* window)
    : parentWindow (window),
      settings (Settings::getInstance()),
      settingsComponent (*this),
      resizableCorner (window, window != nullptr ? window->getConstrainer() : nullptr),
      layoutResizerBar (&layoutManager, 1, false),
      tooltipWindow (this)
{
    setWantsKeyboardFocus (true);
    setOpaque (true);

    // The configuration is in place before the interface is opened, which reads its model's
    // channel names and macros from it: the embedded default, or the "config" file beside the
    // executable when there is one that parses.
    settings->loadStartupConfig();

    if (auto* backend = HardwareBackend::getInstance())
        backend->selectDevice (settings->getLastDevice());

    settings->applyToLookAndFeel (mainLookAndFeel);
    settings->applyToLookAndFeel (scrollBarLookAndFeel);

    setLookAndFeel (&mainLookAndFeel);
    horizontalScrollBar.setLookAndFeel (&scrollBarLookAndFeel);
    verticalScrollBar.setLookAndFeel (&scrollBarLookAndFeel);

    addAndMakeVisible (settingsComponent);
    addAndMakeVisible (horizontalScrollBar);
    addAndMakeVisible (verticalScrollBar);
    addAndMakeVisible (resizableCorner);
    addAndMakeVisible (layoutResizerBar);

    layoutManager.setItemLayout (0, 60.0, -1.0, -0.5);
    layoutManager.setItemLayout (1, 4.0, 4.0, 4.0);
    layoutManager.setItemLayout (2, 380.0, -1.0, -0.5);

    horizontalScrollBar.setAutoHide (false);
    verticalScrollBar.setAutoHide (false);
    horizontalScrollBar.addListener (this);
    verticalScrollBar.addListener (this);

    settingsComponent.update();
    settingsComponent.addChangeListener (this);

    addAndMakeVisible (outputContainer);
    addAndMakeVisible (inputContainer);
    addAndMakeVisible (matrixContainer);

    commandManager.registerAllCommandsForTarget (this);
    addKeyListener (commandManager.getKeyMappings());

    // The wheel scrolls over the input rows and the matrix only; the strips keep it for their faders.
    matrixContainer.addMouseListener (&wheelListener, true);
    inputContainer.addMouseListener (&wheelListener, true);

    // Only the sign counts: every event is one step, and a purely sideways gesture (delta 0) one step back.
    wheelListener.onWheel = [this] (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
    {
        verticalScrollBar.moveScrollbarInSteps (wheel.deltaY < 0.0f ? 1 : -1);
    };

    wheelListener.onShiftWheel = [this] (const juce::MouseEvent&, const juce::MouseWheelDetails& wheel)
    {
        horizontalScrollBar.moveScrollbarInSteps (wheel.deltaY < 0.0f ? 1 : -1);
    };

    if (auto* backend = HardwareBackend::getInstance(); backend != nullptr && ! backend->isConnected())
        showNoConnection();

    rebuildView();
}

MainComponent::~MainComponent()
{
    stopTimer();

    inputContainer.removeMouseListener (&wheelListener);
    matrixContainer.removeMouseListener (&wheelListener);
    removeKeyListener (commandManager.getKeyMappings());
    horizontalScrollBar.removeListener (this);
    verticalScrollBar.removeListener (this);
    settingsComponent.removeChangeListener (this);

    // Written now rather than by the store's delayed save: the program is about to end.
    if (auto* userSettings = settings->appProperties.getUserSettings())
    {
        userSettings->setValue ("lastWidth", getWidth());
        userSettings->setValue ("lastHeight", getHeight());
        userSettings->saveIfNeeded();
    }

    setLookAndFeel (nullptr);
}

//==============================================================================
juce::ApplicationCommandTarget* MainComponent::getNextCommandTarget()
{
    return nullptr;
}

void MainComponent::getAllCommands (juce::Array<juce::CommandID>& commands)
{
    commands.add (aboutCommand);
    commands.add (resetCommand);
    commands.add (advancedCommand);
}

void MainComponent::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    switch (commandID)
    {
        case aboutCommand:
            result.setInfo ("About", "About Kelvaro Mixer", "Help", 0);
            result.addDefaultKeypress ('?', juce::ModifierKeys::noModifiers);
            break;

        case resetCommand:
            result.setInfo ("Reset", TRANS ("Reset Mixer to default"), "Edit", 0);
            result.addDefaultKeypress ('r', juce::ModifierKeys::commandModifier);
            break;

        case advancedCommand:
            result.setInfo ("Advanced", TRANS ("Toggle simple/advanced mode"), "View", 0);
            result.addDefaultKeypress ('a', juce::ModifierKeys::commandModifier);
            break;

        default:
            break;
    }
}

bool MainComponent::perform (const juce::ApplicationCommandTarget::InvocationInfo& info)
{
    switch (info.commandID)
    {
        case aboutCommand:    showAbout();                    return true;
        case resetCommand:    showResetMixerConfirm();        return true;
        case advancedCommand: setAdvancedMode (! isAdvanced()); return true;
        default:              return false;
    }
}

bool MainComponent::keyPressed (const juce::KeyPress& key)
{
    // A keyboard types "?" with Shift: X11 reports the key code '?', Windows the unshifted key's
    // code ('/' on a US layout), both with Shift, which the key mappings compare exactly, so the
    // mapping of "?" alone never matches. The typed character is what counts here. This runs only
    // for keys that nothing in front took: a focused text editor keeps the characters typed into it.
    if (key.getTextCharacter() == '?')
    {
        juce::ApplicationCommandTarget::InvocationInfo info (aboutCommand);
        info.invocationMethod = juce::ApplicationCommandTarget::InvocationInfo::fromKeyPress;
        info.keyPress = key;
        info.isKeyDown = true;
        info.originatingComponent = this;
        return invoke (info, false);
    }

    return juce::Component::keyPressed (key);
}

//==============================================================================
void MainComponent::changeListenerCallback (juce::ChangeBroadcaster*)
{
    auto* backend = HardwareBackend::getInstance();

    if (backend == nullptr)
        return;

    if (backend->isConnected())
    {
        overlay.reset();
        rebuildView();
    }
    else
    {
        // The old view stays underneath; it is rebuilt once an interface is back.
        showNoConnection();
    }
}

bool MainComponent::isAdvanced() const
{
    if (auto* userSettings = settings->appProperties.getUserSettings())
        return userSettings->getBoolValue ("advanced", false);

    return false;
}

void MainComponent::setAdvancedMode (bool advanced)
{
    if (auto* userSettings = settings->appProperties.getUserSettings())
    {
        userSettings->setValue ("advanced", advanced);
        userSettings->saveIfNeeded();
    }

    verticalScrollBar.setVisible (advanced);
    rebuildView();
    settingsComponent.update();   // the Mode box follows the stored mode there
    updateSizeLimits();
}

void MainComponent::updateSizeLimits()
{
    // The display is picked by the view's bounds within its window, as they stand.
    int displayWidth = 165535;
    int displayHeight = 165535;
    std::optional<juce::Rectangle<int>> workArea;
    std::optional<WindowPlacement> placement;

    if (const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (getBounds()))
    {
        workArea = DisplayUserArea::announcedWorkArea();
        const auto area = DisplayUserArea::within (*display, workArea);
        displayWidth = area.getWidth();
        displayHeight = area.getHeight();
        placement.emplace (*display, area, getWindowFrame());
    }

    const auto strips = static_cast<int> (outputContainer.items.size());

    // A maximum below the minimum (no macros, or a display smaller than the minimum) is raised to
    // the minimum: that is what the window makes of it anyway, without complaining about it.
    if (! isAdvanced())
    {
        if (parentWindow != nullptr)
            parentWindow->setResizeLimits (350, 450, juce::jmax (350, 140 * strips + 230), 770);

        setBounds (getX(), getY(), 800, 550);
    }
    else
    {
        const auto rows = static_cast<int> (inputContainer.items.size());
        const auto maximumWidth = juce::jmax (660, displayWidth);
        const auto maximumHeight = juce::jmax (450, displayHeight);

        // The limits are the window's with its frame: the framework keeps the framed window within
        // them (on X11 it announces them to the window manager less the frame).
        if (parentWindow != nullptr)
            parentWindow->setResizeLimits (660, 450, maximumWidth, maximumHeight);

        // Never larger than the window may be: a view beyond the display would put the settings
        // panel and half of the strips off the screen, and the window would fight the size. Nor
        // larger than leaves its frame room on the user area, where the window manager's limit
        // would not see to that.
        const auto largestWidth = placement ? juce::jmax (660, placement->largestWidth (maximumWidth)) : maximumWidth;
        const auto largestHeight = placement ? juce::jmax (450, placement->largestHeight (maximumHeight)) : maximumHeight;

        setBounds (getX(), getY(), juce::jmin ((strips + 5) * 100, largestWidth),
                   juce::jmin (550 + inputRowHeight * rows, largestHeight));
    }

    keepWindowOnScreen (workArea);
    resized();
}

juce::BorderSize<int> MainComponent::getWindowFrame() const
{
    if (parentWindow != nullptr && parentWindow->isOnDesktop())
        if (auto* peer = parentWindow->getPeer())
            if (const auto frameSize = peer->getFrameSizeIfPresent())
                return *frameSize;

    return {};
}

void MainComponent::keepWindowOnScreen (std::optional<juce::Rectangle<int>> workArea)
{
    // The window keeps its position when the view gives it a new size, so a window that grew may
    // reach past the right or bottom edge of its display, taking the settings panel, the scroll bar
    // and the corner resizer with it. It is moved back by what sticks out, counted in physical
    // pixels with the frame the system draws around it, but never past the user area's left or top
    // edge, so that the title bar stays on the screen (a window larger than the area loses its
    // right and bottom). A window that fits stays where it is.
    if (parentWindow == nullptr || ! parentWindow->isOnDesktop())
        return;

    const auto frame = getWindowFrame();
    const auto bounds = parentWindow->getScreenBounds();
    const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (frame.addedTo (bounds));

    if (display == nullptr)
        return;

    const WindowPlacement placement (*display, DisplayUserArea::within (*display, workArea), frame);
    const auto topLeft = placement.topLeftFor (bounds);

    if (topLeft != bounds.getPosition())
        parentWindow->setTopLeftPosition (parentWindow->getX() + topLeft.x - bounds.getX(),
                                          parentWindow->getY() + topLeft.y - bounds.getY());
}

//==============================================================================
void MainComponent::rebuildView()
{
    stopTimer();

    // The containers are out of the window's sight until the new view stands: every item is made,
    // added and placed without a repaint or a window-system question of its own, and each
    // container shows itself (if its view shows it) with one repaint at the end.
    const SimpleContainer::Hold holdOutputs (outputContainer);
    const SimpleContainer::Hold holdInputs (inputContainer);
    const SimpleContainer::Hold holdMatrix (matrixContainer);

    outputContainer.clear();
    inputContainer.clear();
    matrixContainer.clear();

    if (HardwareBackend::getInstance() == nullptr)
    {
        setBounds (getX(), getY(), 600, 400);
        keepWindowOnScreen (DisplayUserArea::announcedWorkArea());
        return;
    }

    if (isAdvanced())
        buildAdvancedView();
    else
        buildSimpleView();

    updateSizeLimits();
    resized();
}

void MainComponent::buildSimpleView()
{
    if (HardwareBackend::getInstance() == nullptr)
        return;

    inputContainer.setVisible (false);
    matrixContainer.setVisible (false);
    verticalScrollBar.setVisible (false);
    layoutResizerBar.setVisible (false);

    for (const auto& macro : settings->macros)
        addItem (outputContainer, std::make_unique<MacroSliderComponent> (Hardware::Macro (macro)));
}

void MainComponent::buildAdvancedView()
{
    auto* backend = HardwareBackend::getInstance();

    if (backend == nullptr)
        return;

    inputContainer.setVisible (true);
    matrixContainer.setVisible (true);
    verticalScrollBar.setVisible (true);
    layoutResizerBar.setVisible (true);

    const auto outputs = backend->getOutputs();

    // One strip per pair of consecutive outputs. An odd count leaves the last output without a
    // partner: its strip pairs it with itself, linked for good (the Link button is on and
    // disabled), so it works as one mono strip whose two faders always agree. Every output
    // keeps its matrix column.
    for (std::size_t k = 0; k < outputs.size(); k += 2)
    {
        const auto hasPartner = k + 1 < outputs.size();
        auto strip = std::make_unique<ChannelComponent> (outputs[k], hasPartner ? outputs[k + 1] : outputs[k]);

        if (! hasPartner)
        {
            strip->linkButton.setToggleState (true, juce::dontSendNotification);
            strip->linkButton.setEnabled (false);
        }

        addItem (outputContainer, std::move (strip));
    }

    matrixContainer.columns = static_cast<std::int32_t> (outputs.size());
    matrixContainer.layout();

    const auto inputs = backend->getInputs();

    for (const auto& input : inputs)
        addItem (inputContainer, std::make_unique<InputComponent> (input));

    for (const auto& input : inputs)
    {
        for (std::size_t column = 0; column < outputs.size(); ++column)
        {
            auto cell = std::make_unique<MatrixComponent> (input, outputs[column]);
            cell->oddColumn = (column % 2) == 1;
            addItem (matrixContainer, std::move (cell));
        }
    }

    const auto rows = static_cast<double> (inputContainer.items.size());
    layoutManager.setItemLayout (0, 60.0, rows * inputRowHeight, -0.5);

    startTimer (meterIntervalMs);
}

//==============================================================================
void MainComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xFF000000));
}

void MainComponent::resized()
{
    const auto width = getWidth();
    const auto height = getHeight();
    double horizontalStep = 0.0;

    if (isAdvanced())
    {
        juce::Component* stacked[] = { &inputContainer, &layoutResizerBar, &settingsComponent };
        layoutManager.layOutComponents (stacked, 3, 0, 0, width - scrollBarThickness, height, true, true);

        const auto panelHeight = settingsComponent.getHeight();
        const auto panel = static_cast<int> (juce::jmax (static_cast<float> (panelHeight) / 3.5f, 200.0f));
        settingsComponent.setBounds (settingsComponent.getX(), settingsComponent.getY(), panel, panelHeight);
        inputContainer.setBounds (inputContainer.getX(), inputContainer.getY(), panel, inputContainer.getHeight());

        const auto cell = juce::jmax (static_cast<float> (panelHeight) / 5.0f, 100.0f);

        const auto barWidth = juce::jmin (scrollBarThickness, width);
        verticalScrollBar.setBounds (width - barWidth, 0, barWidth, juce::jmax (0, height - scrollBarThickness));

        inputContainer.itemHeight = inputRowHeight;
        inputContainer.layout();

        matrixContainer.itemHeight = inputRowHeight;
        matrixContainer.itemWidth = static_cast<std::int32_t> (cell);
        matrixContainer.layout();

        outputContainer.itemWidth = static_cast<std::int32_t> (cell + cell);
        outputContainer.layout();

        horizontalScrollBar.setBounds (settingsComponent.getRight(), height - scrollBarThickness,
                                       width - panel - scrollBarThickness, scrollBarThickness);
        matrixContainer.setBounds (inputContainer.getRight(), inputContainer.getY(),
                                   width - inputContainer.getWidth() - scrollBarThickness, inputContainer.getHeight());
        outputContainer.setBounds (settingsComponent.getRight(), settingsComponent.getY(),
                                   width - panel - scrollBarThickness, panelHeight - scrollBarThickness);

        const auto strips = static_cast<float> (outputContainer.items.size());
        const auto rows = static_cast<double> (inputContainer.items.size());
        horizontalScrollBar.setRangeLimits (0.0, static_cast<double> (2.0f * (strips * cell)));
        verticalScrollBar.setRangeLimits (0.0, rows * inputRowHeight);
        verticalScrollBar.setSingleStepSize (15.0);

        horizontalStep = static_cast<double> (0.25f * cell);
    }
    else
    {
        const auto panel = juce::jmin (width, static_cast<int> (juce::jmax (static_cast<float> (juce::jmax (height, 400)) / 3.5f, 200.0f)));
        settingsComponent.setBounds (0, 0, panel, height);

        const auto barHeight = juce::jmin (scrollBarThickness, height);
        horizontalScrollBar.setBounds (panel, height - barHeight, juce::jmax (0, width - panel - scrollBarThickness), barHeight);

        const auto item = juce::jmax (static_cast<float> (height) / 5.0f, 140.0f);
        outputContainer.itemWidth = static_cast<std::int32_t> (item);
        outputContainer.layout();
        outputContainer.setBounds (panel, 0, width - panel, height - barHeight);

        const auto sliders = static_cast<float> (outputContainer.items.size());
        horizontalScrollBar.setRangeLimits (0.0, static_cast<double> (sliders * item));

        horizontalStep = static_cast<double> (0.25f * item);
    }

    horizontalScrollBar.setSingleStepSize (horizontalStep);
    horizontalScrollBar.setCurrentRange (horizontalScrollBar.getCurrentRangeStart(), outputContainer.getWidth());
    verticalScrollBar.setCurrentRange (verticalScrollBar.getCurrentRangeStart(), inputContainer.getHeight());

    if (overlay != nullptr)
    {
        overlay->setBounds (0, 0, width, height);
        overlay->toFront (true);
    }

    resizableCorner.setBounds (width - scrollBarThickness, height - scrollBarThickness, scrollBarThickness, scrollBarThickness);
    resizableCorner.toFront (false);
}

//==============================================================================
void MainComponent::timerCallback()
{
    auto* backend = HardwareBackend::getInstance();

    if (backend == nullptr || ! backend->isConnected())
        return;

    // One request reads every meter; the rows and strips read their levels as they paint.
    backend->refreshMeters();
    inputContainer.repaint();
    outputContainer.repaint();
}

void MainComponent::scrollBarMoved (juce::ScrollBar* scrollBar, double)
{
    const auto h = static_cast<std::int32_t> (horizontalScrollBar.getCurrentRangeStart());
    const auto v = static_cast<std::int32_t> (verticalScrollBar.getCurrentRangeStart());

    // The strips and the matrix columns move sideways together, the input rows and the matrix
    // lines up and down together.
    if (scrollBar == &horizontalScrollBar)
    {
        outputContainer.offsetX = h;
        outputContainer.layout();
        matrixContainer.offsetX = h;
        matrixContainer.offsetY = v;
        matrixContainer.layout();
    }
    else
    {
        matrixContainer.offsetX = h;
        matrixContainer.offsetY = v;
        matrixContainer.layout();
        inputContainer.offsetY = v;
        inputContainer.layout();
    }
}

//==============================================================================
void MainComponent::setOverlay (std::unique_ptr<juce::Component> newOverlay)
{
    // The new overlay is in place before the old one goes.
    if (newOverlay != nullptr)
        addAndMakeVisible (*newOverlay);

    overlay = std::move (newOverlay);
    resized();
}

void MainComponent::showNoConnection()
{
    auto notice = std::make_unique<OverlayDialogue> (makeOverlayText (*settings, "No Connection Found!\n",
                                                                      "Please connect a compatible Vantiq series interface."));
    notice->yesButton.setVisible (false);
    notice->noButton.setVisible (false);
    setOverlay (std::move (notice));
}

void MainComponent::showResetMixerConfirm()
{
    auto question = std::make_unique<OverlayDialogue> (makeOverlayText (*settings, "Reset Mixer\n",
                                                                        "Do you want to reset the Mixer to its default state?"));
    juce::Component::SafePointer<MainComponent> view (this);

    question->onConfirm = [view]
    {
        if (view != nullptr)
            view->resetMixer();
    };

    // Deletes the question that calls it: nothing may touch the dialogue afterwards.
    question->onCancel = [view]
    {
        if (view != nullptr)
            view->overlay.reset();
    };

    setOverlay (std::move (question));
}

void MainComponent::showAbout()
{
    auto about = std::make_unique<AboutDialogue>();
    juce::Component::SafePointer<MainComponent> view (this);

    about->onClose = [view]
    {
        if (view != nullptr)
            view->overlay.reset();
    };

    setOverlay (std::move (about));
}

void MainComponent::resetMixer()
{
    auto* backend = HardwareBackend::getInstance();

    if (backend == nullptr)
        return;

    const auto inputs = backend->getInputs();
    const auto outputs = backend->getOutputs();

    // Output by output: its crosspoints in input order, then its gain.
    for (const auto& output : outputs)
    {
        for (const auto& input : inputs)
            backend->setCrosspointGain (input, output, Hardware::isDefaultRoute (input, output) ? 1.0f : 0.0f);

        backend->setOutputGain (output, 1.0f);
    }

    rebuildView();
}
