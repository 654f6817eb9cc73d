#pragma once

#include "backend/DeviceInfo.h"
#include "backend/Hardware.h"
#include "backend/HardwareBackend.h"
#include "driver/DspMixerAccess.h"
#include "driver/TUsbAudioApiDll.h"
#include "platform/WinTypes.h"

#include <juce_events/juce_events.h>

#include <cstdint>
#include <vector>

/**
    The backend's private part: the driver library, the device list, the open interface, the DSP
    accessor and the two named events that the driver signals, polled once a second.
*/
class HardwareBackend::Pimpl : public juce::Timer
{
public:
    explicit Pimpl (HardwareBackend& owner);
    ~Pimpl() override;

    /** Looks at both events without waiting and handles at most one of them. */
    void timerCallback() override;

    bool isLoaded() const noexcept { return api.module != nullptr; }
    bool isConnected() const noexcept { return isLoaded() && currentDeviceIndex >= 0; }

    void scanDevices();
    void open (int index);

    std::vector<Hardware::Channel> getChannels (Hardware::ChannelKind kind) const;

    void setCrosspointGain (Hardware::Channel input, Hardware::Channel output, float gain);
    float getCrosspointGain (Hardware::Channel input, Hardware::Channel output);
    void setCrosspointGains (const std::vector<Hardware::MacroNode>& crosspoints, float gain);
    void setOutputGain (Hardware::Channel output, float gain);
    float getOutputGain (Hardware::Channel output);
    float getMeterLevel (Hardware::Channel channel) const;
    void refreshMeters();
    std::vector<std::uint32_t> getBufferSizes() const;

    HardwareBackend& owner;
    std::vector<DeviceInfo> devices;
    int currentDeviceIndex = -1;
    DeviceInfo currentDevice;
    // Null when the event could not be created: without the first no device changes are looked
    // for, without the second no settings notification is asked for.
    win::HANDLE pnpEvent = nullptr;
    win::HANDLE settingsEvent = nullptr;
    TUsbAudioApiDll api;
    DspMixerAccess dsp;
    std::uint32_t deviceHandle = 0;
    std::uint32_t asioInstanceIndex = 0;

    /** Set when the plug-and-play path has closed the interface whose handle the DSP accessor still
        holds; until the next open nothing is sent through that dead handle. */
    bool accessorHandleClosed = false;

    /** Set once a meter read of the open interface has succeeded. Until then the meter block holds
        the levels 0 that it was laid out with, which would show every meter at full scale. */
    bool meterLevelsRead = false;

private:
    /** The auto-reset event of this name, or null when it cannot be created; the trace log then
        says which event and why. */
    static win::HANDLE createEvent (const char* name);

    /** Drops the DSP accessor's dead handle, counts and meter block without sending anything. */
    void forgetAccessorDevice();

    /** Sends one single-crosspoint or output-gain request; false when it could not be sent. */
    bool sendDspRequest (bool isSet, void* request, std::uint32_t size);

    JUCE_DECLARE_NON_COPYABLE (Pimpl)
};
