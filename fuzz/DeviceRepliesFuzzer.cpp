// Fuzz target: replies of a hostile or broken device.
//
// The hardware backend talks to a driver (ScriptedDriver) whose every answer comes from the fuzz
// input: statuses, device counts, handles, properties records with or without terminators, ASIO
// records with any count, DSP replies with any version, channel counts, gains and meter bytes, or
// garbage over the whole request. The backend lists and opens interfaces, reads gains, refreshes
// and reads meters, lists buffer sizes, sets gains, and handles plug-and-play and settings events;
// the settings panel reopens and lists sample rates and buffer sizes: in the order the input
// says, the way the program does it. Nothing may crash,
// read or write out of bounds, trust a count beyond its buffer, send on a closed handle or leave a
// handle open once the backend is gone.

#include "fuzz/FuzzTarget.h"

#include "app/MainComponent.h"
#include "backend/HardwareBackend.h"
#include "backend/HardwareBackendPimpl.h"
#include "backend/Settings.h"
#include "fuzz/ScriptedDriver.h"
#include "platform/WinEvents.h"
#include "platform/driverside/WinEventSignals.h"
#include "support/platform/TestEventNames.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <unistd.h>

/** Gives the fuzz target the backend's private part, so that each input gets a fresh one. */
struct HardwareBackendTestAccess
{
    static std::unique_ptr<HardwareBackend::Pimpl>& pimpl (HardwareBackend& backend) { return backend.pimpl; }
};

namespace
{
/** A home of its own (no registry file, so the backend loads no library by itself), event names
    of its own, as the test processes have, and no display. */
bool isolateProcess()
{
    char pattern[] = "/tmp/kelvaro-fuzz-home-XXXXXX";

    if (const char* home = ::mkdtemp (pattern))
        ::setenv ("HOME", home, 1);

    win::TestEventNames::useOwn ("fuzz");
    ::setenv ("DISPLAY", ":65535", 1);
    return true;
}

/** The program as far as it meets the device: the backend, and the main view with its settings
    panel, which is the backend's listener and reads sample rates and buffer sizes itself. */
struct Fixture
{
    Fixture()
    {
        settings->loadDefaultConfig();
        backend = HardwareBackend::getInstance();
        view = std::make_unique<MainComponent> (nullptr);
    }

    ~Fixture()
    {
        view.reset();

        // What the framework's shut-down would do: the backend and the typeface caches go.
        juce::DeletedAtShutdown::deleteAll();
        juce::File (juce::SystemStats::getEnvironmentVariable ("HOME", {})).deleteRecursively();
    }

    bool isolated = isolateProcess();
    juce::ScopedJuceInitialiser_GUI gui;
    std::shared_ptr<Settings> settings = Settings::getInstance();
    HardwareBackend* backend = nullptr;
    std::unique_ptr<MainComponent> view;
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void require (bool condition, const char* what)
{
    if (! condition)
        ScriptedDriver::fail (what);
}

/** A few channels of a list: the first, the last and some between. */
std::vector<Hardware::Channel> sample (const std::vector<Hardware::Channel>& channels, std::size_t most)
{
    if (channels.size() <= most)
        return channels;

    std::vector<Hardware::Channel> some;

    for (std::size_t i = 0; i < most; ++i)
        some.push_back (channels[i * (channels.size() - 1) / (most - 1)]);

    return some;
}

void checkChannels (const HardwareBackend& backend)
{
    const auto inputs = backend.getInputs();
    const auto outputs = backend.getOutputs();

    // Three kinds each, never more than the backend's limit per kind.
    require (inputs.size() <= 3 * 256 && outputs.size() <= 3 * 256, "channel list longer than the limit");

    if (! backend.isConnected())
        require (inputs.empty() && outputs.empty(), "channels listed while not connected");
}

void readGains (HardwareBackend& backend)
{
    const auto inputs = sample (backend.getInputs(), 6);
    const auto outputs = sample (backend.getOutputs(), 6);

    for (const auto& output : outputs)
    {
        require (std::isfinite (backend.getOutputGain (output)), "an output gain is not finite");

        for (const auto& input : inputs)
            require (std::isfinite (backend.getCrosspointGain (input, output)), "a crosspoint gain is not finite");
    }
}

void meterTick (HardwareBackend& backend)
{
    backend.refreshMeters();

    for (const auto& list : { backend.getInputs(), backend.getOutputs() })
    {
        for (const auto& channel : list)
        {
            const auto level = backend.getMeterLevel (channel);
            require (level >= -327.68f && level <= 327.67f, "a meter level outside what 16 bits hold");
        }
    }

    // Channels that the block has no entry for.
    for (auto kind : { 0, 1, 2, 3, 4, 5, 6, 7, -1 })
        for (auto index : { -1, 255, 256, 100000 })
            require (std::isfinite (backend.getMeterLevel ({ static_cast<Hardware::ChannelKind> (kind), index })),
                     "a level without an entry");
}

void listRatesAndSizes (HardwareBackend& backend, SettingsComponent& panel)
{
    const auto sizes = backend.getBufferSizes();
    require (sizes.size() <= TUsbAudioAsioInstanceInfo::maxBufferSizes, "more buffer sizes than the record holds");

    // The settings panel fills its lists from the driver's sample rates and the ASIO record.
    panel.update();
    require (panel.bufferSizeBox.getNumItems() <= static_cast<int> (TUsbAudioAsioInstanceInfo::maxBufferSizes),
             "more buffer sizes listed than the record holds");
    require (panel.sampleRateBox.getNumItems() <= 32, "more sample rates listed than the panel asked for");
}

void setGains (HardwareBackend& backend, ScriptedDriver& driver)
{
    const auto inputs = backend.getInputs();
    const auto outputs = backend.getOutputs();
    const float gains[] = { 0.0f, 0.5f, 1.0f, 127.99f, -1.0f, 1.0e30f, -1.0e30f, std::nanf (""), INFINITY };
    const auto gain = gains[driver.byte() % std::size (gains)];

    if (! inputs.empty() && ! outputs.empty())
        backend.setCrosspointGain (inputs[driver.byte() % inputs.size()], outputs[driver.byte() % outputs.size()], gain);

    if (! outputs.empty())
        backend.setOutputGain (outputs[driver.byte() % outputs.size()], gain);

    // A macro as the configuration gives it: any kinds and indices.
    std::vector<Hardware::MacroNode> nodes;

    for (int i = driver.byte() % 4; i > 0; --i)
        nodes.push_back ({ driver.byte() % 8 - 1, static_cast<std::int8_t> (driver.byte()),
                           driver.byte() % 8 - 1, static_cast<std::int8_t> (driver.byte()) });

    backend.setCrosspointGains (nodes, gain);
}

/** What the settings panel does on a device change: reopen the saved interface if none is open. */
void reopen (HardwareBackend& backend, HardwareBackend::Pimpl& pimpl, ScriptedDriver& driver)
{
    if (backend.isConnected())
        return;

    const auto choice = driver.byte();
    juce::String serial;

    if (choice < 0x80 && ! pimpl.devices.empty())
        serial = pimpl.devices[choice % pimpl.devices.size()].serialNumber;

    backend.selectDevice (serial);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto& backend = *fixture().backend;
    auto& panel = fixture().view->settingsComponent;
    auto& slot = HardwareBackendTestAccess::pimpl (backend);

    ScriptedDriver driver (data, size);

    // A fresh private part finds no library in the registry; the scripted driver stands in for one
    // and the steps that the constructor takes once a library is loaded follow.
    slot = std::make_unique<HardwareBackend::Pimpl> (backend);
    auto& pimpl = *slot;
    driver.install (pimpl.api);

    pimpl.api.TUSBAUDIO_EnumerateDevices();
    pimpl.scanDevices();
    const bool polling = pimpl.api.TUSBAUDIO_RegisterPnpNotification (pimpl.pnpEvent, pimpl.pnpEvent, nullptr, 0, 0) == 0;

    require (pimpl.devices.size() <= 256, "more devices listed than the backend believes");

    // The main view's start-up.
    reopen (backend, pimpl, driver);

    for (int step = 0; step < 48 && ! driver.exhausted(); ++step)
    {
        switch (driver.byte() % 7)
        {
            case 0: readGains (backend); break;
            case 1: meterTick (backend); break;
            case 2: listRatesAndSizes (backend, panel); break;
            case 3: setGains (backend, driver); break;

            case 4:
            case 5:
                // The settings panel, the backend's listener, opens an interface again after a
                // plug-and-play change and reads the lists again after a settings change.
                if (polling)
                {
                    win::SetEvent (driver.byte() % 2 == 0 ? pimpl.pnpEvent : pimpl.settingsEvent);
                    pimpl.timerCallback();
                }
                break;

            default:
                reopen (backend, pimpl, driver);
                break;
        }

        checkChannels (backend);
    }

    // The named events outlive this backend; the next input's must not find them signalled.
    const win::HANDLE events[] = { pimpl.pnpEvent, pimpl.settingsEvent };

    while (win::WaitForMultipleObjects (2, events, 0, 0) < 2)
    {
    }

    ScriptedDriver::release (pimpl.api);
    slot.reset();
    driver.checkAllClosed();

    // The backend is left whole, with a private part that has no library.
    slot = std::make_unique<HardwareBackend::Pimpl> (backend);
    return 0;
}
