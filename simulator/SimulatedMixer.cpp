#include "simulator/SimulatedMixer.h"

#include <algorithm>

using namespace DspProtocol;

namespace
{
// Which count belongs to a kind code, for each side.
constexpr CountIndex inputCounts[]  = { applicationPlaybackCount, deviceInputCount, virtualPlaybackCount };
constexpr CountIndex outputCounts[] = { applicationRecordingCount, deviceOutputCount, virtualRecordingCount };

// The wire can only address 256 channels of a kind, however many a device claims to have.
constexpr std::uint32_t addressableChannels = 256;
} // namespace

SimulatedMixer::SimulatedMixer (const Counts& initialCounts)
    : counts (initialCounts)
{
    resetToFactory();
}

void SimulatedMixer::setCounts (const Counts& newCounts)
{
    counts = newCounts;
    resetToFactory();
}

void SimulatedMixer::resetToFactory()
{
    crosspoints.clear();
    outputGains.clear();

    const auto route = [this] (CountIndex inCount, std::uint8_t inCode, CountIndex outCount, std::uint8_t outCode)
    {
        const auto n = std::min ({ counts[inCount], counts[outCount], addressableChannels });

        for (std::uint32_t i = 0; i < n; ++i)
        {
            const auto index = static_cast<std::uint8_t> (i);
            crosspoints[{ key (outCode, index), key (inCode, index) }] = unityGain;
        }
    };

    route (applicationPlaybackCount, 0, deviceOutputCount, 1);
    route (deviceInputCount, 1, applicationRecordingCount, 0);
}

std::uint32_t SimulatedMixer::inputCount (std::uint8_t code) const noexcept
{
    return code < 3 ? counts[inputCounts[code]] : 0;
}

std::uint32_t SimulatedMixer::outputCount (std::uint8_t code) const noexcept
{
    return code < 3 ? counts[outputCounts[code]] : 0;
}

bool SimulatedMixer::isInput (std::uint8_t code, std::uint32_t index) const noexcept
{
    return index < inputCount (code);
}

bool SimulatedMixer::isOutput (std::uint8_t code, std::uint32_t index) const noexcept
{
    return index < outputCount (code);
}

std::int32_t SimulatedMixer::getCrosspointGain (std::uint8_t inCode, std::uint8_t inIndex,
                                                std::uint8_t outCode, std::uint8_t outIndex) const
{
    const auto found = crosspoints.find ({ key (outCode, outIndex), key (inCode, inIndex) });
    return found != crosspoints.end() ? found->second : 0;
}

void SimulatedMixer::setCrosspointGain (std::uint8_t inCode, std::uint8_t inIndex,
                                        std::uint8_t outCode, std::uint8_t outIndex, std::int32_t gain)
{
    const std::pair<std::uint16_t, std::uint16_t> crosspoint { key (outCode, outIndex), key (inCode, inIndex) };

    if (gain == 0)
        crosspoints.erase (crosspoint);
    else
        crosspoints[crosspoint] = gain;
}

std::int32_t SimulatedMixer::getOutputGain (std::uint8_t code, std::uint8_t index) const
{
    const auto found = outputGains.find (key (code, index));
    return found != outputGains.end() ? found->second : unityGain;
}

void SimulatedMixer::setOutputGain (std::uint8_t code, std::uint8_t index, std::int32_t gain)
{
    outputGains[key (code, index)] = gain;
}

void SimulatedMixer::forEachCrosspointInto (std::uint8_t outCode, std::uint8_t outIndex,
                                            const std::function<void (std::uint8_t, std::uint8_t, std::int32_t)>& visit) const
{
    const auto output = key (outCode, outIndex);

    for (auto it = crosspoints.lower_bound ({ output, 0 }); it != crosspoints.end() && it->first.first == output; ++it)
        visit (static_cast<std::uint8_t> (it->first.second >> 8), static_cast<std::uint8_t> (it->first.second & 0xFF), it->second);
}

std::uint16_t SimulatedMixer::key (std::uint8_t code, std::uint8_t index) noexcept
{
    return static_cast<std::uint16_t> ((code << 8) | index);
}
