#include "ui/GainScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <type_traits>

using namespace GainScale;

TEST (GainScale, DecibelsToGainIsExactlySilentAtTheFloorAndUnityAtZero)
{
    EXPECT_EQ (decibelsToGain (-80.0f), 0.0f);
    EXPECT_EQ (decibelsToGain (-200.0f), 0.0f);
    EXPECT_GT (decibelsToGain (-79.5f), 0.0f);
    EXPECT_EQ (decibelsToGain (0.0f), 1.0f);
    EXPECT_FLOAT_EQ (decibelsToGain (-6.0f), 0.50118723f);   // 10 to the power -0.3
    EXPECT_FLOAT_EQ (decibelsToGain (-40.0f), 0.01f);
    EXPECT_FLOAT_EQ (decibelsToGain (6.0f), 1.9952623f);     // no ceiling
}

TEST (GainScale, GainToDecibelsStopsAtTheFloorButNotAtZero)
{
    EXPECT_EQ (gainToDecibels (1.0f), 0.0f);
    EXPECT_FLOAT_EQ (gainToDecibels (0.5f), -6.0206f);
    EXPECT_FLOAT_EQ (gainToDecibels (2.0f), 6.0206f);
    EXPECT_EQ (gainToDecibels (0.0001f), -80.0f);
    EXPECT_EQ (gainToDecibels (0.00001f), -80.0f);
    EXPECT_EQ (gainToDecibels (0.0f), -80.0f);
    EXPECT_EQ (gainToDecibels (-1.0f), -80.0f);

    EXPECT_EQ (gainToDecibels (1.0), 0.0);
    EXPECT_EQ (gainToDecibels (0.0), -80.0);
    EXPECT_EQ (gainToDecibels (-0.5), -80.0);
    EXPECT_EQ (gainToDecibels (1.0e-6), -80.0);
}

TEST (GainScale, GainToDecibelsKeepsThePrecisionOfItsArgument)
{
    static_assert (std::is_same_v<decltype (gainToDecibels (0.5f)), float>);
    static_assert (std::is_same_v<decltype (gainToDecibels (0.5)), double>);

    // The output faders' level is worked out in double precision, not in float and then widened.
    EXPECT_DOUBLE_EQ (gainToDecibels (0.5), -6.0205999132796242);
    EXPECT_NE (gainToDecibels (0.5), static_cast<double> (gainToDecibels (0.5f)));
}

TEST (GainScale, PercentSpansTheFloorToZeroDecibelsLinearly)
{
    EXPECT_EQ (percentToDecibels (0.0f), -80.0f);
    EXPECT_EQ (percentToDecibels (12.5f), -70.0f);
    EXPECT_EQ (percentToDecibels (50.0f), -40.0f);
    EXPECT_EQ (percentToDecibels (100.0f), 0.0f);

    EXPECT_EQ (decibelsToPercent (-80.0f), 0.0f);
    EXPECT_EQ (decibelsToPercent (-70.0f), 12.5f);
    EXPECT_EQ (decibelsToPercent (0.0f), 100.0f);
    EXPECT_EQ (decibelsToPercent (8.0f), 110.0f);   // not clamped
}

TEST (GainScale, PercentAndGain)
{
    EXPECT_EQ (percentToGain (0.0f), 0.0f);
    EXPECT_EQ (percentToGain (100.0f), 1.0f);
    EXPECT_FLOAT_EQ (percentToGain (50.0f), 0.01f);
    EXPECT_GT (percentToGain (1.0f), 0.0f);

    EXPECT_EQ (gainToPercent (1.0f), 100.0f);
    EXPECT_EQ (gainToPercent (0.0f), 0.0f);
    EXPECT_EQ (gainToPercent (0.0001f), 0.0f);
    EXPECT_FLOAT_EQ (gainToPercent (0.01f), 50.0f);
    EXPECT_FLOAT_EQ (gainToPercent (0.5f), 92.474251f);
    EXPECT_FLOAT_EQ (gainToPercent (2.0f), 107.52575f);   // above unity: above 100, unclamped
}
