#pragma once

#include "app/WineRepaintPump.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** The application object: one instance, one main window. */
class KRVMixerApplication : public juce::JUCEApplication
{
public:
    KRVMixerApplication();
    ~KRVMixerApplication() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override;

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void systemRequestedQuit() override;
    void anotherInstanceStarted (const juce::String& commandLine) override;

    class MainWindow;

private:
    std::unique_ptr<MainWindow> mainWindow;

    // Only under Wine, where the windows would not repaint otherwise.
    std::unique_ptr<WineRepaintPump> wineRepaintPump;
};
