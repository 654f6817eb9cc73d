#pragma once

// What the program passes to and relies on from the USB audio driver's API library: the types
// of its TUSBAUDIO_ entry points and the parts of its records that the program reads.
// Shared by the loader (TUsbAudioApiDll) and by anything that serves these entry points.

#include "platform/WinTypes.h"

#include <cstddef>
#include <cstdint>

/** A driver status: 0 for success, a Windows error code, or one of the driver's codes below. */
using TUsbAudioStatus = std::uint32_t;

/** A driver device handle (32 bits). */
using TUsbAudioHandle = std::uint32_t;

namespace TUsbAudioStatusCode
{
constexpr TUsbAudioStatus success             = 0;
constexpr TUsbAudioStatus entryPointMissing   = 0xEE000030u;
constexpr TUsbAudioStatus invalidParameter    = 0xEE000041u;
constexpr TUsbAudioStatus notSupported        = 0xEE000050u;
constexpr TUsbAudioStatus versionMismatch     = 0xEE000060u;
} // namespace TUsbAudioStatusCode

/** The device properties record: NUL-terminated UTF-16 strings at byte offsets 12, 268 and 524. */
struct TUsbAudioDeviceProperties
{
    static constexpr std::size_t stringUnits = 128;

    std::uint32_t usbVendorId;
    std::uint32_t usbProductId;
    std::uint32_t usbRevisionId;
    win::WCHAR serialNumber[stringUnits];
    win::WCHAR manufacturer[stringUnits];
    win::WCHAR product[stringUnits];
    std::uint32_t flags;
    std::uint8_t reserved[240];
};

static_assert (offsetof (TUsbAudioDeviceProperties, serialNumber) == 12);
static_assert (offsetof (TUsbAudioDeviceProperties, manufacturer) == 268);
static_assert (offsetof (TUsbAudioDeviceProperties, product) == 524);

/** The ASIO instance record: words at byte offsets 0, 28, 32 and 36 + 4i.

    We read at most maxBufferSizes sizes, however many the count claims. A driver may keep a longer
    list and write all of it, so the record leaves the driver ample room beyond the sizes we read,
    as the device properties record does beyond its strings: 1024 bytes in all. */
struct TUsbAudioAsioInstanceInfo
{
    static constexpr std::size_t maxBufferSizes = 32;
    static constexpr std::size_t recordSize = 1024;

    std::uint32_t instanceId;            // handed back unchanged to SetASIOBufferPreferredSize
    std::uint32_t reserved[6];
    std::uint32_t currentBufferSize;
    std::uint32_t bufferSizeCount;
    std::uint32_t bufferSizes[maxBufferSizes];
    std::uint8_t driverSpace[recordSize - 36 - 4 * maxBufferSizes];
};

static_assert (offsetof (TUsbAudioAsioInstanceInfo, currentBufferSize) == 28);
static_assert (offsetof (TUsbAudioAsioInstanceInfo, bufferSizeCount) == 32);
static_assert (offsetof (TUsbAudioAsioInstanceInfo, bufferSizes) == 36);
static_assert (sizeof (TUsbAudioAsioInstanceInfo) == TUsbAudioAsioInstanceInfo::recordSize);

// The entry points the program calls.
extern "C"
{
using TUSBAUDIO_GetApiVersion_t              = std::uint32_t (*)();
using TUSBAUDIO_CheckApiVersion_t            = std::uint32_t (*) (std::uint32_t major, std::uint32_t minor);
using TUSBAUDIO_EnumerateDevices_t           = TUsbAudioStatus (*)();
using TUSBAUDIO_GetDeviceCount_t             = std::uint32_t (*)();
using TUSBAUDIO_OpenDeviceByIndex_t          = TUsbAudioStatus (*) (std::uint32_t index, TUsbAudioHandle* handle);
using TUSBAUDIO_CloseDevice_t                = TUsbAudioStatus (*) (TUsbAudioHandle handle);
using TUSBAUDIO_GetDeviceProperties_t        = TUsbAudioStatus (*) (TUsbAudioHandle handle, TUsbAudioDeviceProperties* properties);
using TUSBAUDIO_RegisterPnpNotification_t    = TUsbAudioStatus (*) (win::HANDLE arrivalEvent, win::HANDLE removalEvent,
                                                                    void* window, std::uint32_t windowMessage, std::uint32_t flags);
using TUSBAUDIO_UnregisterPnpNotification_t  = void (*)();
using TUSBAUDIO_RegisterDeviceNotification_t = TUsbAudioStatus (*) (TUsbAudioHandle handle, std::uint32_t categoryFilter,
                                                                    win::HANDLE event, std::uint32_t flags);
using TUSBAUDIO_GetASIORelation_t            = TUsbAudioStatus (*) (TUsbAudioHandle handle, std::uint32_t* asioInstance);
using TUSBAUDIO_GetSupportedSampleRates_t    = TUsbAudioStatus (*) (TUsbAudioHandle handle, std::uint32_t capacity,
                                                                    std::uint32_t* rates, std::uint32_t* count);
using TUSBAUDIO_GetCurrentSampleRate_t       = TUsbAudioStatus (*) (TUsbAudioHandle handle, std::uint32_t* rate);
using TUSBAUDIO_SetSampleRate_t              = TUsbAudioStatus (*) (TUsbAudioHandle handle, std::uint32_t rate);
using TUSBAUDIO_GetASIOInstanceInfo_t        = TUsbAudioStatus (*) (std::uint32_t asioInstance, TUsbAudioAsioInstanceInfo* info);
using TUSBAUDIO_SetASIOBufferPreferredSize_t = TUsbAudioStatus (*) (std::uint32_t flags, std::uint32_t instanceId,
                                                                    std::uint32_t bufferSize, std::uint32_t reserved);
using TUSBAUDIO_GetDspProperty_t             = TUsbAudioStatus (*) (TUsbAudioHandle handle, void* request, std::uint32_t size);
using TUSBAUDIO_SetDspProperty_t             = TUsbAudioStatus (*) (TUsbAudioHandle handle, const void* request, std::uint32_t size);

/** The type of every entry point that the program binds but never calls. */
using TUSBAUDIO_Unused_t                     = TUsbAudioStatus (*)();
}
