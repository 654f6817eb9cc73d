#include "driver/TUsbAudioApiDll.h"

#include "platform/WinModules.h"
#include "platform/WinRegistry.h"

#include <string>

// The entry points in binding order, by group. Group 1 is always bound, group 2 from API 5.0 on,
// every later group from the minor version of API 5 given in minorVersionOfGroup (or any later
// major version).
#define KELVARO_TUSBAUDIO_GROUP_1(X) X (GetApiVersion) X (CheckApiVersion)

#define KELVARO_TUSBAUDIO_GROUP_2(X)                                                                   \
    X (RegisterPnpNotification) X (UnregisterPnpNotification) X (EnumerateDevices) X (GetDeviceCount)    \
    X (OpenDeviceByIndex) X (OpenDeviceByChannelIdString) X (CloseDevice) X (GetDeviceProperties)        \
    X (GetDeviceInstanceIdString) X (GetDeviceContainerIdString) X (GetChannelIndexForChannelIdString)   \
    X (GetChannelIdString) X (RegisterDeviceNotification) X (ReadDeviceNotification)                     \
    X (GetSupportedSampleRates) X (GetCurrentSampleRate) X (SetSampleRate) X (GetSupportedClockSources)  \
    X (GetClockSourceStatus) X (GetCurrentClockSource) X (SetCurrentClockSource)                         \
    X (GetSupportedStreamFormats) X (GetCurrentStreamFormat) X (SetCurrentStreamFormat)                  \
    X (GetStreamFormatSelectionMode) X (GetChannelProperties) X (GetChannelInfo) X (GetVolumeMuteInfo)   \
    X (GetVolume) X (SetVolume) X (GetMute) X (SetMute) X (GetUsbConfigDescriptor)                       \
    X (GetUsbStringDescriptorString) X (AudioControlRequestSet) X (AudioControlRequestGet)               \
    X (ClassVendorRequestOut) X (ClassVendorRequestIn) X (GetDriverInfo) X (GetASIOInstanceInfo)         \
    X (SetASIOBufferPreferredSize) X (GetDeviceUsbMode) X (GetClientInfo) X (GetDeviceStreamingMode)     \
    X (SetDeviceStreamingMode) X (LoadFirmwareImageFromBuffer) X (LoadFirmwareImageFromFile)             \
    X (GetFirmwareImageSize) X (UnloadFirmwareImage) X (GetFirmwareImage) X (StartDfuDownload)           \
    X (StartDfuUpload) X (StartDfuRevertToFactoryImage) X (GetDfuStatus) X (EndDfuProc)                  \
    X (GetDspProperty) X (SetDspProperty) X (QueryDriverStatistics) X (ResetDriverStatistics)            \
    X (StatusCodeStringW) X (StatusCodeStringA)

#define KELVARO_TUSBAUDIO_GROUP_3(X)  X (SetPreferredASIODevice) X (ClearPreferredASIODevice)
#define KELVARO_TUSBAUDIO_GROUP_4(X)  X (QueryDeviceStatistics)
#define KELVARO_TUSBAUDIO_GROUP_5(X)  X (GetControlPanelOptions)
#define KELVARO_TUSBAUDIO_GROUP_6(X)  X (GetExtendedInfo)
#define KELVARO_TUSBAUDIO_GROUP_7(X)  X (SetSoundDeviceProfile)
#define KELVARO_TUSBAUDIO_GROUP_8(X)  X (SetHwChannelHiddenFlags)
#define KELVARO_TUSBAUDIO_GROUP_9(X)  X (GetCustomString)
#define KELVARO_TUSBAUDIO_GROUP_10(X) X (GetASIOInstanceCount) X (GetASIOInstanceDetails) X (GetASIORelation) X (GetASIOInstanceAllowed)
#define KELVARO_TUSBAUDIO_GROUP_11(X) X (GetStreamChannelCount) X (GetStreamChannelIds) X (EnablePeakMeters) X (DisablePeakMeters) X (GetPeakMeters)
#define KELVARO_TUSBAUDIO_GROUP_12(X) X (SetVirtualSoundDeviceProfile)

#define KELVARO_TUSBAUDIO_ALL(X)                                                                      \
    KELVARO_TUSBAUDIO_GROUP_1 (X) KELVARO_TUSBAUDIO_GROUP_2 (X) KELVARO_TUSBAUDIO_GROUP_3 (X)           \
    KELVARO_TUSBAUDIO_GROUP_4 (X) KELVARO_TUSBAUDIO_GROUP_5 (X) KELVARO_TUSBAUDIO_GROUP_6 (X)           \
    KELVARO_TUSBAUDIO_GROUP_7 (X) KELVARO_TUSBAUDIO_GROUP_8 (X) KELVARO_TUSBAUDIO_GROUP_9 (X)           \
    KELVARO_TUSBAUDIO_GROUP_10 (X) KELVARO_TUSBAUDIO_GROUP_11 (X) KELVARO_TUSBAUDIO_GROUP_12 (X)

namespace
{
#define KELVARO_COUNT_ENTRY_POINT(operation) +1
static_assert (0 KELVARO_TUSBAUDIO_ALL (KELVARO_COUNT_ENTRY_POINT) == 81, "the driver library has 81 entry points");
#undef KELVARO_COUNT_ENTRY_POINT

constexpr int lastGroup = 12;

/** The minor version of API 5 from which groups 3 to 12 are served. */
constexpr std::uint32_t minorVersionOfGroup (int group)
{
    constexpr std::uint32_t minors[] = { 0, 0, 0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 12 };
    return minors[group];
}

/** A registry key that is closed when it goes out of scope. */
struct OpenRegistryKey
{
    OpenRegistryKey() = default;
    OpenRegistryKey (const OpenRegistryKey&) = delete;
    OpenRegistryKey& operator= (const OpenRegistryKey&) = delete;

    ~OpenRegistryKey()
    {
        if (key != nullptr)
            win::RegCloseKey (key);
    }

    win::HKEY key = nullptr;
};

constexpr win::DWORD pathUnits = 260;
} // namespace

TUsbAudioApiDll::~TUsbAudioApiDll()
{
    UnloadDll();
}

TUsbAudioStatus TUsbAudioApiDll::LoadFromRegistry()
{
    // Declared in opening order, so they are closed in reverse: InprocServer32, the class id, CLSID.
    OpenRegistryKey clsid, classId, inprocServer;

    if (const auto result = win::RegOpenKeyExW (win::HKEY_CLASSES_ROOT, u"CLSID", 0, win::KEY_READ, &clsid.key); result != 0)
        return static_cast<TUsbAudioStatus> (result);

    if (const auto result = win::RegOpenKeyExW (clsid.key, u"{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}", 0, win::KEY_READ, &classId.key); result != 0)
        return static_cast<TUsbAudioStatus> (result);

    if (const auto result = win::RegOpenKeyExW (classId.key, u"InprocServer32", 0, win::KEY_READ, &inprocServer.key); result != 0)
        return static_cast<TUsbAudioStatus> (result);

    win::WCHAR path[pathUnits] = {};
    win::DWORD type = 0;
    win::DWORD size = sizeof (path);

    if (const auto result = win::RegQueryValueExW (inprocServer.key, nullptr, nullptr, &type,
                                                   reinterpret_cast<win::BYTE*> (path), &size);
        result != 0)
        return static_cast<TUsbAudioStatus> (result);

    // An expandable string is used as written: the driver's installer stores a plain path.
    if (type != win::REG_SZ && type != win::REG_EXPAND_SZ)
        return win::ERROR_BAD_FORMAT;

    // Registry strings need not be terminated; one that fills the whole buffer can't be.
    const auto units = size / sizeof (win::WCHAR);

    if (units != 0 && path[units - 1] != 0)
    {
        if (units < pathUnits)
        {
            path[units] = 0;
        }
        else
        {
            path[pathUnits - 1] = 0;
            return win::ERROR_BUFFER_OVERFLOW;
        }
    }

    return LoadDll (path);
}

TUsbAudioStatus TUsbAudioApiDll::LoadDll (win::LPCWSTR path)
{
    if (module != nullptr)
        return 1;

    if (win::GetFileAttributesW (path) == win::INVALID_FILE_ATTRIBUTES)
    {
        const auto error = win::GetLastError();

        if (error == win::ERROR_FILE_NOT_FOUND || error == win::ERROR_PATH_NOT_FOUND)
            return win::ERROR_FILE_NOT_FOUND;
    }

    module = win::LoadLibraryW (path);

    if (module == nullptr)
        return win::GetLastError();

    TUsbAudioStatus failure = 0;

    if (! bindGroup (1, failure))
        return failure;

    apiVersion = TUSBAUDIO_GetApiVersion != nullptr ? TUSBAUDIO_GetApiVersion() : 0;

    // A library that doesn't serve our version stays loaded with only the first two entry points.
    if (TUSBAUDIO_CheckApiVersion == nullptr
        || TUSBAUDIO_CheckApiVersion (requiredMajorVersion, requiredMinorVersion) == 0)
        return TUsbAudioStatusCode::versionMismatch;

    const auto major = apiVersion >> 16;
    const auto minor = apiVersion & 0xFFFFu;

    if ((apiVersion & 0xFFFF0000u) >= 0x50000u && ! bindGroup (2, failure))
        return failure;

    for (int group = 3; group <= lastGroup; ++group)
        if (major > 5 || (major == 5 && minor >= minorVersionOfGroup (group)))
            if (! bindGroup (group, failure))
                return failure;

    return 0;
}

void TUsbAudioApiDll::UnloadDll()
{
    if (module != nullptr)
    {
        win::FreeLibrary (module);
        module = nullptr;
    }

    apiVersion = 0;

#define KELVARO_CLEAR_ENTRY_POINT(operation) TUSBAUDIO_##operation = nullptr;
    KELVARO_TUSBAUDIO_ALL (KELVARO_CLEAR_ENTRY_POINT)
#undef KELVARO_CLEAR_ENTRY_POINT
}

template <typename EntryPoint>
bool TUsbAudioApiDll::bind (EntryPoint& pointer, const char* operation, TUsbAudioStatus& failure)
{
    const auto name = std::string ("TUSBAUDIO_") + operation;
    const auto address = win::GetProcAddress (module, name.c_str());

    if (address == nullptr)
    {
        // A missing export is fatal only when the loader says why; otherwise it stays unbound.
        if (const auto error = win::GetLastError(); error != 0)
        {
            UnloadDll();
            failure = error;
            return false;
        }

        return true;
    }

    pointer = reinterpret_cast<EntryPoint> (address);
    return true;
}

bool TUsbAudioApiDll::bindGroup (int group, TUsbAudioStatus& failure)
{
#define KELVARO_BIND_ENTRY_POINT(operation) &&bind (TUSBAUDIO_##operation, #operation, failure)
    switch (group)
    {
        case 1:  return true KELVARO_TUSBAUDIO_GROUP_1 (KELVARO_BIND_ENTRY_POINT);
        case 2:  return true KELVARO_TUSBAUDIO_GROUP_2 (KELVARO_BIND_ENTRY_POINT);
        case 3:  return true KELVARO_TUSBAUDIO_GROUP_3 (KELVARO_BIND_ENTRY_POINT);
        case 4:  return true KELVARO_TUSBAUDIO_GROUP_4 (KELVARO_BIND_ENTRY_POINT);
        case 5:  return true KELVARO_TUSBAUDIO_GROUP_5 (KELVARO_BIND_ENTRY_POINT);
        case 6:  return true KELVARO_TUSBAUDIO_GROUP_6 (KELVARO_BIND_ENTRY_POINT);
        case 7:  return true KELVARO_TUSBAUDIO_GROUP_7 (KELVARO_BIND_ENTRY_POINT);
        case 8:  return true KELVARO_TUSBAUDIO_GROUP_8 (KELVARO_BIND_ENTRY_POINT);
        case 9:  return true KELVARO_TUSBAUDIO_GROUP_9 (KELVARO_BIND_ENTRY_POINT);
        case 10: return true KELVARO_TUSBAUDIO_GROUP_10 (KELVARO_BIND_ENTRY_POINT);
        case 11: return true KELVARO_TUSBAUDIO_GROUP_11 (KELVARO_BIND_ENTRY_POINT);
        case 12: return true KELVARO_TUSBAUDIO_GROUP_12 (KELVARO_BIND_ENTRY_POINT);
        default: return true;
    }
#undef KELVARO_BIND_ENTRY_POINT
}
