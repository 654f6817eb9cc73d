#include "app/KRVMixerApplication.h"

#include "app/MainComponent.h"
#include "platform/WinHost.h"

/** The one top-level window: native title bar, minimise and close only, resized by its frame. */
class KRVMixerApplication::MainWindow : public juce::DocumentWindow
{
public:
    explicit MainWindow (const juce::String& name)
        : DocumentWindow (name,
                          juce::Desktop::getInstance().getDefaultLookAndFeel()
                              .findColour (juce::ResizableWindow::backgroundColourId),
                          DocumentWindow::minimiseButton | DocumentWindow::closeButton,
                          false)
    {
        setUsingNativeTitleBar (true);

        // The main view sets its own size and this window's limits while it is being built.
        setContentOwned (new MainComponent (this), true);

        // The main view places its own corner resizer.
        setResizable (true, false);
        centreWithSize (getWidth(), getHeight());

        // The window system hears of the window only now, at its size and place. On the desktop
        // from the start, the framework's X11 peer shows a bare 128 x 128 window in the screen's
        // corner for as long as the view takes to build (the native title bar's and the frame's
        // changes each make a new window and bring it to the front), and then replaces it.
        addToDesktop();
        setVisible (true);
    }

    void closeButtonPressed() override
    {
        juce::JUCEApplication::getInstance()->systemRequestedQuit();
    }

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
};

KRVMixerApplication::KRVMixerApplication() = default;

KRVMixerApplication::~KRVMixerApplication()
{
    mainWindow = nullptr;
}

const juce::String KRVMixerApplication::getApplicationName()    { return "Kelvaro Audio Mixer"; }
const juce::String KRVMixerApplication::getApplicationVersion() { return JUCE_APPLICATION_VERSION_STRING; }
bool KRVMixerApplication::moreThanOneInstanceAllowed()          { return false; }

void KRVMixerApplication::initialise (const juce::String&)
{
    if (win::isRunningUnderWine())
        wineRepaintPump = std::make_unique<WineRepaintPump>();

    mainWindow = std::make_unique<MainWindow> (getApplicationName());
}

void KRVMixerApplication::shutdown()
{
    mainWindow = nullptr;
    wineRepaintPump = nullptr;
}

void KRVMixerApplication::systemRequestedQuit()
{
    quit();
}

void KRVMixerApplication::anotherInstanceStarted (const juce::String&) {}
