#include "app/KRVMixerApplication.h"

class KRVMixerApplication::MainWindow : public juce::DocumentWindow
{
public:
    explicit MainWindow (const juce::String& name)
        : DocumentWindow (name, juce::Colours::black, DocumentWindow::minimiseButton | DocumentWindow::closeButton)
    {
        setUsingNativeTitleBar (true);
        setResizable (true, false);
        centreWithSize (800, 550);
        setVisible (true);
    }

    void closeButtonPressed() override
    {
        juce::JUCEApplication::getInstance()->systemRequestedQuit();
    }
};

KRVMixerApplication::KRVMixerApplication() = default;
KRVMixerApplication::~KRVMixerApplication() = default;

const juce::String KRVMixerApplication::getApplicationName()    { return "Kelvaro Audio Mixer"; }
const juce::String KRVMixerApplication::getApplicationVersion() { return "1.0.4"; }
bool KRVMixerApplication::moreThanOneInstanceAllowed()          { return false; }

void KRVMixerApplication::initialise (const juce::String&)
{
    mainWindow = std::make_unique<MainWindow> (getApplicationName());
}

void KRVMixerApplication::shutdown()
{
    mainWindow = nullptr;
}

void KRVMixerApplication::systemRequestedQuit()
{
    quit();
}

void KRVMixerApplication::anotherInstanceStarted (const juce::String&) {}
