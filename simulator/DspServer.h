#pragma once

#include "driver/TUsbAudioApi.h"

#include <cstdint>

class SimulatedDevice;

/**
    Serves the DSP mixer property requests of one simulated interface, byte for byte.

    A request is checked whole before anything changes: a malformed one (wrong size for its
    property, property set other than 77, a property or direction the mixer does not serve, a kind
    code that does not name a kind of its side, an index at or beyond its kind's count) gets
    invalidParameter and leaves both the device and the buffer as they were.
*/
class DspServer
{
public:
    explicit DspServer (SimulatedDevice& deviceToServe) noexcept : device (deviceToServe) {}

    /** A get request: the reply is written into the request's own buffer. */
    TUsbAudioStatus get (std::uint8_t* request, std::uint32_t size);

    /** A set request. */
    TUsbAudioStatus set (const std::uint8_t* request, std::uint32_t size);

private:
    TUsbAudioStatus getCrosspointGain (std::uint8_t* request, std::uint32_t size);
    TUsbAudioStatus getOutputGain (std::uint8_t* request, std::uint32_t size);
    TUsbAudioStatus getMeters (std::uint8_t* request, std::uint32_t size);
    TUsbAudioStatus setCrosspointGains (const std::uint8_t* request, std::uint32_t size);
    TUsbAudioStatus setOutputGain (const std::uint8_t* request, std::uint32_t size);
    TUsbAudioStatus setMeterSwitch (const std::uint8_t* request, std::uint32_t size);

    bool isCrosspoint (const std::uint8_t* entry) const noexcept;
    bool isOutput (const std::uint8_t* field) const noexcept;

    SimulatedDevice& device;
};
