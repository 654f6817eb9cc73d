#pragma once

#include "driver/TUsbAudioApiDll.h"
#include "simulator/SimulatorControl.h"

#include <cstdint>
#include <string>
#include <vector>

/**
    The simulated interface library, loaded for one test.

    The constructor registers the library in the registry (on Linux the stand-in registry file under
    the test's HOME, as tools/register-driver.sh writes it), loads it through `api` the way the program finds the driver
    (LoadFromRegistry, or LoadDll with its path should that fail), looks up the KSIM_ control
    functions, gives the simulator this process's event names (KSIM_SetEventPrefix with the prefix
    of TestEventNames) and resets it to its defaults: one TROVIK and one Pexa attached, API 5.12,
    protocol 2, an empty journal.

    Code under test that loads the driver library itself (the hardware backend) gets the same module
    and so the same simulated interfaces; the harness keeps the library loaded until it goes.

        SimulatorHarness sim;
        sim.KSIM_SetChannelCounts (0, counts);
        const auto handle = sim.open (0);
        ... sim.api.TUSBAUDIO_SetDspProperty (handle, request, size) ...
        EXPECT_EQ (sim.journal().back().hex(), "4D000000C8000000...");
*/
class SimulatorHarness
{
public:
    SimulatorHarness();
    ~SimulatorHarness();

    SimulatorHarness (const SimulatorHarness&) = delete;
    SimulatorHarness& operator= (const SimulatorHarness&) = delete;

    /** Writes the registry key that points the program at the simulated library. */
    static void registerLibrary();

    /** The simulated library's path, as the loader takes it. */
    static std::u16string libraryPath();

    /** True when the library is loaded with every entry point and every control function. */
    bool isReady() const noexcept { return ready; }

    /** Enumerates and opens interface `index` through the driver; 0 when that fails. */
    TUsbAudioHandle open (std::uint32_t index);

    struct JournalEntry
    {
        std::string entryPoint;
        std::vector<std::uint8_t> bytes;
        std::uint32_t status = 0;

        /** The bytes as upper-case hex without spaces, "4D000000C8000000...". */
        std::string hex() const;
    };

    /** Every DSP request the simulator received since the last reset or KSIM_ClearJournal. */
    std::vector<JournalEntry> journal() const;

    static std::string hex (const std::uint8_t* bytes, std::size_t size);

    /** The bytes that a hex text names, two digits a byte; spaces are skipped. */
    static std::vector<std::uint8_t> bytes (const std::string& hex);

    TUsbAudioApiDll api;
    TUsbAudioStatus loadStatus = 0;

    KSIM_Reset_t                 KSIM_Reset = nullptr;
    KSIM_AttachDevice_t          KSIM_AttachDevice = nullptr;
    KSIM_DetachDevice_t          KSIM_DetachDevice = nullptr;
    KSIM_GetAttachedCount_t      KSIM_GetAttachedCount = nullptr;
    KSIM_SetSerialNumber_t       KSIM_SetSerialNumber = nullptr;
    KSIM_SetApiVersion_t         KSIM_SetApiVersion = nullptr;
    KSIM_SetProtocolVersion_t    KSIM_SetProtocolVersion = nullptr;
    KSIM_SetChannelCounts_t      KSIM_SetChannelCounts = nullptr;
    KSIM_FailEntryPoint_t        KSIM_FailEntryPoint = nullptr;
    KSIM_SetInputLevel_t         KSIM_SetInputLevel = nullptr;
    KSIM_GetCrosspointGain_t     KSIM_GetCrosspointGain = nullptr;
    KSIM_GetOutputGain_t         KSIM_GetOutputGain = nullptr;
    KSIM_GetMetersEnabled_t      KSIM_GetMetersEnabled = nullptr;
    KSIM_GetPnpRegistered_t      KSIM_GetPnpRegistered = nullptr;
    KSIM_GetSettingsRegistered_t KSIM_GetSettingsRegistered = nullptr;
    KSIM_GetOpenHandleCount_t    KSIM_GetOpenHandleCount = nullptr;
    KSIM_GetJournalSize_t        KSIM_GetJournalSize = nullptr;
    KSIM_GetJournalEntry_t       KSIM_GetJournalEntry = nullptr;
    KSIM_ClearJournal_t          KSIM_ClearJournal = nullptr;
    KSIM_SetEventPrefix_t        KSIM_SetEventPrefix = nullptr;

private:
    bool resolveControl();

    bool ready = false;
};
