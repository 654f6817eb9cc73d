#pragma once

#include <cstdint>
#include <map>

class SimulatedMixer;

/**
    The level meters of a simulated interface, deterministic so that tests can predict them.

    Each mixer input carries a slowly moving test signal (a sine of its own phase between -36 and
    -12 dB, one step per meter request) unless a test fixed its level. Each output reads the sum of
    its inputs' amplitudes through the crosspoint gains, times its output gain, up to 0 dB.
    Levels are signed hundredths of a dB; silence reads `silence`.
*/
class MeterModel
{
public:
    static constexpr std::int16_t silence = -12000;

    /** One step of the moving signals; every meter block request takes one. */
    void advance() noexcept { ++step; }

    /** Fixes an input's level, limited to silence..0. */
    void fixInputLevel (std::uint8_t code, std::uint8_t index, std::int32_t level);

    /** Gives an input back its moving signal. */
    void releaseInputLevel (std::uint8_t code, std::uint8_t index);

    std::int16_t inputLevel (std::uint8_t code, std::uint8_t index) const;
    std::int16_t outputLevel (const SimulatedMixer& mixer, std::uint8_t code, std::uint8_t index) const;

private:
    static std::uint16_t key (std::uint8_t code, std::uint8_t index) noexcept;
    static std::int16_t levelOfAmplitude (double amplitude) noexcept;

    std::uint64_t step = 0;
    std::map<std::uint16_t, std::int16_t> fixedLevels;
};
