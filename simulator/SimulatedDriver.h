#pragma once

#include "driver/TUsbAudioApi.h"
#include "simulator/Journal.h"
#include "simulator/SimulatedDevice.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

/**
    The state of the simulated driver behind its exported functions: the attached interfaces,
    the driver's enumeration of them, the handles given out, the API and protocol versions, the
    failures a test asked for, the notification registrations and the DSP request journal.

    One per loaded library. Every exported function holds `mutex` while it works.
*/
class SimulatedDriver
{
public:
    static SimulatedDriver& getInstance();

    SimulatedDriver (const SimulatedDriver&) = delete;
    SimulatedDriver& operator= (const SimulatedDriver&) = delete;

    /** Back to the state after loading (handles given out before stay invalid). */
    void reset();

    std::recursive_mutex mutex;

    //==============================================================================
    std::uint32_t getApiVersion() const noexcept { return apiVersion; }
    void setApiVersion (std::uint32_t major, std::uint32_t minor) noexcept;

    /** Non-zero when the served version is at least major.minor. */
    bool servesApiVersion (std::uint32_t major, std::uint32_t minor) const noexcept;

    void setProtocolVersion (std::uint32_t version, std::uint32_t word2);

    //==============================================================================
    /** Attaches an interface at the end of the list and returns its interface number. */
    std::size_t attach (SimulatedDevice::Model model);
    bool detach (std::size_t index);

    std::size_t getAttachedCount() const noexcept { return devices.size(); }
    SimulatedDevice* getAttached (std::size_t index) const noexcept;

    /** The driver's enumeration: the interfaces attached now, in order. */
    void enumerate();
    std::size_t getEnumeratedCount() const noexcept { return enumerated.size(); }

    //==============================================================================
    TUsbAudioStatus open (std::uint32_t index, TUsbAudioHandle& handle);
    TUsbAudioStatus close (TUsbAudioHandle handle);

    /** The interface a handle is open on, or null with the status to answer. */
    SimulatedDevice* deviceOf (TUsbAudioHandle handle, TUsbAudioStatus& status) const;

    SimulatedDevice* deviceOfAsioInstance (std::uint32_t instance) const noexcept;
    SimulatedDevice* deviceOfAsioId (std::uint32_t instanceId) const noexcept;

    std::size_t getOpenHandleCount() const noexcept { return handles.size(); }

    //==============================================================================
    /** Makes an entry point (its name without "TUSBAUDIO_") answer `status`; 0 clears it. */
    void setFailure (const std::string& entryPoint, TUsbAudioStatus status);
    TUsbAudioStatus failureOf (const char* entryPoint) const;

    //==============================================================================
    bool pnpRegistered = false;

    /** Signals "deviceSettingsChange" if the interface's settings notification is registered. */
    void settingsChanged (const SimulatedDevice& device) const;

    /** The text before the names of the events this library signals: empty (the driver's names)
        unless the loading process gave its own (KSIM_SetEventPrefix). A reset keeps it. */
    std::string eventPrefix;

    Journal journal;

private:
    SimulatedDriver();

    void attachDefaults();
    void pnpChanged() const;
    static void signal (const char* eventName);

    std::uint32_t apiVersion = 0;
    std::uint32_t protocolVersion = 0;
    std::uint32_t protocolWord2 = 0;
    std::uint32_t nextNumber = 1;
    TUsbAudioHandle nextHandle = 0x00010001;

    std::vector<std::shared_ptr<SimulatedDevice>> devices;
    std::vector<std::weak_ptr<SimulatedDevice>> enumerated;
    std::map<TUsbAudioHandle, std::weak_ptr<SimulatedDevice>> handles;
    std::map<std::string, TUsbAudioStatus> failures;
};
