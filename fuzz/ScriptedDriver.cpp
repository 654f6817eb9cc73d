#include "fuzz/ScriptedDriver.h"

#include "driver/DspProtocol.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
ScriptedDriver* activeScript = nullptr;

// Stands in for a module handle: the wrapper only compares it with null until it unloads.
int fakeModule = 0;

constexpr TUsbAudioStatus someStatuses[] = { 1, 6, 31, 1167, TUsbAudioStatusCode::invalidParameter,
                                             TUsbAudioStatusCode::notSupported, 0xFFFFFFFFu };

template <typename Function>
void* address (Function* function)
{
    return reinterpret_cast<void*> (function);
}
} // namespace

ScriptedDriver::ScriptedDriver (const std::uint8_t* scriptData, std::size_t scriptSize)
    : data (scriptData), size (scriptSize), previous (activeScript)
{
    activeScript = this;
}

ScriptedDriver::~ScriptedDriver()
{
    activeScript = previous;
}

ScriptedDriver& ScriptedDriver::current()
{
    if (activeScript == nullptr)
        fail ("an entry point was called with no script active");

    return *activeScript;
}

void ScriptedDriver::fail (const std::string& what)
{
    std::fprintf (stderr, "scripted driver: %s\n", what.c_str());
    std::abort();
}

//==============================================================================
std::uint8_t ScriptedDriver::byte() noexcept
{
    return position < size ? data[position++] : 0;
}

std::uint32_t ScriptedDriver::word() noexcept
{
    std::uint32_t value = 0;

    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t> (byte()) << (8 * i);

    return value;
}

std::uint32_t ScriptedDriver::count (std::uint32_t usual) noexcept
{
    const auto b = byte();

    if (b >= 0xF0)
        return word();

    return b % (usual + 1);
}

TUsbAudioStatus ScriptedDriver::status() noexcept
{
    const auto b = byte();

    if (b < 0xE0)
        return 0;

    if (b == 0xFF)
        return word();

    return someStatuses[(b - 0xE0) % std::size (someStatuses)];
}

void ScriptedDriver::fill (void* destination, std::size_t bytes) noexcept
{
    auto* out = static_cast<std::uint8_t*> (destination);

    for (std::size_t i = 0; i < bytes; ++i)
        out[i] = byte();
}

void ScriptedDriver::checkHandle (TUsbAudioHandle handle, const char* entryPoint) const
{
    if (closedHandles.count (handle) != 0)
        fail (std::string (entryPoint) + " on handle " + std::to_string (handle) + ", which was closed");
}

void ScriptedDriver::checkAllClosed() const
{
    if (! openHandles.empty())
        fail (std::to_string (openHandles.size()) + " handle(s) never closed, the first " + std::to_string (*openHandles.begin()));
}

//==============================================================================
void ScriptedDriver::install (TUsbAudioApiDll& api)
{
    api.module = reinterpret_cast<win::HMODULE> (&fakeModule);
    api.apiVersion = 0x5000C;

    api.TUSBAUDIO_GetApiVersion = &getApiVersion;
    api.TUSBAUDIO_CheckApiVersion = &checkApiVersion;
    api.TUSBAUDIO_EnumerateDevices = &enumerateDevices;
    api.TUSBAUDIO_GetDeviceCount = &getDeviceCount;
    api.TUSBAUDIO_OpenDeviceByIndex = &openDeviceByIndex;
    api.TUSBAUDIO_CloseDevice = &closeDevice;
    api.TUSBAUDIO_GetDeviceProperties = &getDeviceProperties;
    api.TUSBAUDIO_RegisterPnpNotification = &registerPnpNotification;
    api.TUSBAUDIO_UnregisterPnpNotification = &unregisterPnpNotification;
    api.TUSBAUDIO_RegisterDeviceNotification = &registerDeviceNotification;
    api.TUSBAUDIO_GetASIORelation = &getAsioRelation;
    api.TUSBAUDIO_GetSupportedSampleRates = &getSupportedSampleRates;
    api.TUSBAUDIO_GetCurrentSampleRate = &getCurrentSampleRate;
    api.TUSBAUDIO_SetSampleRate = &setSampleRate;
    api.TUSBAUDIO_GetASIOInstanceInfo = &getAsioInstanceInfo;
    api.TUSBAUDIO_SetASIOBufferPreferredSize = &setAsioBufferPreferredSize;
    api.TUSBAUDIO_GetDspProperty = &getDspProperty;
    api.TUSBAUDIO_SetDspProperty = &setDspProperty;
}

void ScriptedDriver::release (TUsbAudioApiDll& api)
{
    if (api.module == reinterpret_cast<win::HMODULE> (&fakeModule))
        api.module = nullptr;
}

//==============================================================================
std::uint32_t ScriptedDriver::getApiVersion() { return 0x5000C; }
std::uint32_t ScriptedDriver::checkApiVersion (std::uint32_t, std::uint32_t) { return 1; }

TUsbAudioStatus ScriptedDriver::enumerateDevices()
{
    return current().status();
}

std::uint32_t ScriptedDriver::getDeviceCount()
{
    return current().count (4);
}

TUsbAudioStatus ScriptedDriver::openDeviceByIndex (std::uint32_t, TUsbAudioHandle* handle)
{
    auto& d = current();

    if (const auto failure = d.status(); failure != 0)
    {
        // A failing driver may still have scribbled over the result.
        if (d.byte() >= 0xF0)
            *handle = d.word();

        return failure;
    }

    // Now and then a driver hands out handle 0 with success; nothing can be closed or sent then.
    if (d.byte() == 0xFF)
    {
        *handle = 0;
        return 0;
    }

    *handle = d.nextHandle++;
    d.openHandles.insert (*handle);
    return 0;
}

TUsbAudioStatus ScriptedDriver::closeDevice (TUsbAudioHandle handle)
{
    auto& d = current();
    d.checkHandle (handle, "CloseDevice");

    if (d.openHandles.erase (handle) != 0)
        d.closedHandles.insert (handle);

    return d.status();
}

TUsbAudioStatus ScriptedDriver::getDeviceProperties (TUsbAudioHandle handle, TUsbAudioDeviceProperties* properties)
{
    auto& d = current();
    d.checkHandle (handle, "GetDeviceProperties");
    const auto result = d.status();

    if (d.byte() < 0x80)
    {
        // A well-formed record: three short strings, terminated.
        std::memset (properties, 0, sizeof (*properties));

        for (auto* field : { properties->serialNumber, properties->manufacturer, properties->product })
        {
            const auto length = std::min<std::size_t> (d.byte() % 24, TUsbAudioDeviceProperties::stringUnits - 1);

            for (std::size_t i = 0; i < length; ++i)
                field[i] = static_cast<win::WCHAR> (d.byte() < 0xF0 ? 0x20 + d.byte() % 0x5F : d.byte() << 8 | d.byte());
        }
    }
    else
    {
        // Anything at all, strings without their terminating NUL and lone surrogates included.
        d.fill (properties, sizeof (*properties));
    }

    return result;
}

TUsbAudioStatus ScriptedDriver::registerPnpNotification (win::HANDLE, win::HANDLE, void*, std::uint32_t, std::uint32_t)
{
    return current().status();
}

void ScriptedDriver::unregisterPnpNotification() {}

TUsbAudioStatus ScriptedDriver::registerDeviceNotification (TUsbAudioHandle handle, std::uint32_t, win::HANDLE, std::uint32_t)
{
    auto& d = current();
    d.checkHandle (handle, "RegisterDeviceNotification");
    return d.status();
}

TUsbAudioStatus ScriptedDriver::getAsioRelation (TUsbAudioHandle handle, std::uint32_t* instance)
{
    auto& d = current();
    d.checkHandle (handle, "GetASIORelation");
    *instance = d.count (3);
    return d.status();
}

TUsbAudioStatus ScriptedDriver::getSupportedSampleRates (TUsbAudioHandle handle, std::uint32_t capacity,
                                                         std::uint32_t* rates, std::uint32_t* count)
{
    auto& d = current();
    d.checkHandle (handle, "GetSupportedSampleRates");

    // The driver fills no more than the caller's capacity, but the count it reports may be larger.
    const auto reported = d.count (8);
    const auto written = std::min (reported, capacity);

    for (std::uint32_t i = 0; i < written; ++i)
        rates[i] = d.byte() < 0xC0 ? 44100u * (1u + d.byte() % 4) : d.word();

    *count = reported;
    return d.status();
}

TUsbAudioStatus ScriptedDriver::getCurrentSampleRate (TUsbAudioHandle handle, std::uint32_t* rate)
{
    auto& d = current();
    d.checkHandle (handle, "GetCurrentSampleRate");
    *rate = d.byte() < 0x80 ? 48000u : d.word();
    return d.status();
}

TUsbAudioStatus ScriptedDriver::setSampleRate (TUsbAudioHandle handle, std::uint32_t)
{
    auto& d = current();
    d.checkHandle (handle, "SetSampleRate");
    return d.status();
}

TUsbAudioStatus ScriptedDriver::getAsioInstanceInfo (std::uint32_t, TUsbAudioAsioInstanceInfo* info)
{
    auto& d = current();

    if (d.byte() < 0x80)
    {
        std::memset (info, 0, sizeof (*info));
        info->instanceId = d.word();
        info->currentBufferSize = 32u << (d.byte() % 8);
        info->bufferSizeCount = d.count (40);

        for (std::uint32_t i = 0; i < std::min<std::uint32_t> (info->bufferSizeCount, TUsbAudioAsioInstanceInfo::maxBufferSizes); ++i)
            info->bufferSizes[i] = d.byte() < 0xC0 ? 32u << (d.byte() % 8) : d.word();
    }
    else
    {
        d.fill (info, sizeof (*info));
    }

    return d.status();
}

TUsbAudioStatus ScriptedDriver::setAsioBufferPreferredSize (std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t)
{
    return current().status();
}

TUsbAudioStatus ScriptedDriver::setDspProperty (TUsbAudioHandle handle, const void* request, std::uint32_t requestSize)
{
    auto& d = current();
    d.checkHandle (handle, "SetDspProperty");

    if (request == nullptr || requestSize < DspProtocol::headerSize
        || DspProtocol::readU32 (static_cast<const std::uint8_t*> (request)) != DspProtocol::propertySet)
        fail ("a malformed DSP request was sent");

    return d.status();
}

TUsbAudioStatus ScriptedDriver::getDspProperty (TUsbAudioHandle handle, void* request, std::uint32_t requestSize)
{
    auto& d = current();
    d.checkHandle (handle, "GetDspProperty");

    auto* bytes = static_cast<std::uint8_t*> (request);

    if (bytes == nullptr || requestSize < DspProtocol::headerSize
        || DspProtocol::readU32 (bytes) != DspProtocol::propertySet)
        fail ("a malformed DSP request was read");

    const auto result = d.status();
    d.replyDsp (bytes, requestSize);
    return result;
}

void ScriptedDriver::replyDsp (std::uint8_t* request, std::uint32_t requestSize)
{
    using namespace DspProtocol;

    const auto mode = byte() % 4;

    if (mode == 1)
    {
        fill (request, requestSize);   // garbage over everything, the header included
        return;
    }

    if (mode == 2)
        return;                        // the request comes back as it went out

    if (mode == 3)
    {
        const auto start = count (requestSize) % requestSize;
        fill (request + start, std::min<std::size_t> (count (requestSize), requestSize - start));
        return;
    }

    // A reply shaped like the interface's: the fields that the property carries.
    const auto property = readU32 (request + 4);

    if (property == protocolVersionProperty && requestSize >= versionRequestSize)
    {
        writeU32 (request + 8, byte() < 0xE0 ? supportedProtocolVersion : word());
        writeU32 (request + 12, word());
    }
    else if (property >= firstCountProperty && property < firstCountProperty + numCounts && requestSize >= valueRequestSize)
    {
        writeU32 (request + 8, count (20));
    }
    else if (property == crosspointGainProperty && requestSize >= crosspointRequestSize)
    {
        writeU32 (request + 12, word());
    }
    else if (property == outputGainProperty && requestSize >= outputGainRequestSize)
    {
        writeU32 (request + 10, word());
    }
    else if (property == meterBlockProperty)
    {
        for (std::size_t at = headerSize; at + meterEntrySize <= requestSize; at += meterEntrySize)
            writeI16 (request + at + 6, static_cast<std::int16_t> (byte() | byte() << 8));
    }
}
