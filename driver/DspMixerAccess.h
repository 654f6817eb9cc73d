#pragma once

#include "backend/Hardware.h"
#include "driver/DspProtocol.h"
#include "driver/TUsbAudioApi.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

class TUsbAudioApiDll;

/**
    Talks to an open interface's mixer through the driver's DSP property requests: reads the
    protocol version and the six channel counts, sets groups of crosspoint gains, switches the
    level meters and keeps the meter block that the meter refresh sends and the device fills in.

    The backend owns one by value and reaches the fields directly: it sends the meter refresh and
    its own single gain requests with `deviceHandle` (see makeCrosspointRequest and
    makeOutputGainRequest, which lay those requests out).

    Every operation that sends something returns 0, the driver's status or one of
    TUsbAudioStatusCode's codes; an unbound entry point gives entryPointMissing and sends nothing.
*/
class DspMixerAccess
{
public:
    /** A crosspoint: mixer input, mixer output. */
    using Route = std::pair<Hardware::Channel, Hardware::Channel>;

    /** The meter entries of one channel kind inside the meter block. */
    struct MeterSpan
    {
        const std::uint8_t* entries = nullptr;
        std::uint32_t count = 0;

        /** Entry i's level in hundredths of a dB, or noLevel when the span has no entry i. */
        std::int16_t levelAt (std::uint32_t i) const noexcept;
    };

    /** What a channel without a meter entry reads: -120 dB. */
    static constexpr std::int16_t noLevel = -12000;

    /** The most channels of one kind that we take from a device. A channel's index travels as
        one byte, so more could not be addressed; and the count is the device's word, which we
        do not trust to size buffers and views with. */
    static constexpr std::uint32_t channelLimit = 256;

    using CrosspointRequest = std::array<std::uint8_t, DspProtocol::crosspointRequestSize>;
    using OutputGainRequest = std::array<std::uint8_t, DspProtocol::outputGainRequestSize>;

    explicit DspMixerAccess (TUsbAudioApiDll* apiToUse = nullptr) noexcept;
    ~DspMixerAccess();

    DspMixerAccess (const DspMixerAccess&) = delete;
    DspMixerAccess& operator= (const DspMixerAccess&) = delete;

    /** Reads the protocol version (which must be 2) and the six channel counts, each limited
        to its maxCounts entry. */
    TUsbAudioStatus queryLayout();

    /** Reads a 32-bit property; `value` changes only on success. */
    TUsbAudioStatus getProperty (std::uint32_t property, std::uint32_t& value);

    /** Sets every route's crosspoint to the same 8.24 gain in one request. Sends nothing when a
        route is not a mixer input and a mixer output. */
    TUsbAudioStatus setCrosspointGains (const std::vector<Route>& routes, std::int32_t gain);

    /** Switches the device's meters; metersEnabled follows only when the device agrees. */
    TUsbAudioStatus enableMeters (bool on);

    /** Lays out the meter block for the current counts, every level 0. */
    void buildMeterRequest();

    /** Writes the meter block's header and every entry's channel fields again, keeping the levels.
        The device writes its reply into the block in place; whatever else it wrote there must not
        become part of the next refresh's request. */
    void restoreMeterLayout() noexcept;

    /** The meter entries of one kind; empty while the meters are off, for a kind that has none, and
        while the block was laid out for other counts than the current ones. */
    MeterSpan meterSpan (Hardware::ChannelKind kind) const noexcept;

    /** Switches the meters off (if a device is held) and forgets the device and its layout. */
    void close();

    /** The single crosspoint request (property 200, one entry), for a set or a get. */
    static CrosspointRequest makeCrosspointRequest (Hardware::Channel input, Hardware::Channel output,
                                                    std::int32_t gain) noexcept;

    /** The output gain request (property 201), for a set or a get. */
    static OutputGainRequest makeOutputGainRequest (Hardware::Channel output, std::int32_t gain) noexcept;

    /** The gain field of a crosspoint or output gain request, as the device replied. */
    static std::int32_t gainOf (const CrosspointRequest& request) noexcept;
    static std::int32_t gainOf (const OutputGainRequest& request) noexcept;

    /** True for the mixer input kinds 0 to 2, and for the mixer output kinds 4 to 6. */
    static bool isInputKind (Hardware::ChannelKind kind) noexcept;
    static bool isOutputKind (Hardware::ChannelKind kind) noexcept;

    TUsbAudioApiDll* api = nullptr;
    std::uint32_t deviceHandle = 0;
    std::uint32_t protocolVersion = 0;
    std::uint32_t protocolWord2 = 0;
    std::array<std::uint32_t, DspProtocol::numCounts> counts {};
    std::array<std::uint32_t, DspProtocol::numCounts> maxCounts { channelLimit, channelLimit, channelLimit,
                                                                  channelLimit, channelLimit, channelLimit };
    bool metersEnabled = false;
    std::vector<std::uint8_t> meterBlock;

private:
    /** True when the meter block is as long as the current counts lay it out. */
    bool meterBlockFitsCounts() const noexcept;

    void writeMeterLayout() noexcept;

    TUsbAudioStatus get (std::uint8_t* request, std::size_t size);
    TUsbAudioStatus set (const std::uint8_t* request, std::size_t size);
};
