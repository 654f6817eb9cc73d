// The driver's entry points, as the simulated interface library exports them.

#include "driver/TUsbAudioApi.h"
#include "platform/driverside/WinExport.h"
#include "simulator/DspServer.h"
#include "simulator/SimulatedDriver.h"

#include <algorithm>
#include <mutex>
#include <type_traits>
#include <vector>

namespace
{
using Status = TUsbAudioStatus;
constexpr auto success = TUsbAudioStatusCode::success;
constexpr auto invalid = TUsbAudioStatusCode::invalidParameter;

/** Runs one entry point's work with the driver locked. */
template <typename Work>
auto serve (Work&& work)
{
    auto& driver = SimulatedDriver::getInstance();
    const std::lock_guard<std::recursive_mutex> lock (driver.mutex);
    return work (driver);
}

/** Runs an entry point's work on the interface of a handle, unless a failure was asked for. */
template <typename Work>
Status serveDevice (const char* entryPoint, TUsbAudioHandle handle, Work&& work)
{
    return serve ([&] (SimulatedDriver& driver)
    {
        if (const auto failure = driver.failureOf (entryPoint))
            return failure;

        Status status = success;
        auto* device = driver.deviceOf (handle, status);
        return device != nullptr ? work (driver, *device) : status;
    });
}

/** Serves a DSP property request and writes it to the journal as it arrived. */
template <typename Buffer, typename Work>
Status serveDsp (const char* entryPoint, TUsbAudioHandle handle, Buffer* request, std::uint32_t size, Work&& work)
{
    return serve ([&] (SimulatedDriver& driver)
    {
        const auto* bytes = static_cast<const std::uint8_t*> (request);
        const auto entryBytes = bytes != nullptr ? size : 0u;
        const std::vector<std::uint8_t> arrived (bytes, bytes + entryBytes);   // a get overwrites them

        const auto status = serveDevice (entryPoint, handle, [&] (SimulatedDriver&, SimulatedDevice& device)
        {
            return work (DspServer (device));
        });

        driver.journal.add (entryPoint, arrived.data(), entryBytes, status);
        return status;
    });
}

Status unusedEntryPoint (const char* entryPoint)
{
    return serve ([entryPoint] (SimulatedDriver& driver)
    {
        const auto failure = driver.failureOf (entryPoint);
        return failure != success ? failure : TUsbAudioStatusCode::notSupported;
    });
}
} // namespace

//==============================================================================
KELVARO_EXPORT std::uint32_t TUSBAUDIO_GetApiVersion()
{
    return serve ([] (SimulatedDriver& driver)
    {
        return driver.failureOf ("GetApiVersion") != success ? 0u : driver.getApiVersion();
    });
}

KELVARO_EXPORT std::uint32_t TUSBAUDIO_CheckApiVersion (std::uint32_t major, std::uint32_t minor)
{
    return serve ([=] (SimulatedDriver& driver)
    {
        return driver.failureOf ("CheckApiVersion") == success && driver.servesApiVersion (major, minor) ? 1u : 0u;
    });
}

KELVARO_EXPORT Status TUSBAUDIO_EnumerateDevices()
{
    return serve ([] (SimulatedDriver& driver)
    {
        if (const auto failure = driver.failureOf ("EnumerateDevices"))
            return failure;

        driver.enumerate();
        return success;
    });
}

KELVARO_EXPORT std::uint32_t TUSBAUDIO_GetDeviceCount()
{
    return serve ([] (SimulatedDriver& driver)
    {
        return driver.failureOf ("GetDeviceCount") != success ? 0u
                                                              : static_cast<std::uint32_t> (driver.getEnumeratedCount());
    });
}

KELVARO_EXPORT Status TUSBAUDIO_OpenDeviceByIndex (std::uint32_t index, TUsbAudioHandle* handle)
{
    return serve ([=] (SimulatedDriver& driver)
    {
        if (const auto failure = driver.failureOf ("OpenDeviceByIndex"))
            return failure;

        return handle != nullptr ? driver.open (index, *handle) : invalid;
    });
}

KELVARO_EXPORT Status TUSBAUDIO_CloseDevice (TUsbAudioHandle handle)
{
    return serve ([=] (SimulatedDriver& driver)
    {
        if (const auto failure = driver.failureOf ("CloseDevice"))
            return failure;

        return driver.close (handle);
    });
}

KELVARO_EXPORT Status TUSBAUDIO_GetDeviceProperties (TUsbAudioHandle handle, TUsbAudioDeviceProperties* properties)
{
    return serveDevice ("GetDeviceProperties", handle, [=] (SimulatedDriver&, SimulatedDevice& device)
    {
        if (properties == nullptr)
            return invalid;

        device.fillProperties (*properties);
        return success;
    });
}

KELVARO_EXPORT Status TUSBAUDIO_RegisterPnpNotification (win::HANDLE, win::HANDLE, void*, std::uint32_t, std::uint32_t)
{
    return serve ([] (SimulatedDriver& driver)
    {
        if (const auto failure = driver.failureOf ("RegisterPnpNotification"))
            return failure;

        driver.pnpRegistered = true;
        return success;
    });
}

KELVARO_EXPORT void TUSBAUDIO_UnregisterPnpNotification()
{
    serve ([] (SimulatedDriver& driver)
    {
        if (driver.failureOf ("UnregisterPnpNotification") == success)
            driver.pnpRegistered = false;

        return 0;
    });
}

KELVARO_EXPORT Status TUSBAUDIO_RegisterDeviceNotification (TUsbAudioHandle handle, std::uint32_t categoryFilter,
                                                            win::HANDLE, std::uint32_t)
{
    return serveDevice ("RegisterDeviceNotification", handle, [=] (SimulatedDriver&, SimulatedDevice& device)
    {
        device.settingsNotification = categoryFilter != 0;
        return success;
    });
}

KELVARO_EXPORT Status TUSBAUDIO_GetASIORelation (TUsbAudioHandle handle, std::uint32_t* asioInstance)
{
    return serveDevice ("GetASIORelation", handle, [=] (SimulatedDriver&, SimulatedDevice& device)
    {
        if (asioInstance == nullptr)
            return invalid;

        *asioInstance = device.asioInstance;
        return success;
    });
}

KELVARO_EXPORT Status TUSBAUDIO_GetSupportedSampleRates (TUsbAudioHandle handle, std::uint32_t capacity,
                                                         std::uint32_t* rates, std::uint32_t* count)
{
    return serveDevice ("GetSupportedSampleRates", handle, [=] (SimulatedDriver&, SimulatedDevice&)
    {
        if (rates == nullptr || count == nullptr)
            return invalid;

        const auto& all = SimulatedDevice::sampleRates;
        const auto written = std::min<std::size_t> (capacity, all.size());
        std::copy_n (all.begin(), written, rates);
        *count = static_cast<std::uint32_t> (written);
        return written == all.size() ? success : win::ERROR_MORE_DATA;
    });
}

KELVARO_EXPORT Status TUSBAUDIO_GetCurrentSampleRate (TUsbAudioHandle handle, std::uint32_t* rate)
{
    return serveDevice ("GetCurrentSampleRate", handle, [=] (SimulatedDriver&, SimulatedDevice& device)
    {
        if (rate == nullptr)
            return invalid;

        *rate = device.sampleRate;
        return success;
    });
}

KELVARO_EXPORT Status TUSBAUDIO_SetSampleRate (TUsbAudioHandle handle, std::uint32_t rate)
{
    return serveDevice ("SetSampleRate", handle, [=] (SimulatedDriver& driver, SimulatedDevice& device)
    {
        if (! device.setSampleRate (rate))
            return invalid;

        driver.settingsChanged (device);
        return success;
    });
}

KELVARO_EXPORT Status TUSBAUDIO_GetASIOInstanceInfo (std::uint32_t asioInstance, TUsbAudioAsioInstanceInfo* info)
{
    return serve ([=] (SimulatedDriver& driver)
    {
        if (const auto failure = driver.failureOf ("GetASIOInstanceInfo"))
            return failure;

        const auto* device = driver.deviceOfAsioInstance (asioInstance);

        if (device == nullptr || info == nullptr)
            return invalid;

        device->fillAsioInfo (*info);
        return success;
    });
}

KELVARO_EXPORT Status TUSBAUDIO_SetASIOBufferPreferredSize (std::uint32_t, std::uint32_t instanceId,
                                                            std::uint32_t bufferSize, std::uint32_t)
{
    return serve ([=] (SimulatedDriver& driver)
    {
        if (const auto failure = driver.failureOf ("SetASIOBufferPreferredSize"))
            return failure;

        auto* device = driver.deviceOfAsioId (instanceId);

        if (device == nullptr || ! device->setBufferSize (bufferSize))
            return invalid;

        driver.settingsChanged (*device);
        return success;
    });
}

KELVARO_EXPORT Status TUSBAUDIO_GetDspProperty (TUsbAudioHandle handle, void* request, std::uint32_t size)
{
    return serveDsp ("GetDspProperty", handle, request, size, [=] (DspServer server)
    {
        return server.get (static_cast<std::uint8_t*> (request), size);
    });
}

KELVARO_EXPORT Status TUSBAUDIO_SetDspProperty (TUsbAudioHandle handle, const void* request, std::uint32_t size)
{
    return serveDsp ("SetDspProperty", handle, request, size, [=] (DspServer server)
    {
        return server.set (static_cast<const std::uint8_t*> (request), size);
    });
}

//==============================================================================
// The entry points that the mixer binds but never calls.
#define KELVARO_UNUSED_ENTRY_POINT(operation) \
    KELVARO_EXPORT Status TUSBAUDIO_##operation() { return unusedEntryPoint (#operation); } \
    static_assert (std::is_same_v<decltype (&TUSBAUDIO_##operation), TUSBAUDIO_Unused_t>);

KELVARO_UNUSED_ENTRY_POINT (OpenDeviceByChannelIdString)
KELVARO_UNUSED_ENTRY_POINT (GetDeviceInstanceIdString)
KELVARO_UNUSED_ENTRY_POINT (GetDeviceContainerIdString)
KELVARO_UNUSED_ENTRY_POINT (GetChannelIndexForChannelIdString)
KELVARO_UNUSED_ENTRY_POINT (GetChannelIdString)
KELVARO_UNUSED_ENTRY_POINT (ReadDeviceNotification)
KELVARO_UNUSED_ENTRY_POINT (GetSupportedClockSources)
KELVARO_UNUSED_ENTRY_POINT (GetClockSourceStatus)
KELVARO_UNUSED_ENTRY_POINT (GetCurrentClockSource)
KELVARO_UNUSED_ENTRY_POINT (SetCurrentClockSource)
KELVARO_UNUSED_ENTRY_POINT (GetSupportedStreamFormats)
KELVARO_UNUSED_ENTRY_POINT (GetCurrentStreamFormat)
KELVARO_UNUSED_ENTRY_POINT (SetCurrentStreamFormat)
KELVARO_UNUSED_ENTRY_POINT (GetStreamFormatSelectionMode)
KELVARO_UNUSED_ENTRY_POINT (GetChannelProperties)
KELVARO_UNUSED_ENTRY_POINT (GetChannelInfo)
KELVARO_UNUSED_ENTRY_POINT (GetVolumeMuteInfo)
KELVARO_UNUSED_ENTRY_POINT (GetVolume)
KELVARO_UNUSED_ENTRY_POINT (SetVolume)
KELVARO_UNUSED_ENTRY_POINT (GetMute)
KELVARO_UNUSED_ENTRY_POINT (SetMute)
KELVARO_UNUSED_ENTRY_POINT (GetUsbConfigDescriptor)
KELVARO_UNUSED_ENTRY_POINT (GetUsbStringDescriptorString)
KELVARO_UNUSED_ENTRY_POINT (AudioControlRequestSet)
KELVARO_UNUSED_ENTRY_POINT (AudioControlRequestGet)
KELVARO_UNUSED_ENTRY_POINT (ClassVendorRequestOut)
KELVARO_UNUSED_ENTRY_POINT (ClassVendorRequestIn)
KELVARO_UNUSED_ENTRY_POINT (GetDriverInfo)
KELVARO_UNUSED_ENTRY_POINT (GetDeviceUsbMode)
KELVARO_UNUSED_ENTRY_POINT (GetClientInfo)
KELVARO_UNUSED_ENTRY_POINT (GetDeviceStreamingMode)
KELVARO_UNUSED_ENTRY_POINT (SetDeviceStreamingMode)
KELVARO_UNUSED_ENTRY_POINT (LoadFirmwareImageFromBuffer)
KELVARO_UNUSED_ENTRY_POINT (LoadFirmwareImageFromFile)
KELVARO_UNUSED_ENTRY_POINT (GetFirmwareImageSize)
KELVARO_UNUSED_ENTRY_POINT (UnloadFirmwareImage)
KELVARO_UNUSED_ENTRY_POINT (GetFirmwareImage)
KELVARO_UNUSED_ENTRY_POINT (StartDfuDownload)
KELVARO_UNUSED_ENTRY_POINT (StartDfuUpload)
KELVARO_UNUSED_ENTRY_POINT (StartDfuRevertToFactoryImage)
KELVARO_UNUSED_ENTRY_POINT (GetDfuStatus)
KELVARO_UNUSED_ENTRY_POINT (EndDfuProc)
KELVARO_UNUSED_ENTRY_POINT (QueryDriverStatistics)
KELVARO_UNUSED_ENTRY_POINT (ResetDriverStatistics)
KELVARO_UNUSED_ENTRY_POINT (StatusCodeStringW)
KELVARO_UNUSED_ENTRY_POINT (StatusCodeStringA)
KELVARO_UNUSED_ENTRY_POINT (SetPreferredASIODevice)
KELVARO_UNUSED_ENTRY_POINT (ClearPreferredASIODevice)
KELVARO_UNUSED_ENTRY_POINT (QueryDeviceStatistics)
KELVARO_UNUSED_ENTRY_POINT (GetControlPanelOptions)
KELVARO_UNUSED_ENTRY_POINT (GetExtendedInfo)
KELVARO_UNUSED_ENTRY_POINT (SetSoundDeviceProfile)
KELVARO_UNUSED_ENTRY_POINT (SetHwChannelHiddenFlags)
KELVARO_UNUSED_ENTRY_POINT (GetCustomString)
KELVARO_UNUSED_ENTRY_POINT (GetASIOInstanceCount)
KELVARO_UNUSED_ENTRY_POINT (GetASIOInstanceDetails)
KELVARO_UNUSED_ENTRY_POINT (GetASIOInstanceAllowed)
KELVARO_UNUSED_ENTRY_POINT (GetStreamChannelCount)
KELVARO_UNUSED_ENTRY_POINT (GetStreamChannelIds)
KELVARO_UNUSED_ENTRY_POINT (EnablePeakMeters)
KELVARO_UNUSED_ENTRY_POINT (DisablePeakMeters)
KELVARO_UNUSED_ENTRY_POINT (GetPeakMeters)
KELVARO_UNUSED_ENTRY_POINT (SetVirtualSoundDeviceProfile)

#undef KELVARO_UNUSED_ENTRY_POINT

// The served entry points have exactly the types the loader binds them with.
static_assert (std::is_same_v<decltype (&TUSBAUDIO_GetApiVersion), TUSBAUDIO_GetApiVersion_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_CheckApiVersion), TUSBAUDIO_CheckApiVersion_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_EnumerateDevices), TUSBAUDIO_EnumerateDevices_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_GetDeviceCount), TUSBAUDIO_GetDeviceCount_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_OpenDeviceByIndex), TUSBAUDIO_OpenDeviceByIndex_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_CloseDevice), TUSBAUDIO_CloseDevice_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_GetDeviceProperties), TUSBAUDIO_GetDeviceProperties_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_RegisterPnpNotification), TUSBAUDIO_RegisterPnpNotification_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_UnregisterPnpNotification), TUSBAUDIO_UnregisterPnpNotification_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_RegisterDeviceNotification), TUSBAUDIO_RegisterDeviceNotification_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_GetASIORelation), TUSBAUDIO_GetASIORelation_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_GetSupportedSampleRates), TUSBAUDIO_GetSupportedSampleRates_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_GetCurrentSampleRate), TUSBAUDIO_GetCurrentSampleRate_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_SetSampleRate), TUSBAUDIO_SetSampleRate_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_GetASIOInstanceInfo), TUSBAUDIO_GetASIOInstanceInfo_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_SetASIOBufferPreferredSize), TUSBAUDIO_SetASIOBufferPreferredSize_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_GetDspProperty), TUSBAUDIO_GetDspProperty_t>);
static_assert (std::is_same_v<decltype (&TUSBAUDIO_SetDspProperty), TUSBAUDIO_SetDspProperty_t>);
