#include "ui/GainScale.h"

#include <algorithm>
#include <cmath>

namespace GainScale
{
float decibelsToGain (float decibels)
{
    return decibels > floorDecibels ? std::pow (10.0f, decibels * 0.05f) : 0.0f;
}

float gainToDecibels (float gain)
{
    return gain > 0.0f ? std::max (20.0f * std::log10 (gain), floorDecibels) : floorDecibels;
}

double gainToDecibels (double gain)
{
    constexpr auto floor = static_cast<double> (floorDecibels);
    return gain > 0.0 ? std::max (20.0 * std::log10 (gain), floor) : floor;
}

float percentToDecibels (float percent)
{
    return percent * 80.0f / 100.0f - 80.0f;
}

float decibelsToPercent (float decibels)
{
    return (decibels + 80.0f) * 100.0f / 80.0f;
}

float percentToGain (float percent)
{
    return decibelsToGain (percentToDecibels (percent));
}

float gainToPercent (float gain)
{
    return decibelsToPercent (gainToDecibels (gain));
}
} // namespace GainScale
