#pragma once

#include "backend/Settings.h"
#include "ui/KRVLookAndFeel.h"
#include "ui/ScrollBarLookAndFeel.h"
#include "ui/ScrollWheelListener.h"
#include "ui/SettingsComponent.h"
#include "ui/SimpleContainer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <optional>

/**
    The content of the main window: the settings panel, the simple or advanced mixer view with its
    scroll bars and layout, the keyboard commands, and at most one overlay in front of it all.
*/
class MainComponent : public juce::Component,
                      public juce::ApplicationCommandTarget,
                      public juce::ChangeListener,
                      public juce::Timer,
                      public juce::ScrollBar::Listener
{
public:
    enum CommandIDs
    {
        aboutCommand    = 100,
        resetCommand    = 101,
        advancedCommand = 102
    };

    explicit MainComponent (juce::ResizableWindow* parentWindow);
    ~MainComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Runs "About" for every key press that types "?", whatever key and Shift state give it. */
    bool keyPressed (const juce::KeyPress& key) override;

    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands (juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result) override;
    bool perform (const juce::ApplicationCommandTarget::InvocationInfo& info) override;

    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    void timerCallback() override;
    void scrollBarMoved (juce::ScrollBar* scrollBar, double newRangeStart) override;

    /** Stores the mode, rebuilds the view and sets the window's limits for it. */
    void setAdvancedMode (bool advanced);

    /** Sets the window's resize limits and the view's size for the current mode. */
    void updateSizeLimits();

    /** Empties and rebuilds the simple or advanced view for the current mode. */
    void rebuildView();

    /** Shows the given component in front of everything, replacing any earlier overlay. */
    void setOverlay (std::unique_ptr<juce::Component> newOverlay);

    void showNoConnection();
    void showResetMixerConfirm();
    void showAbout();

    /** Sets every crosspoint and output gain to the default routing, then rebuilds the view. */
    void resetMixer();

    // The view's parts, in construction order. Open so that the settings panel can reach the
    // command manager and tests can check the layout.
    juce::ResizableWindow* parentWindow;
    std::shared_ptr<Settings> settings;
    KRVLookAndFeel mainLookAndFeel;
    ScrollBarLookAndFeel scrollBarLookAndFeel;
    juce::ApplicationCommandManager commandManager;
    SettingsComponent settingsComponent;
    juce::ScrollBar horizontalScrollBar { false };
    juce::ScrollBar verticalScrollBar { true };
    juce::ResizableCornerComponent resizableCorner;
    juce::StretchableLayoutManager layoutManager;
    juce::StretchableLayoutResizerBar layoutResizerBar;
    std::unique_ptr<juce::Component> overlay;
    ScrollWheelListener wheelListener;
    SimpleContainer outputContainer { SimpleContainer::row };
    SimpleContainer inputContainer { SimpleContainer::column };
    SimpleContainer matrixContainer { SimpleContainer::grid };
    juce::TooltipWindow tooltipWindow;

private:
    void buildSimpleView();
    void buildAdvancedView();
    bool isAdvanced() const;

    /** Moves the window just enough that it lies on its display's user area, title bar and frame
        included, when its new size took it past an edge; a window that fits stays where it is.
        workArea: what the window manager announces (DisplayUserArea::announcedWorkArea). */
    void keepWindowOnScreen (std::optional<juce::Rectangle<int>> workArea);

    /** The frame that the window manager draws around the window, as the window's peer reports
        it; none for a window that is not on the desktop or has no frame. */
    juce::BorderSize<int> getWindowFrame() const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};
