#include "simulator/SimulatedDriver.h"

#include "driver/DspProtocol.h"
#include "platform/WinEvents.h"
#include "platform/driverside/WinEventSignals.h"
#include "simulator/SimulatorControl.h"
#include "simulator/SimulatorEnvironment.h"

#include <sstream>
#include <string>

namespace
{
constexpr std::uint32_t defaultApiVersion = (5u << 16) | 12u;
constexpr std::uint32_t defaultProtocolWord2 = 1;
} // namespace

SimulatedDriver& SimulatedDriver::getInstance()
{
    static SimulatedDriver driver;
    return driver;
}

SimulatedDriver::SimulatedDriver()
{
    reset();
}

void SimulatedDriver::reset()
{
    apiVersion = defaultApiVersion;
    protocolVersion = DspProtocol::supportedProtocolVersion;
    protocolWord2 = defaultProtocolWord2;
    nextNumber = 1;
    pnpRegistered = false;

    devices.clear();
    handles.clear();
    failures.clear();
    journal.clear();

    attachDefaults();
    enumerate();
}

void SimulatedDriver::attachDefaults()
{
    // An empty list attaches none, so it must be told from an unset variable (which Windows' C
    // runtime cannot).
    std::string list;

    if (! SimulatorEnvironment::read ("KELVARO_SIM_DEVICES", list))
    {
        attach (SimulatedDevice::Model::trovik);
        attach (SimulatedDevice::Model::pexa);
        return;
    }

    std::istringstream names (list);

    for (std::string name; std::getline (names, name, ',');)
    {
        const auto first = name.find_first_not_of (" \t");
        const auto last = name.find_last_not_of (" \t");

        if (first == std::string::npos)
            continue;

        if (SimulatedDevice::Model model; SimulatedDevice::modelFromName (name.substr (first, last - first + 1), model))
            attach (model);
    }
}

//==============================================================================
void SimulatedDriver::setApiVersion (std::uint32_t major, std::uint32_t minor) noexcept
{
    apiVersion = ((major & 0xFFFFu) << 16) | (minor & 0xFFFFu);
}

bool SimulatedDriver::servesApiVersion (std::uint32_t major, std::uint32_t minor) const noexcept
{
    const auto served = std::make_pair (apiVersion >> 16, apiVersion & 0xFFFFu);
    return served >= std::make_pair (major, minor);
}

void SimulatedDriver::setProtocolVersion (std::uint32_t version, std::uint32_t word2)
{
    protocolVersion = version;
    protocolWord2 = word2;

    for (auto& device : devices)
    {
        device->protocolVersion = version;
        device->protocolWord2 = word2;
    }
}

//==============================================================================
std::size_t SimulatedDriver::attach (SimulatedDevice::Model model)
{
    devices.push_back (std::make_shared<SimulatedDevice> (model, nextNumber++, protocolVersion, protocolWord2));
    pnpChanged();
    return devices.size() - 1;
}

bool SimulatedDriver::detach (std::size_t index)
{
    if (index >= devices.size())
        return false;

    devices.erase (devices.begin() + static_cast<std::ptrdiff_t> (index));
    pnpChanged();
    return true;
}

SimulatedDevice* SimulatedDriver::getAttached (std::size_t index) const noexcept
{
    return index < devices.size() ? devices[index].get() : nullptr;
}

void SimulatedDriver::enumerate()
{
    enumerated.assign (devices.begin(), devices.end());
}

//==============================================================================
TUsbAudioStatus SimulatedDriver::open (std::uint32_t index, TUsbAudioHandle& handle)
{
    if (index >= enumerated.size())
        return TUsbAudioStatusCode::invalidParameter;

    auto device = enumerated[index].lock();

    if (device == nullptr)
        return simulatorDeviceGone;

    handle = nextHandle++;

    if (nextHandle == 0)
        nextHandle = 1;

    handles[handle] = device;
    return TUsbAudioStatusCode::success;
}

TUsbAudioStatus SimulatedDriver::close (TUsbAudioHandle handle)
{
    // A handle whose interface has gone is still released.
    return handles.erase (handle) != 0 ? TUsbAudioStatusCode::success : simulatorInvalidHandle;
}

SimulatedDevice* SimulatedDriver::deviceOf (TUsbAudioHandle handle, TUsbAudioStatus& status) const
{
    const auto found = handles.find (handle);

    if (found == handles.end())
    {
        status = simulatorInvalidHandle;
        return nullptr;
    }

    // The interface lives on in the list of attached ones while it is attached.
    const auto device = found->second.lock();
    status = device != nullptr ? TUsbAudioStatusCode::success : simulatorDeviceGone;
    return device.get();
}

SimulatedDevice* SimulatedDriver::deviceOfAsioInstance (std::uint32_t instance) const noexcept
{
    for (const auto& device : devices)
        if (device->asioInstance == instance)
            return device.get();

    return nullptr;
}

SimulatedDevice* SimulatedDriver::deviceOfAsioId (std::uint32_t instanceId) const noexcept
{
    for (const auto& device : devices)
        if (device->asioInstanceId() == instanceId)
            return device.get();

    return nullptr;
}

//==============================================================================
void SimulatedDriver::setFailure (const std::string& entryPoint, TUsbAudioStatus status)
{
    if (status == TUsbAudioStatusCode::success)
        failures.erase (entryPoint);
    else
        failures[entryPoint] = status;
}

TUsbAudioStatus SimulatedDriver::failureOf (const char* entryPoint) const
{
    if (failures.empty())
        return TUsbAudioStatusCode::success;

    const auto found = failures.find (entryPoint);
    return found != failures.end() ? found->second : TUsbAudioStatusCode::success;
}

//==============================================================================
void SimulatedDriver::settingsChanged (const SimulatedDevice& device) const
{
    if (device.settingsNotification)
        signal ("deviceSettingsChange");
}

void SimulatedDriver::pnpChanged() const
{
    if (pnpRegistered)
        signal ("PNPdeviceChange");
}

void SimulatedDriver::signal (const char* eventName)
{
    // The program created the event under this name (after the prefix of SimulatorLayerHost); the
    // driver reaches it by name only.
    if (auto event = win::OpenEventA (win::EVENT_MODIFY_STATE, 0, eventName))
    {
        win::SetEvent (event);
        win::CloseHandle (event);
    }
}
