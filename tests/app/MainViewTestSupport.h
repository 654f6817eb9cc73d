#pragma once

#include "app/MainComponent.h"
#include "backend/HardwareBackend.h"
#include "backend/Settings.h"
#include "platform/WinHost.h"
#include "support/platform/TestEnvironment.h"
#include "support/HardwareBackendTestAccess.h"
#include "support/SimulatorHarness.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

/**
    A main view in a window like the application's: native title bar (so the window is exactly its
    content), the view as owned content that the window follows. The window is not put on the
    desktop unless asked, so the tests run without a display.

    Every test runs in a process of its own: the backend is created once per process, by the first
    view, so the simulator has to be set up before the view is opened.
*/
class MainViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The framework would try the display ":0.0" without DISPLAY. These views are meant to
        // run without any: no display, no work area, the same numbers on every machine.
        win::setEnvironmentVariable ("DISPLAY", ":65535");
    }

    void TearDown() override { closeView(); }

    /** Loads the simulated driver library: one TROVIK and one Pexa attached. */
    void startSimulator()
    {
        sim = std::make_unique<SimulatorHarness>();
        ASSERT_TRUE (sim->isReady());
    }

    /** Channel counts of interface `device`, in property order: device outputs, device inputs,
        application playback, application recording, virtual playback, virtual recording. */
    void setCounts (std::uint32_t device, std::array<std::uint32_t, 6> counts)
    {
        ASSERT_EQ (sim->KSIM_SetChannelCounts (device, counts.data()), 0u);
    }

    /** Leaves only the TROVIK attached, so that unplugging it leaves none. */
    void keepOnlyFirstInterface()
    {
        ASSERT_EQ (sim->KSIM_DetachDevice (1), 0u);
    }

    void storeMode (bool advanced)
    {
        settings->appProperties.getUserSettings()->setValue ("advanced", advanced);
    }

    void openView (bool onDesktop = false)
    {
        window = std::make_unique<juce::DocumentWindow> ("Kelvaro Audio Mixer", juce::Colours::black,
                                                        juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton,
                                                        onDesktop);
        window->setUsingNativeTitleBar (true);
        view = new MainComponent (window.get());
        window->setContentOwned (view, true);
        window->setResizable (true, false);
    }

    /** Opens the view and lets the message loop deliver what start-up left pending (the Mode
        box's first notification, which rebuilds the view once). */
    void openViewAndSettle()
    {
        openView();
        pump();
    }

    void closeView()
    {
        window.reset();
        view = nullptr;
    }

    HardwareBackend& backend() { return *HardwareBackend::getInstance(); }

    /** Runs the backend's plug-and-play poll now, as its one-second timer would, then lets the
        settings panel's change message arrive. */
    void pollBackend()
    {
        HardwareBackendTestAccess::pimpl (backend()).timerCallback();
        pump();
    }

    static void pump (int milliseconds = 50)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    /** A value as the user settings file on disk holds it ("" when absent). The file is the
        settings store's own, in ~/.config/Kelvaro under the test's home folder (on Windows in
        the application-data folder). */
    juce::String storedValue (const juce::String& key) const
    {
        const auto file = settings->appProperties.getUserSettings()->getFile();
        const auto folder = win::isWindowsBuild
                              ? juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                              : juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".config");
        EXPECT_EQ (file.getParentDirectory(), folder.getChildFile ("Kelvaro"));

        if (const auto xml = juce::parseXML (file))
            for (auto* value : xml->getChildWithTagNameIterator ("VALUE"))
                if (value->getStringAttribute ("name") == key)
                    return value->getStringAttribute ("val");

        return {};
    }

    /** The DSP requests of one entry point since the journal was last cleared, as hex. */
    std::vector<std::string> requests (const std::string& entryPoint) const
    {
        std::vector<std::string> result;

        for (const auto& entry : sim->journal())
            if (entry.entryPoint == entryPoint)
                result.push_back (entry.hex());

        return result;
    }

    /** Marks the widgets of the view as it stands, to tell later whether it was rebuilt (a new
        widget may well get the address of a deleted one, so addresses tell nothing). */
    void markItems()
    {
        for (auto& item : view->outputContainer.items)
            item->getProperties().set ("builtBefore", true);
    }

    bool itemsAreMarked() const
    {
        return ! view->outputContainer.items.empty()
            && view->outputContainer.items.front()->getProperties().contains ("builtBefore");
    }

    template <typename ComponentType>
    ComponentType* overlayAs() const
    {
        return dynamic_cast<ComponentType*> (view->overlay.get());
    }

    template <typename ComponentType>
    static ComponentType& item (SimpleContainer& container, std::size_t index)
    {
        auto* component = dynamic_cast<ComponentType*> (container.items.at (index).get());
        EXPECT_NE (component, nullptr);
        return *component;
    }

    // Declared in this order so that the window goes first, then the simulator, then the settings.
    std::shared_ptr<Settings> settings = Settings::getInstance();
    std::unique_ptr<SimulatorHarness> sim;
    std::unique_ptr<juce::DocumentWindow> window;
    MainComponent* view = nullptr;
};
