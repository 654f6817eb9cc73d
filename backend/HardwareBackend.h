#pragma once

#include "backend/DeviceInfo.h"
#include "backend/Hardware.h"

#include <juce_events/juce_events.h>

#include <cstdint>
#include <memory>
#include <vector>

class TUsbAudioApiDll;

/**
    The one process-wide object through which the user interface reaches the attached interface.

    It loads the driver's API library, lists the attached interfaces, opens the selected one, polls
    the driver's plug-and-play and device-settings events once a second and tells its listeners.
    Created on first use, deleted at shut-down; after that getInstance() returns null.
*/
class HardwareBackend : public juce::DeletedAtShutdown
{
public:
    class Pimpl;

    /** Told of device changes; every call arrives on the message thread. */
    class Listener
    {
    public:
        virtual void deviceChanged() = 0;
        virtual void deviceSettingsChanged() = 0;

    protected:
        ~Listener() = default;
    };

    ~HardwareBackend() override;

    void addListener (Listener* listener);
    void removeListener (Listener* listener);

    /** Opens the interface with this serial number, or the first one when it is empty or unknown. */
    void selectDevice (const juce::String& serialNumber);

    /** Opens the interface at this index of the device list, then loads its model's configuration. */
    void openDevice (int index);

    /** True while the driver's library is loaded and an interface is open. */
    bool isConnected() const;

    DeviceInfo getCurrentDevice() const;

    TUsbAudioApiDll& getApi();
    std::uint32_t getDeviceHandle() const;
    std::uint32_t getAsioInstanceIndex() const;

    // Mixer operations. Getters never fail: gains read 0.0, lists come back empty.
    std::vector<Hardware::Channel> getInputs() const;
    std::vector<Hardware::Channel> getOutputs() const;

    void setCrosspointGain (Hardware::Channel input, Hardware::Channel output, float gain);
    float getCrosspointGain (Hardware::Channel input, Hardware::Channel output) const;
    void setCrosspointGains (std::vector<Hardware::MacroNode> crosspoints, float gain);

    void setOutputGain (Hardware::Channel output, float gain);
    float getOutputGain (Hardware::Channel output) const;

    /** The channel's level in dB from the last meter read: -120.0 (nothing lit) when not connected,
        before the open interface's first successful read, and for a channel without an entry. */
    float getMeterLevel (Hardware::Channel channel) const;

    /** Reads the whole meter block from the interface with one request. */
    void refreshMeters();

    std::vector<std::uint32_t> getBufferSizes() const;

    JUCE_DECLARE_SINGLETON (HardwareBackend, true)

private:
    HardwareBackend();

    std::unique_ptr<Pimpl> pimpl;
    juce::ListenerList<Listener> listeners;

    friend class Pimpl;

    // Gives the tests the private part, so that they can drive the poll without waiting for the
    // timer; the program itself never uses it.
    friend struct HardwareBackendTestAccess;

    JUCE_DECLARE_NON_COPYABLE (HardwareBackend)
};
