#pragma once

#include "driver/TUsbAudioApi.h"
#include "platform/WinTypes.h"

#include <cstdint>

/**
    The USB audio driver's API library: found through the registry, loaded at run time and bound
    entry point by entry point under an API version check (5.12).

    Every entry point is null while unbound; callers test the pointer before each call. The library
    counts as loaded while `module` is non-null, which stays true after a failed version check.
*/
class TUsbAudioApiDll
{
public:
    TUsbAudioApiDll() = default;
    virtual ~TUsbAudioApiDll();

    TUsbAudioApiDll (const TUsbAudioApiDll&) = delete;
    TUsbAudioApiDll& operator= (const TUsbAudioApiDll&) = delete;

    /** Finds the library's path in the registry and loads it. Returns 0 or a failure status. */
    TUsbAudioStatus LoadFromRegistry();

    /** Loads the library at the given path and binds its entry points. */
    TUsbAudioStatus LoadDll (win::LPCWSTR path);

    /** Frees the library and clears every entry point and the version. */
    void UnloadDll();

    /** The API version this program needs. */
    static constexpr std::uint32_t requiredMajorVersion = 5;
    static constexpr std::uint32_t requiredMinorVersion = 12;

    win::HMODULE module = nullptr;
    std::uint32_t apiVersion = 0;   // major in the high 16 bits, minor in the low 16 bits

    // Group 1: always bound.
    TUSBAUDIO_GetApiVersion_t               TUSBAUDIO_GetApiVersion = nullptr;
    TUSBAUDIO_CheckApiVersion_t             TUSBAUDIO_CheckApiVersion = nullptr;

    // Group 2: major version 5 or later.
    TUSBAUDIO_RegisterPnpNotification_t     TUSBAUDIO_RegisterPnpNotification = nullptr;
    TUSBAUDIO_UnregisterPnpNotification_t   TUSBAUDIO_UnregisterPnpNotification = nullptr;
    TUSBAUDIO_EnumerateDevices_t            TUSBAUDIO_EnumerateDevices = nullptr;
    TUSBAUDIO_GetDeviceCount_t              TUSBAUDIO_GetDeviceCount = nullptr;
    TUSBAUDIO_OpenDeviceByIndex_t           TUSBAUDIO_OpenDeviceByIndex = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_OpenDeviceByChannelIdString = nullptr;
    TUSBAUDIO_CloseDevice_t                 TUSBAUDIO_CloseDevice = nullptr;
    TUSBAUDIO_GetDeviceProperties_t         TUSBAUDIO_GetDeviceProperties = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetDeviceInstanceIdString = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetDeviceContainerIdString = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetChannelIndexForChannelIdString = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetChannelIdString = nullptr;
    TUSBAUDIO_RegisterDeviceNotification_t  TUSBAUDIO_RegisterDeviceNotification = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_ReadDeviceNotification = nullptr;
    TUSBAUDIO_GetSupportedSampleRates_t     TUSBAUDIO_GetSupportedSampleRates = nullptr;
    TUSBAUDIO_GetCurrentSampleRate_t        TUSBAUDIO_GetCurrentSampleRate = nullptr;
    TUSBAUDIO_SetSampleRate_t               TUSBAUDIO_SetSampleRate = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetSupportedClockSources = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetClockSourceStatus = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetCurrentClockSource = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_SetCurrentClockSource = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetSupportedStreamFormats = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetCurrentStreamFormat = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_SetCurrentStreamFormat = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetStreamFormatSelectionMode = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetChannelProperties = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetChannelInfo = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetVolumeMuteInfo = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetVolume = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_SetVolume = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetMute = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_SetMute = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetUsbConfigDescriptor = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetUsbStringDescriptorString = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_AudioControlRequestSet = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_AudioControlRequestGet = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_ClassVendorRequestOut = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_ClassVendorRequestIn = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetDriverInfo = nullptr;
    TUSBAUDIO_GetASIOInstanceInfo_t         TUSBAUDIO_GetASIOInstanceInfo = nullptr;
    TUSBAUDIO_SetASIOBufferPreferredSize_t  TUSBAUDIO_SetASIOBufferPreferredSize = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetDeviceUsbMode = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetClientInfo = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetDeviceStreamingMode = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_SetDeviceStreamingMode = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_LoadFirmwareImageFromBuffer = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_LoadFirmwareImageFromFile = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetFirmwareImageSize = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_UnloadFirmwareImage = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetFirmwareImage = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_StartDfuDownload = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_StartDfuUpload = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_StartDfuRevertToFactoryImage = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetDfuStatus = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_EndDfuProc = nullptr;
    TUSBAUDIO_GetDspProperty_t              TUSBAUDIO_GetDspProperty = nullptr;
    TUSBAUDIO_SetDspProperty_t              TUSBAUDIO_SetDspProperty = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_QueryDriverStatistics = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_ResetDriverStatistics = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_StatusCodeStringW = nullptr;
    TUSBAUDIO_Unused_t                      TUSBAUDIO_StatusCodeStringA = nullptr;

    // Groups 3 to 12: later minor versions of API 5, or any later major version.
    TUSBAUDIO_Unused_t                      TUSBAUDIO_SetPreferredASIODevice = nullptr;        // 5.1
    TUSBAUDIO_Unused_t                      TUSBAUDIO_ClearPreferredASIODevice = nullptr;      // 5.1
    TUSBAUDIO_Unused_t                      TUSBAUDIO_QueryDeviceStatistics = nullptr;         // 5.2
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetControlPanelOptions = nullptr;        // 5.4
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetExtendedInfo = nullptr;               // 5.5
    TUSBAUDIO_Unused_t                      TUSBAUDIO_SetSoundDeviceProfile = nullptr;         // 5.6
    TUSBAUDIO_Unused_t                      TUSBAUDIO_SetHwChannelHiddenFlags = nullptr;       // 5.7
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetCustomString = nullptr;               // 5.8
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetASIOInstanceCount = nullptr;          // 5.9
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetASIOInstanceDetails = nullptr;        // 5.9
    TUSBAUDIO_GetASIORelation_t             TUSBAUDIO_GetASIORelation = nullptr;               // 5.9
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetASIOInstanceAllowed = nullptr;        // 5.9
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetStreamChannelCount = nullptr;         // 5.10
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetStreamChannelIds = nullptr;           // 5.10
    TUSBAUDIO_Unused_t                      TUSBAUDIO_EnablePeakMeters = nullptr;              // 5.10
    TUSBAUDIO_Unused_t                      TUSBAUDIO_DisablePeakMeters = nullptr;             // 5.10
    TUSBAUDIO_Unused_t                      TUSBAUDIO_GetPeakMeters = nullptr;                 // 5.10
    TUSBAUDIO_Unused_t                      TUSBAUDIO_SetVirtualSoundDeviceProfile = nullptr;  // 5.12

private:
    template <typename EntryPoint>
    bool bind (EntryPoint& pointer, const char* operation, TUsbAudioStatus& failure);

    /** Binds one group of the table; false (with the library unloaded) when a lookup failed. */
    bool bindGroup (int group, TUsbAudioStatus& failure);
};
