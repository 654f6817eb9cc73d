#include "simulator/MeterModel.h"

#include "driver/DspProtocol.h"
#include "simulator/SimulatedMixer.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double pi = 3.14159265358979323846;
constexpr double stepsPerCycle = 150.0;   // about five seconds at the mixer's meter rate
constexpr double centreLevel = -2400.0;
constexpr double swing = 1200.0;
} // namespace

void MeterModel::fixInputLevel (std::uint8_t code, std::uint8_t index, std::int32_t level)
{
    fixedLevels[key (code, index)] = static_cast<std::int16_t> (std::clamp<std::int32_t> (level, silence, 0));
}

void MeterModel::releaseInputLevel (std::uint8_t code, std::uint8_t index)
{
    fixedLevels.erase (key (code, index));
}

std::int16_t MeterModel::inputLevel (std::uint8_t code, std::uint8_t index) const
{
    if (const auto fixed = fixedLevels.find (key (code, index)); fixed != fixedLevels.end())
        return fixed->second;

    // Every input has a phase of its own, so that neighbouring meters do not move in step.
    const auto phase = static_cast<double> (code * 37 + index * 11) / 64.0;
    const auto level = centreLevel + swing * std::sin (2.0 * pi * (static_cast<double> (step) / stepsPerCycle + phase));
    return static_cast<std::int16_t> (std::lround (level));
}

std::int16_t MeterModel::outputLevel (const SimulatedMixer& mixer, std::uint8_t code, std::uint8_t index) const
{
    double amplitude = 0.0;

    mixer.forEachCrosspointInto (code, index, [&] (std::uint8_t inCode, std::uint8_t inIndex, std::int32_t gain)
    {
        if (! mixer.isInput (inCode, inIndex))
            return;

        const auto level = inputLevel (inCode, inIndex);

        if (level > silence)
            amplitude += std::pow (10.0, level / 2000.0) * gain / double (DspProtocol::unityGain);
    });

    amplitude *= mixer.getOutputGain (code, index) / double (DspProtocol::unityGain);
    return levelOfAmplitude (std::abs (amplitude));
}

std::int16_t MeterModel::levelOfAmplitude (double amplitude) noexcept
{
    if (amplitude <= 0.0)
        return silence;

    const auto level = std::lround (2000.0 * std::log10 (amplitude));
    return static_cast<std::int16_t> (std::clamp<long> (level, silence, 0));
}

std::uint16_t MeterModel::key (std::uint8_t code, std::uint8_t index) noexcept
{
    return static_cast<std::uint16_t> ((code << 8) | index);
}
