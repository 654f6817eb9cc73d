#pragma once

// The wire format of the interface's DSP mixer properties: the numbers, sizes and byte order
// shared by everything that builds or serves these requests. No JUCE in here: the simulated
// interface library uses it too.
//
// Every request starts with the property set (77) and the property number, each an unsigned
// 32-bit little-endian word; all fields are little-endian and unpadded. A gain is a signed 32-bit
// fixed-point value with 24 fraction bits, so 0x01000000 is the linear factor 1.0.

#include <cstddef>
#include <cstdint>

namespace DspProtocol
{
constexpr std::uint32_t propertySet = 77;

constexpr std::uint32_t protocolVersionProperty = 42;
constexpr std::uint32_t firstCountProperty      = 100;   // 100 to 105, in the order of CountIndex
constexpr std::uint32_t crosspointGainProperty  = 200;
constexpr std::uint32_t outputGainProperty      = 201;
constexpr std::uint32_t meterSwitchProperty     = 300;
constexpr std::uint32_t meterBlockProperty      = 301;

constexpr std::uint32_t supportedProtocolVersion = 2;

constexpr std::size_t headerSize            = 8;
constexpr std::size_t versionRequestSize    = 16;
constexpr std::size_t valueRequestSize      = 12;   // channel counts and the meter switch
constexpr std::size_t crosspointEntrySize   = 8;
constexpr std::size_t crosspointRequestSize = headerSize + crosspointEntrySize;
constexpr std::size_t outputGainRequestSize = 14;
constexpr std::size_t meterEntrySize        = 8;

constexpr std::int32_t unityGain = 0x01000000;

/** The six channel counts, in the order of their properties 100 to 105. */
enum CountIndex : std::size_t
{
    deviceOutputCount         = 0,
    deviceInputCount          = 1,
    applicationPlaybackCount  = 2,
    applicationRecordingCount = 3,
    virtualPlaybackCount      = 4,
    virtualRecordingCount     = 5,
    numCounts                 = 6
};

/** Meter entry side: a mixer input or a mixer output. */
constexpr std::uint32_t inputSide  = 0;
constexpr std::uint32_t outputSide = 1;

inline void writeU32 (std::uint8_t* at, std::uint32_t value) noexcept
{
    at[0] = static_cast<std::uint8_t> (value);
    at[1] = static_cast<std::uint8_t> (value >> 8);
    at[2] = static_cast<std::uint8_t> (value >> 16);
    at[3] = static_cast<std::uint8_t> (value >> 24);
}

inline std::uint32_t readU32 (const std::uint8_t* at) noexcept
{
    return static_cast<std::uint32_t> (at[0])
         | (static_cast<std::uint32_t> (at[1]) << 8)
         | (static_cast<std::uint32_t> (at[2]) << 16)
         | (static_cast<std::uint32_t> (at[3]) << 24);
}

inline void writeI32 (std::uint8_t* at, std::int32_t value) noexcept
{
    writeU32 (at, static_cast<std::uint32_t> (value));
}

inline std::int32_t readI32 (const std::uint8_t* at) noexcept
{
    return static_cast<std::int32_t> (readU32 (at));
}

inline void writeI16 (std::uint8_t* at, std::int16_t value) noexcept
{
    const auto bits = static_cast<std::uint16_t> (value);
    at[0] = static_cast<std::uint8_t> (bits);
    at[1] = static_cast<std::uint8_t> (bits >> 8);
}

inline std::int16_t readI16 (const std::uint8_t* at) noexcept
{
    return static_cast<std::int16_t> (static_cast<std::uint16_t> (at[0] | (at[1] << 8)));
}

/** Writes the property set and the property number at the start of a request. */
inline void writeHeader (std::uint8_t* request, std::uint32_t property) noexcept
{
    writeU32 (request, propertySet);
    writeU32 (request + 4, property);
}
} // namespace DspProtocol
