#pragma once

#include "driver/DspProtocol.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>

/**
    The mixer of a simulated interface: its six channel counts, its crosspoint gains and its output
    gains, addressed as on the wire (kind code 0 to 2 and index byte, the side given by the call).

    Gains are stored exactly as received; a crosspoint that was never set reads its factory value.
*/
class SimulatedMixer
{
public:
    using Counts = std::array<std::uint32_t, DspProtocol::numCounts>;

    explicit SimulatedMixer (const Counts& counts);

    const Counts& getCounts() const noexcept { return counts; }

    /** New counts, and the factory routing for them. */
    void setCounts (const Counts& newCounts);

    /** Back to the factory routing: application playback i to device output i, device input i
        to application recording i, at unity; all other crosspoints 0; all output gains unity. */
    void resetToFactory();

    std::uint32_t inputCount (std::uint8_t code) const noexcept;
    std::uint32_t outputCount (std::uint8_t code) const noexcept;

    /** True when the kind code names a kind of that side and the index is below its count. */
    bool isInput (std::uint8_t code, std::uint32_t index) const noexcept;
    bool isOutput (std::uint8_t code, std::uint32_t index) const noexcept;

    std::int32_t getCrosspointGain (std::uint8_t inCode, std::uint8_t inIndex,
                                    std::uint8_t outCode, std::uint8_t outIndex) const;
    void setCrosspointGain (std::uint8_t inCode, std::uint8_t inIndex,
                            std::uint8_t outCode, std::uint8_t outIndex, std::int32_t gain);

    std::int32_t getOutputGain (std::uint8_t code, std::uint8_t index) const;
    void setOutputGain (std::uint8_t code, std::uint8_t index, std::int32_t gain);

    /** Calls `visit` (input code, input index, gain) for every non-zero crosspoint into an output. */
    void forEachCrosspointInto (std::uint8_t outCode, std::uint8_t outIndex,
                                const std::function<void (std::uint8_t, std::uint8_t, std::int32_t)>& visit) const;

private:
    static std::uint16_t key (std::uint8_t code, std::uint8_t index) noexcept;

    Counts counts;
    std::map<std::pair<std::uint16_t, std::uint16_t>, std::int32_t> crosspoints;   // (output, input) -> non-zero gain
    std::map<std::uint16_t, std::int32_t> outputGains;
};
