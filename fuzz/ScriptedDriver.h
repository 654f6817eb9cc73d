#pragma once

#include "driver/TUsbAudioApiDll.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

/**
    A driver whose every reply comes from a script of bytes: statuses, device counts, handles,
    property records, sample rates, ASIO records and DSP replies (protocol version, channel counts,
    gains, meter levels, or plain garbage over the whole request).

    install() points a TUsbAudioApiDll's entry points at it and marks the library loaded, without
    any library behind it; release() takes the mark away again before the wrapper unloads, so that
    nothing is freed. Once the script runs out every reply is zero: success, and empty records.

    While replying, it checks what a real driver would choke on and reports the first violation
    with fail(): a request on a handle that was closed, a DSP request shorter than its header or
    without the property set, and, at the end, handles that were never closed.

    The entry points are plain functions, so one script at a time is active (the one constructed
    last and not yet destroyed).
*/
class ScriptedDriver
{
public:
    ScriptedDriver (const std::uint8_t* data, std::size_t size);
    ~ScriptedDriver();

    ScriptedDriver (const ScriptedDriver&) = delete;
    ScriptedDriver& operator= (const ScriptedDriver&) = delete;

    void install (TUsbAudioApiDll& api);
    static void release (TUsbAudioApiDll& api);

    bool exhausted() const noexcept { return position >= size; }

    std::uint8_t byte() noexcept;
    std::uint32_t word() noexcept;

    /** Mostly small numbers, now and then any 32-bit value. */
    std::uint32_t count (std::uint32_t usual) noexcept;

    /** Mostly 0, sometimes a Windows error, a driver code or any value. */
    TUsbAudioStatus status() noexcept;

    /** Ends the process with the message when a check fails. */
    static void fail (const std::string& what);

    /** Fails unless every handle handed out has been closed. */
    void checkAllClosed() const;

    std::size_t getOpenHandleCount() const noexcept { return openHandles.size(); }

private:
    static ScriptedDriver& current();

    void fill (void* destination, std::size_t bytes) noexcept;
    void checkHandle (TUsbAudioHandle handle, const char* entryPoint) const;
    void replyDsp (std::uint8_t* request, std::uint32_t requestSize);

    // The entry points.
    static std::uint32_t getApiVersion();
    static std::uint32_t checkApiVersion (std::uint32_t major, std::uint32_t minor);
    static TUsbAudioStatus enumerateDevices();
    static std::uint32_t getDeviceCount();
    static TUsbAudioStatus openDeviceByIndex (std::uint32_t index, TUsbAudioHandle* handle);
    static TUsbAudioStatus closeDevice (TUsbAudioHandle handle);
    static TUsbAudioStatus getDeviceProperties (TUsbAudioHandle handle, TUsbAudioDeviceProperties* properties);
    static TUsbAudioStatus registerPnpNotification (win::HANDLE, win::HANDLE, void*, std::uint32_t, std::uint32_t);
    static void unregisterPnpNotification();
    static TUsbAudioStatus registerDeviceNotification (TUsbAudioHandle handle, std::uint32_t, win::HANDLE, std::uint32_t);
    static TUsbAudioStatus getAsioRelation (TUsbAudioHandle handle, std::uint32_t* instance);
    static TUsbAudioStatus getSupportedSampleRates (TUsbAudioHandle handle, std::uint32_t capacity, std::uint32_t* rates,
                                                    std::uint32_t* count);
    static TUsbAudioStatus getCurrentSampleRate (TUsbAudioHandle handle, std::uint32_t* rate);
    static TUsbAudioStatus setSampleRate (TUsbAudioHandle handle, std::uint32_t rate);
    static TUsbAudioStatus getAsioInstanceInfo (std::uint32_t instance, TUsbAudioAsioInstanceInfo* info);
    static TUsbAudioStatus setAsioBufferPreferredSize (std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t);
    static TUsbAudioStatus getDspProperty (TUsbAudioHandle handle, void* request, std::uint32_t requestSize);
    static TUsbAudioStatus setDspProperty (TUsbAudioHandle handle, const void* request, std::uint32_t requestSize);

    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;

    TUsbAudioHandle nextHandle = 0x100;
    std::set<TUsbAudioHandle> openHandles;
    std::set<TUsbAudioHandle> closedHandles;

    ScriptedDriver* previous;
};
