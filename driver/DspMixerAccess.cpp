#include "driver/DspMixerAccess.h"

#include "driver/TUsbAudioApiDll.h"

#include <algorithm>

namespace
{
using namespace DspProtocol;

struct MeterGroup
{
    Hardware::ChannelKind kind;
    CountIndex count;
};

// The meter block's kinds in their order: the mixer inputs, then the mixer outputs.
constexpr MeterGroup meterOrder[] = {
    { Hardware::ApplicationPlayback,  applicationPlaybackCount },
    { Hardware::DeviceInput,          deviceInputCount },
    { Hardware::VirtualPlayback,      virtualPlaybackCount },
    { Hardware::DeviceOutput,         deviceOutputCount },
    { Hardware::ApplicationRecording, applicationRecordingCount },
    { Hardware::VirtualRecording,     virtualRecordingCount }
};

std::uint8_t kindCode (Hardware::ChannelKind kind) noexcept
{
    return static_cast<std::uint8_t> (static_cast<std::uint32_t> (kind) % 4);
}

std::uint8_t indexByte (std::int32_t index) noexcept
{
    return static_cast<std::uint8_t> (static_cast<std::uint32_t> (index) & 0xFFu);
}

void writeChannel (std::uint8_t* at, Hardware::Channel channel) noexcept
{
    at[0] = kindCode (channel.kind);
    at[1] = indexByte (channel.index);
}
} // namespace

//==============================================================================
std::int16_t DspMixerAccess::MeterSpan::levelAt (std::uint32_t i) const noexcept
{
    if (entries == nullptr || i >= count)
        return noLevel;

    return readI16 (entries + std::size_t (i) * meterEntrySize + 6);
}

//==============================================================================
DspMixerAccess::DspMixerAccess (TUsbAudioApiDll* apiToUse) noexcept
    : api (apiToUse)
{
}

DspMixerAccess::~DspMixerAccess()
{
    close();
}

TUsbAudioStatus DspMixerAccess::get (std::uint8_t* request, std::size_t size)
{
    if (api == nullptr || api->TUSBAUDIO_GetDspProperty == nullptr)
        return TUsbAudioStatusCode::entryPointMissing;

    return api->TUSBAUDIO_GetDspProperty (deviceHandle, request, static_cast<std::uint32_t> (size));
}

TUsbAudioStatus DspMixerAccess::set (const std::uint8_t* request, std::size_t size)
{
    if (api == nullptr || api->TUSBAUDIO_SetDspProperty == nullptr)
        return TUsbAudioStatusCode::entryPointMissing;

    return api->TUSBAUDIO_SetDspProperty (deviceHandle, request, static_cast<std::uint32_t> (size));
}

TUsbAudioStatus DspMixerAccess::queryLayout()
{
    std::array<std::uint8_t, versionRequestSize> request {};
    writeHeader (request.data(), protocolVersionProperty);

    if (const auto status = get (request.data(), request.size()); status != TUsbAudioStatusCode::success)
        return status;

    protocolVersion = readU32 (request.data() + 8);
    protocolWord2 = readU32 (request.data() + 12);

    if (protocolVersion != supportedProtocolVersion)
        return TUsbAudioStatusCode::versionMismatch;

    for (std::size_t i = 0; i < numCounts; ++i)
    {
        if (const auto status = getProperty (firstCountProperty + static_cast<std::uint32_t> (i), counts[i]);
            status != TUsbAudioStatusCode::success)
            return status;

        counts[i] = std::min (counts[i], maxCounts[i]);
    }

    return TUsbAudioStatusCode::success;
}

TUsbAudioStatus DspMixerAccess::getProperty (std::uint32_t property, std::uint32_t& value)
{
    std::array<std::uint8_t, valueRequestSize> request {};
    writeHeader (request.data(), property);

    const auto status = get (request.data(), request.size());

    if (status == TUsbAudioStatusCode::success)
        value = readU32 (request.data() + 8);

    return status;
}

TUsbAudioStatus DspMixerAccess::setCrosspointGains (const std::vector<Route>& routes, std::int32_t gain)
{
    std::vector<std::uint8_t> request (headerSize + crosspointEntrySize * routes.size(), 0);
    writeHeader (request.data(), crosspointGainProperty);

    auto* entry = request.data() + headerSize;

    for (const auto& [input, output] : routes)
    {
        if (! isInputKind (input.kind) || ! isOutputKind (output.kind))
            return TUsbAudioStatusCode::invalidParameter;

        writeChannel (entry, input);
        writeChannel (entry + 2, output);
        writeI32 (entry + 4, gain);
        entry += crosspointEntrySize;
    }

    return set (request.data(), request.size());
}

TUsbAudioStatus DspMixerAccess::enableMeters (bool on)
{
    metersEnabled = false;

    std::array<std::uint8_t, valueRequestSize> request {};
    writeHeader (request.data(), meterSwitchProperty);
    writeU32 (request.data() + 8, on ? 1u : 0u);

    const auto status = set (request.data(), request.size());

    if (status == TUsbAudioStatusCode::success)
        metersEnabled = on;

    return status;
}

void DspMixerAccess::buildMeterRequest()
{
    std::size_t entries = 0;

    for (const auto count : counts)
        entries += count;

    meterBlock.clear();
    meterBlock.resize (headerSize + meterEntrySize * entries, 0);
    writeMeterLayout();
}

bool DspMixerAccess::meterBlockFitsCounts() const noexcept
{
    std::size_t entries = 0;

    for (const auto count : counts)
        entries += count;

    return meterBlock.size() == headerSize + meterEntrySize * entries;
}

void DspMixerAccess::restoreMeterLayout() noexcept
{
    // Only over the block that these counts laid out.
    if (meterBlockFitsCounts())
        writeMeterLayout();
}

void DspMixerAccess::writeMeterLayout() noexcept
{
    writeHeader (meterBlock.data(), meterBlockProperty);

    auto* entry = meterBlock.data() + headerSize;

    for (const auto& group : meterOrder)
    {
        const auto side = isInputKind (group.kind) ? inputSide : outputSide;

        for (std::uint32_t i = 0; i < counts[group.count]; ++i)
        {
            writeU32 (entry, side);
            entry[4] = kindCode (group.kind);
            entry[5] = static_cast<std::uint8_t> (i & 0xFFu);
            entry += meterEntrySize;
        }
    }
}

DspMixerAccess::MeterSpan DspMixerAccess::meterSpan (Hardware::ChannelKind kind) const noexcept
{
    // Counts that the block was not laid out for would place entries anywhere, even beyond it.
    if (! metersEnabled || meterBlock.empty() || ! meterBlockFitsCounts())
        return {};

    std::size_t before = 0;

    for (const auto& group : meterOrder)
    {
        if (group.kind == kind)
            return { meterBlock.data() + headerSize + meterEntrySize * before, counts[group.count] };

        before += counts[group.count];
    }

    return {};
}

void DspMixerAccess::close()
{
    if (deviceHandle != 0)
    {
        enableMeters (false);
        deviceHandle = 0;
        protocolVersion = 0;
        protocolWord2 = 0;
        counts.fill (0);
    }

    std::vector<std::uint8_t>().swap (meterBlock);
}

//==============================================================================
DspMixerAccess::CrosspointRequest DspMixerAccess::makeCrosspointRequest (Hardware::Channel input,
                                                                         Hardware::Channel output,
                                                                         std::int32_t gain) noexcept
{
    CrosspointRequest request {};
    writeHeader (request.data(), crosspointGainProperty);
    writeChannel (request.data() + 8, input);
    writeChannel (request.data() + 10, output);
    writeI32 (request.data() + 12, gain);
    return request;
}

DspMixerAccess::OutputGainRequest DspMixerAccess::makeOutputGainRequest (Hardware::Channel output,
                                                                         std::int32_t gain) noexcept
{
    OutputGainRequest request {};
    writeHeader (request.data(), outputGainProperty);
    writeChannel (request.data() + 8, output);
    writeI32 (request.data() + 10, gain);
    return request;
}

std::int32_t DspMixerAccess::gainOf (const CrosspointRequest& request) noexcept
{
    return readI32 (request.data() + 12);
}

std::int32_t DspMixerAccess::gainOf (const OutputGainRequest& request) noexcept
{
    return readI32 (request.data() + 10);
}

bool DspMixerAccess::isInputKind (Hardware::ChannelKind kind) noexcept
{
    return static_cast<std::uint32_t> (kind) <= 2;
}

bool DspMixerAccess::isOutputKind (Hardware::ChannelKind kind) noexcept
{
    const auto k = static_cast<std::uint32_t> (kind);
    return k >= 4 && k <= 6;
}
