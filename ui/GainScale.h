#pragma once

/**
    The widgets' one scale of levels: a linear gain, its level in decibels, and the per cent of the
    matrix cells and macro sliders. 0 to 100 per cent span -80 to 0 dB linearly; -80 dB is the
    floor, and a level at or below it is the gain 0.

    Everything is single precision, except the one conversion from gain to decibels that the
    output faders make in double precision: gainToDecibels works in the precision of its argument.
*/
namespace GainScale
{
/** The lowest level, in decibels: silence. */
constexpr float floorDecibels = -80.0f;

/** 10 to the power (dB × 0.05) (powf) above the floor; exactly 0 at or below it. */
float decibelsToGain (float decibels);

/** 20 × log10 (gain), never below the floor; a gain of 0 or less is the floor. */
float gainToDecibels (float gain);
double gainToDecibels (double gain);

/** dB = per cent × 80 / 100 − 80. */
float percentToDecibels (float percent);

/** per cent = (dB + 80) × 100 / 80, not rounded. */
float decibelsToPercent (float decibels);

float percentToGain (float percent);

/** Not clamped: a gain above 1.0 gives more than 100 per cent. */
float gainToPercent (float gain);
} // namespace GainScale
