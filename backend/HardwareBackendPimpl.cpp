#include "backend/HardwareBackendPimpl.h"

#include "driver/WnStringPrintf.h"
#include "driver/WnTraceLogContext.h"
#include "platform/WinEvents.h"
#include "platform/WinModules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace
{
constexpr std::uint32_t categoryFilterSettings = 0x21;
constexpr int pollIntervalMs = 1000;

/** No driver lists more interfaces than this; a larger count is not believed. */
constexpr std::uint32_t maxDeviceCount = 256;

/** What a meter without a level to show reads: -120 dB, nothing lit. */
constexpr float unlitLevel = static_cast<float> (DspMixerAccess::noLevel) * 0.01f;

/** A signed 8.24 value read back from the interface, as a linear factor. */
constexpr float fixedPointToGain = 5.9604645e-8f;

/** True when a gain scaled to signed 8.24 does not fit in 32 bits; `value` is then its saturated
    value: the nearest end of the range, 0 for NaN. */
bool saturates (float scaled, std::int32_t& value) noexcept
{
    if (std::isnan (scaled))
    {
        value = 0;
        return true;
    }

    // 2^31 is exactly representable as a float and is the first value that no longer fits; below
    // it floats are 128 apart, so no value in range rounds up to it.
    if (scaled >= 2147483648.0f)
    {
        value = std::numeric_limits<std::int32_t>::max();
        return true;
    }

    if (scaled < -2147483648.0f)
    {
        value = std::numeric_limits<std::int32_t>::min();
        return true;
    }

    return false;
}

/** The gain scaled to signed 8.24 and rounded to nearest, halves to even; out-of-range gains saturate. */
std::int32_t crosspointValue (float gain) noexcept
{
    const auto scaled = gain * 16777216.0f;
    std::int32_t value = 0;
    return saturates (scaled, value) ? value : juce::roundToInt (scaled);
}

/** The gain scaled to signed 8.24 and truncated toward zero; out-of-range gains saturate. */
std::int32_t outputGainValue (float gain) noexcept
{
    const auto scaled = gain * 16777216.0f;
    std::int32_t value = 0;
    return saturates (scaled, value) ? value : static_cast<std::int32_t> (scaled);
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

/** Where the accessor keeps the count of a kind (property order 100 to 105); numCounts for none. */
std::size_t countSlot (Hardware::ChannelKind kind) noexcept
{
    switch (kind)
    {
        case Hardware::ApplicationPlayback:  return DspProtocol::applicationPlaybackCount;
        case Hardware::DeviceInput:          return DspProtocol::deviceInputCount;
        case Hardware::VirtualPlayback:      return DspProtocol::virtualPlaybackCount;
        case Hardware::ApplicationRecording: return DspProtocol::applicationRecordingCount;
        case Hardware::DeviceOutput:         return DspProtocol::deviceOutputCount;
        case Hardware::VirtualRecording:     return DspProtocol::virtualRecordingCount;
        default:                             return DspProtocol::numCounts;
    }
}
} // namespace

//==============================================================================
HardwareBackend::Pimpl::Pimpl (HardwareBackend& backend)
    : owner (backend),
      dsp (&api)
{
    dsp.maxCounts.fill (DspMixerAccess::channelLimit);

    if (api.LoadFromRegistry() == 0 && api.TUSBAUDIO_EnumerateDevices != nullptr)
        api.TUSBAUDIO_EnumerateDevices();

    pnpEvent = createEvent ("PNPdeviceChange");
    settingsEvent = createEvent ("deviceSettingsChange");

    scanDevices();

    // Without its event the driver could not tell us of device changes, so none are looked for.
    if (pnpEvent != nullptr && api.TUSBAUDIO_RegisterPnpNotification != nullptr
        && api.TUSBAUDIO_RegisterPnpNotification (pnpEvent, pnpEvent, nullptr, 0, 0) == 0)
        startTimer (pollIntervalMs);
}

win::HANDLE HardwareBackend::Pimpl::createEvent (const char* name)
{
    auto* event = win::CreateEventA (nullptr, 0, 0, name);

    if (event == nullptr)
    {
        const auto error = win::GetLastError();

        // One line for whoever watches the debugger output; the mixer carries on without the event.
        auto& traceLog = WnTraceLogContext::getGlobal();
        char line[256] = {};
        const auto prefixLength = traceLog.formatPrefix (WnTraceLogContext::errorLevel, line, sizeof (line));
        WnStringPrintfA (line + prefixLength, sizeof (line) - prefixLength,
                         "Could not create the event \"%s\" (error %u)\n", name, unsigned { error });
        traceLog.writeText (line);
    }

    return event;
}

HardwareBackend::Pimpl::~Pimpl()
{
    stopTimer();

    if (deviceHandle != 0 && settingsEvent != nullptr && api.TUSBAUDIO_RegisterDeviceNotification != nullptr)
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
    // The timer runs only with the plug-and-play event; the settings event may be missing.
    if (pnpEvent == nullptr)
        return;

    const win::HANDLE events[] = { pnpEvent, settingsEvent };
    const win::DWORD eventCount = settingsEvent != nullptr ? 2 : 1;
    const auto result = win::WaitForMultipleObjects (eventCount, events, 0, 0);

    if (result == win::WAIT_OBJECT_0)
    {
        currentDeviceIndex = -1;
        meterLevelsRead = false;

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
    meterLevelsRead = false;

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

    if (settingsEvent != nullptr && api.TUSBAUDIO_RegisterDeviceNotification != nullptr)
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

    dsp.counts.fill (0);

    dsp.close();
}

//==============================================================================
std::vector<Hardware::Channel> HardwareBackend::Pimpl::getChannels (Hardware::ChannelKind kind) const
{
    std::vector<Hardware::Channel> channels;
    const auto slot = countSlot (kind);

    if (! isConnected() || slot >= DspProtocol::numCounts)
        return channels;

    const auto count = std::min (dsp.counts[slot], DspMixerAccess::channelLimit);
    channels.reserve (count);

    for (std::uint32_t i = 0; i < count; ++i)
        channels.push_back ({ kind, static_cast<std::int32_t> (i) });

    return channels;
}

void HardwareBackend::Pimpl::setCrosspointGain (Hardware::Channel input, Hardware::Channel output, float gain)
{
    if (! isConnected() || ! DspMixerAccess::isInputKind (input.kind) || ! DspMixerAccess::isOutputKind (output.kind))
        return;

    auto request = DspMixerAccess::makeCrosspointRequest (input, output, crosspointValue (gain));
    sendDspRequest (true, request.data(), static_cast<std::uint32_t> (request.size()));
}

float HardwareBackend::Pimpl::getCrosspointGain (Hardware::Channel input, Hardware::Channel output)
{
    if (! DspMixerAccess::isInputKind (input.kind) || ! DspMixerAccess::isOutputKind (output.kind))
        return 0.0f;

    auto request = DspMixerAccess::makeCrosspointRequest (input, output, 0);

    if (! sendDspRequest (false, request.data(), static_cast<std::uint32_t> (request.size())))
        return 0.0f;

    return static_cast<float> (DspMixerAccess::gainOf (request)) * fixedPointToGain;
}

void HardwareBackend::Pimpl::setCrosspointGains (const std::vector<Hardware::MacroNode>& crosspoints, float gain)
{
    if (accessorHandleClosed)
        return;

    const auto value = crosspointValue (gain);

    std::vector<DspMixerAccess::Route> routes;
    routes.reserve (crosspoints.size());

    for (const auto& node : crosspoints)
        routes.push_back ({ { static_cast<Hardware::ChannelKind> (node.inputKind), node.inputIndex },
                            { static_cast<Hardware::ChannelKind> (node.outputKind), node.outputIndex } });

    dsp.setCrosspointGains (routes, value);
}

void HardwareBackend::Pimpl::setOutputGain (Hardware::Channel output, float gain)
{
    if (! isConnected() || ! DspMixerAccess::isOutputKind (output.kind))
        return;

    auto request = DspMixerAccess::makeOutputGainRequest (output, outputGainValue (gain));
    sendDspRequest (true, request.data(), static_cast<std::uint32_t> (request.size()));
}

float HardwareBackend::Pimpl::getOutputGain (Hardware::Channel output)
{
    if (! isConnected() || ! DspMixerAccess::isOutputKind (output.kind))
        return 0.0f;

    auto request = DspMixerAccess::makeOutputGainRequest (output, 0);

    if (! sendDspRequest (false, request.data(), static_cast<std::uint32_t> (request.size())))
        return 0.0f;

    return static_cast<float> (DspMixerAccess::gainOf (request)) * fixedPointToGain;
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
    // Nothing lit until the interface has given its levels: the block's own are only zeros.
    if (! isConnected() || ! meterLevelsRead)
        return unlitLevel;

    // A channel without an entry (meters off, no such kind, index beyond the count) reads -120 dB.
    const auto level = dsp.meterSpan (channel.kind).levelAt (static_cast<std::uint32_t> (channel.index));
    return static_cast<float> (level) * 0.01f;
}

void HardwareBackend::Pimpl::refreshMeters()
{
    if (! isConnected() || ! dsp.metersEnabled || dsp.meterBlock.empty() || api.TUSBAUDIO_GetDspProperty == nullptr)
        return;

    // The last reply was written into the block in place; only its levels are kept.
    dsp.restoreMeterLayout();

    if (api.TUSBAUDIO_GetDspProperty (dsp.deviceHandle, dsp.meterBlock.data(), static_cast<std::uint32_t> (dsp.meterBlock.size())) == 0)
        meterLevelsRead = true;
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
