#include "backend/HardwareBackendPimpl.h"

#include "platform/WinEvents.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace
{
constexpr std::uint32_t propertySet = 77;
constexpr std::uint32_t crosspointProperty = 200;
constexpr std::uint32_t outputGainProperty = 201;

constexpr std::uint32_t categoryFilterSettings = 0x21;
constexpr int pollIntervalMs = 1000;

/** No driver lists more interfaces than this; a larger count is not believed. */
constexpr std::uint32_t maxDeviceCount = 256;

/** A signed 8.24 value read back from the interface, as a linear factor. */
constexpr float fixedPointToGain = 5.9604645e-8f;

bool isMixerInput (Hardware::ChannelKind kind) noexcept
{
    return static_cast<std::uint32_t> (kind) <= 2;
}

bool isMixerOutput (Hardware::ChannelKind kind) noexcept
{
    return static_cast<std::uint32_t> (kind) - 4u <= 2u;
}

std::uint8_t kindCode (Hardware::ChannelKind kind) noexcept
{
    return static_cast<std::uint8_t> (static_cast<std::uint32_t> (kind) % 4u);
}

std::uint8_t indexByte (std::int32_t index) noexcept
{
    return static_cast<std::uint8_t> (static_cast<std::uint32_t> (index) & 0xffu);
}

void writeWord (std::uint8_t* destination, std::uint32_t value) noexcept
{
    for (int i = 0; i < 4; ++i)
        destination[i] = static_cast<std::uint8_t> (value >> (8 * i));
}

std::int32_t readSignedWord (const std::uint8_t* source) noexcept
{
    std::uint32_t value = 0;

    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t> (source[i]) << (8 * i);

    return static_cast<std::int32_t> (value);
}

std::int16_t readSignedHalfWord (const std::uint8_t* source) noexcept
{
    return static_cast<std::int16_t> (static_cast<std::uint16_t> (source[0] | (source[1] << 8)));
}

/** The gain scaled to signed 8.24 and rounded to nearest, halves to even. */
std::int32_t crosspointValue (float gain) noexcept
{
    return juce::roundToInt (gain * 16777216.0f);
}

/** The gain scaled to signed 8.24 and truncated toward zero; out-of-range gains saturate. */
std::int32_t outputGainValue (float gain) noexcept
{
    const auto scaled = gain * 16777216.0f;

    if (std::isnan (scaled))
        return 0;

    // The float nearest to 2^31 is 2^31 itself, which no longer fits: compare against it.
    if (scaled >= 2147483648.0f)
        return std::numeric_limits<std::int32_t>::max();

    if (scaled < -2147483648.0f)
        return std::numeric_limits<std::int32_t>::min();

    return static_cast<std::int32_t> (scaled);
}

using CrosspointRequest = std::array<std::uint8_t, 16>;
using OutputGainRequest = std::array<std::uint8_t, 14>;

CrosspointRequest makeCrosspointRequest (Hardware::Channel input, Hardware::Channel output, std::int32_t value) noexcept
{
    CrosspointRequest request {};
    writeWord (request.data(), propertySet);
    writeWord (request.data() + 4, crosspointProperty);
    request[8] = kindCode (input.kind);
    request[9] = indexByte (input.index);
    request[10] = kindCode (output.kind);
    request[11] = indexByte (output.index);
    writeWord (request.data() + 12, static_cast<std::uint32_t> (value));
    return request;
}

OutputGainRequest makeOutputGainRequest (Hardware::Channel output, std::int32_t value) noexcept
{
    OutputGainRequest request {};
    writeWord (request.data(), propertySet);
    writeWord (request.data() + 4, outputGainProperty);
    request[8] = kindCode (output.kind);
    request[9] = indexByte (output.index);
    writeWord (request.data() + 10, static_cast<std::uint32_t> (value));
    return request;
}

/** A string of the properties record: it ends at its NUL or at the end of its field, whichever
    comes first, and a surrogate without its partner becomes U+FFFD. */
template <std::size_t units>
juce::String stringFromField (const win::WCHAR (&field)[units])
{
    std::array<juce::juce_wchar, units + 1> characters {};
    std::size_t length = 0;

    for (std::size_t i = 0; i < units && field[i] != 0; ++i)
    {
        auto unit = static_cast<std::uint32_t> (field[i]);

        if (unit >= 0xd800 && unit <= 0xdbff && i + 1 < units)
        {
            const auto next = static_cast<std::uint32_t> (field[i + 1]);

            if (next >= 0xdc00 && next <= 0xdfff)
            {
                unit = 0x10000 + ((unit - 0xd800) << 10) + (next - 0xdc00);
                ++i;
            }
        }

        if (unit >= 0xd800 && unit <= 0xdfff)
            unit = 0xfffd;

        characters[length++] = static_cast<juce::juce_wchar> (unit);
    }

    return juce::String (juce::CharPointer_UTF32 (characters.data()));
}

/** Where the accessor keeps the count of each kind: property order 100 to 105. */
int countSlot (Hardware::ChannelKind kind) noexcept
{
    switch (kind)
    {
        case Hardware::ApplicationPlayback:  return 2;
        case Hardware::DeviceInput:          return 1;
        case Hardware::VirtualPlayback:      return 4;
        case Hardware::ApplicationRecording: return 3;
        case Hardware::DeviceOutput:         return 0;
        case Hardware::VirtualRecording:     return 5;
        default:                             return -1;
    }
}
} // namespace

//==============================================================================
HardwareBackend::Pimpl::Pimpl (HardwareBackend& backend)
    : owner (backend)
{
    dsp.api = &api;

    for (auto& limit : dsp.maxCounts)
        limit = maxChannelCount;

    if (api.LoadFromRegistry() == 0 && api.TUSBAUDIO_EnumerateDevices != nullptr)
        api.TUSBAUDIO_EnumerateDevices();

    pnpEvent = win::CreateEventA (nullptr, 0, 0, "PNPdeviceChange");
    settingsEvent = win::CreateEventA (nullptr, 0, 0, "deviceSettingsChange");

    scanDevices();

    if (api.TUSBAUDIO_RegisterPnpNotification != nullptr
        && api.TUSBAUDIO_RegisterPnpNotification (pnpEvent, pnpEvent, nullptr, 0, 0) == 0)
        startTimer (pollIntervalMs);
}

HardwareBackend::Pimpl::~Pimpl()
{
    stopTimer();

    if (deviceHandle != 0 && api.TUSBAUDIO_RegisterDeviceNotification != nullptr)
        api.TUSBAUDIO_RegisterDeviceNotification (deviceHandle, 0, settingsEvent, 0);

    if (api.TUSBAUDIO_UnregisterPnpNotification != nullptr)
        api.TUSBAUDIO_UnregisterPnpNotification();

    if (settingsEvent != nullptr)
        win::CloseHandle (settingsEvent);

    if (pnpEvent != nullptr)
        win::CloseHandle (pnpEvent);

    if (accessorHandleClosed)
    {
        forgetAccessorDevice();
    }
    else
    {
        dsp.enableMeters (false);
        dsp.close();
    }

    // The open interface is let go before its library goes away.
    if (deviceHandle != 0 && api.TUSBAUDIO_CloseDevice != nullptr)
        api.TUSBAUDIO_CloseDevice (deviceHandle);

    deviceHandle = 0;
    api.UnloadDll();
}

//==============================================================================
void HardwareBackend::Pimpl::timerCallback()
{
    const win::HANDLE events[] = { pnpEvent, settingsEvent };
    const auto result = win::WaitForMultipleObjects (2, events, 0, 0);

    if (result == win::WAIT_OBJECT_0)
    {
        currentDeviceIndex = -1;

        if (deviceHandle != 0)
        {
            if (api.TUSBAUDIO_CloseDevice != nullptr)
                api.TUSBAUDIO_CloseDevice (deviceHandle);

            deviceHandle = 0;

            // The accessor still holds the handle just closed; nothing more may go through it.
            forgetAccessorDevice();
            accessorHandleClosed = true;
        }

        scanDevices();
        owner.listeners.call ([] (Listener& l) { l.deviceChanged(); });
    }
    else if (result == win::WAIT_OBJECT_0 + 1)
    {
        owner.listeners.call ([] (Listener& l) { l.deviceSettingsChanged(); });
    }
}

void HardwareBackend::Pimpl::scanDevices()
{
    if (! isLoaded() || api.TUSBAUDIO_EnumerateDevices == nullptr || api.TUSBAUDIO_EnumerateDevices() != 0)
        return;

    devices.clear();

    const auto count = api.TUSBAUDIO_GetDeviceCount != nullptr ? std::min (api.TUSBAUDIO_GetDeviceCount(), maxDeviceCount)
                                                               : 0u;

    for (std::uint32_t i = 0; i < count; ++i)
    {
        DeviceInfo info;
        TUsbAudioHandle handle = 0;

        if (api.TUSBAUDIO_OpenDeviceByIndex != nullptr && api.TUSBAUDIO_OpenDeviceByIndex (i, &handle) == 0)
        {
            TUsbAudioDeviceProperties properties {};

            if (api.TUSBAUDIO_GetDeviceProperties != nullptr && api.TUSBAUDIO_GetDeviceProperties (handle, &properties) == 0)
            {
                info.manufacturer = stringFromField (properties.manufacturer);
                info.productName = stringFromField (properties.product);
                info.serialNumber = stringFromField (properties.serialNumber);
            }

            // Only the open interface keeps a handle.
            if (api.TUSBAUDIO_CloseDevice != nullptr)
                api.TUSBAUDIO_CloseDevice (handle);
        }

        devices.push_back (std::move (info));
    }
}

void HardwareBackend::Pimpl::open (int index)
{
    if (! isLoaded())
        return;

    if (accessorHandleClosed)
        forgetAccessorDevice();
    else
        dsp.close();

    accessorHandleClosed = false;

    if (api.TUSBAUDIO_GetDeviceCount == nullptr || api.TUSBAUDIO_GetDeviceCount() == 0)
    {
        asioInstanceIndex = 0;
        currentDeviceIndex = -1;
        return;
    }

    TUsbAudioHandle handle = 0;

    if (index < 0 || static_cast<std::size_t> (index) >= devices.size()
        || api.TUSBAUDIO_OpenDeviceByIndex == nullptr
        || api.TUSBAUDIO_OpenDeviceByIndex (static_cast<std::uint32_t> (index), &handle) != 0)
    {
        currentDeviceIndex = -1;
        return;
    }

    deviceHandle = handle;

    if (api.TUSBAUDIO_GetASIORelation != nullptr)
        api.TUSBAUDIO_GetASIORelation (deviceHandle, &asioInstanceIndex);

    if (api.TUSBAUDIO_RegisterDeviceNotification != nullptr)
        api.TUSBAUDIO_RegisterDeviceNotification (deviceHandle, categoryFilterSettings, settingsEvent, 0);

    currentDeviceIndex = index;
    currentDevice = devices[static_cast<std::size_t> (index)];

    if (deviceHandle != 0)
    {
        dsp.deviceHandle = deviceHandle;

        if (dsp.queryLayout() != 0)
            dsp.close();
    }

    dsp.buildMeterRequest();
    dsp.enableMeters (true);
}

void HardwareBackend::Pimpl::forgetAccessorDevice()
{
    dsp.metersEnabled = false;
    dsp.deviceHandle = 0;
    dsp.protocolVersion = 0;
    dsp.protocolWord2 = 0;

    for (auto& count : dsp.counts)
        count = 0;

    dsp.close();
}

//==============================================================================
std::vector<Hardware::Channel> HardwareBackend::Pimpl::getChannels (Hardware::ChannelKind kind) const
{
    std::vector<Hardware::Channel> channels;
    const auto slot = countSlot (kind);

    if (! isConnected() || slot < 0)
        return channels;

    const auto count = std::min (dsp.counts[slot], maxChannelCount);
    channels.reserve (count);

    for (std::uint32_t i = 0; i < count; ++i)
        channels.push_back ({ kind, static_cast<std::int32_t> (i) });

    return channels;
}

void HardwareBackend::Pimpl::setCrosspointGain (Hardware::Channel input, Hardware::Channel output, float gain)
{
    if (! isConnected() || ! isMixerInput (input.kind) || ! isMixerOutput (output.kind))
        return;

    auto request = makeCrosspointRequest (input, output, crosspointValue (gain));
    sendDspRequest (true, request.data(), static_cast<std::uint32_t> (request.size()));
}

float HardwareBackend::Pimpl::getCrosspointGain (Hardware::Channel input, Hardware::Channel output)
{
    if (! isMixerInput (input.kind) || ! isMixerOutput (output.kind))
        return 0.0f;

    auto request = makeCrosspointRequest (input, output, 0);

    if (! sendDspRequest (false, request.data(), static_cast<std::uint32_t> (request.size())))
        return 0.0f;

    return static_cast<float> (readSignedWord (request.data() + 12)) * fixedPointToGain;
}

void HardwareBackend::Pimpl::setCrosspointGains (const std::vector<Hardware::MacroNode>& crosspoints, float gain)
{
    if (accessorHandleClosed)
        return;

    const auto value = crosspointValue (gain);

    std::vector<std::pair<Hardware::Channel, Hardware::Channel>> routes;
    routes.reserve (crosspoints.size());

    for (const auto& node : crosspoints)
        routes.push_back ({ { static_cast<Hardware::ChannelKind> (node.inputKind), node.inputIndex },
                            { static_cast<Hardware::ChannelKind> (node.outputKind), node.outputIndex } });

    dsp.setCrosspointGains (routes, value);
}

void HardwareBackend::Pimpl::setOutputGain (Hardware::Channel output, float gain)
{
    if (! isConnected() || ! isMixerOutput (output.kind))
        return;

    auto request = makeOutputGainRequest (output, outputGainValue (gain));
    sendDspRequest (true, request.data(), static_cast<std::uint32_t> (request.size()));
}

float HardwareBackend::Pimpl::getOutputGain (Hardware::Channel output)
{
    if (! isConnected() || ! isMixerOutput (output.kind))
        return 0.0f;

    auto request = makeOutputGainRequest (output, 0);

    if (! sendDspRequest (false, request.data(), static_cast<std::uint32_t> (request.size())))
        return 0.0f;

    return static_cast<float> (readSignedWord (request.data() + 10)) * fixedPointToGain;
}

bool HardwareBackend::Pimpl::sendDspRequest (bool isSet, void* request, std::uint32_t size)
{
    if (accessorHandleClosed)
        return false;

    if (isSet)
        return api.TUSBAUDIO_SetDspProperty != nullptr
            && api.TUSBAUDIO_SetDspProperty (dsp.deviceHandle, request, size) == 0;

    return api.TUSBAUDIO_GetDspProperty != nullptr
        && api.TUSBAUDIO_GetDspProperty (dsp.deviceHandle, request, size) == 0;
}

float HardwareBackend::Pimpl::getMeterLevel (Hardware::Channel channel) const
{
    if (! isConnected())
        return 0.0f;

    const auto span = dsp.meterSpan (channel.kind);

    if (span.entries == nullptr || static_cast<std::uint32_t> (channel.index) >= span.count)
        return -120.0f;

    const auto* entry = span.entries + 8 * static_cast<std::size_t> (channel.index);
    return static_cast<float> (readSignedHalfWord (entry + 6)) * 0.01f;
}

void HardwareBackend::Pimpl::refreshMeters()
{
    if (! isConnected() || ! dsp.metersEnabled || dsp.meterBlock.empty() || api.TUSBAUDIO_GetDspProperty == nullptr)
        return;

    api.TUSBAUDIO_GetDspProperty (dsp.deviceHandle, dsp.meterBlock.data(), static_cast<std::uint32_t> (dsp.meterBlock.size()));
}

std::vector<std::uint32_t> HardwareBackend::Pimpl::getBufferSizes() const
{
    std::vector<std::uint32_t> sizes;

    if (! isConnected() || api.TUSBAUDIO_GetASIOInstanceInfo == nullptr)
        return sizes;

    TUsbAudioAsioInstanceInfo info {};

    if (api.TUSBAUDIO_GetASIOInstanceInfo (asioInstanceIndex, &info) != 0)
        return sizes;

    // The count comes from the driver: take no more sizes than the record holds.
    const auto count = std::min<std::size_t> (info.bufferSizeCount, TUsbAudioAsioInstanceInfo::maxBufferSizes);
    sizes.assign (info.bufferSizes, info.bufferSizes + count);
    return sizes;
}
