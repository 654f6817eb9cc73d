#pragma once

#include <juce_core/juce_core.h>

/** The three strings that identify an interface. */
struct DeviceInfo
{
    juce::String manufacturer;
    juce::String productName;
    juce::String serialNumber;
};
