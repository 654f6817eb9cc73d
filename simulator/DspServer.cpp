#include "simulator/DspServer.h"

#include "driver/DspProtocol.h"
#include "simulator/SimulatedDevice.h"

using namespace DspProtocol;

namespace
{
constexpr auto invalid = TUsbAudioStatusCode::invalidParameter;
constexpr auto success = TUsbAudioStatusCode::success;
} // namespace

TUsbAudioStatus DspServer::get (std::uint8_t* request, std::uint32_t size)
{
    if (request == nullptr || size < headerSize || readU32 (request) != propertySet)
        return invalid;

    const auto property = readU32 (request + 4);

    if (property == protocolVersionProperty)
    {
        if (size != versionRequestSize)
            return invalid;

        writeU32 (request + 8, device.protocolVersion);
        writeU32 (request + 12, device.protocolWord2);
        return success;
    }

    if (property >= firstCountProperty && property < firstCountProperty + numCounts)
    {
        if (size != valueRequestSize)
            return invalid;

        writeU32 (request + 8, device.mixer.getCounts()[property - firstCountProperty]);
        return success;
    }

    switch (property)
    {
        case crosspointGainProperty: return getCrosspointGain (request, size);
        case outputGainProperty:     return getOutputGain (request, size);
        case meterBlockProperty:     return getMeters (request, size);
        default:                     return invalid;
    }
}

TUsbAudioStatus DspServer::set (const std::uint8_t* request, std::uint32_t size)
{
    if (request == nullptr || size < headerSize || readU32 (request) != propertySet)
        return invalid;

    switch (readU32 (request + 4))
    {
        case crosspointGainProperty: return setCrosspointGains (request, size);
        case outputGainProperty:     return setOutputGain (request, size);
        case meterSwitchProperty:    return setMeterSwitch (request, size);
        default:                     return invalid;
    }
}

TUsbAudioStatus DspServer::getCrosspointGain (std::uint8_t* request, std::uint32_t size)
{
    auto* entry = request + headerSize;

    if (size != crosspointRequestSize || ! isCrosspoint (entry))
        return invalid;

    writeI32 (entry + 4, device.mixer.getCrosspointGain (entry[0], entry[1], entry[2], entry[3]));
    return success;
}

TUsbAudioStatus DspServer::getOutputGain (std::uint8_t* request, std::uint32_t size)
{
    if (size != outputGainRequestSize || ! isOutput (request + 8))
        return invalid;

    writeI32 (request + 10, device.mixer.getOutputGain (request[8], request[9]));
    return success;
}

TUsbAudioStatus DspServer::getMeters (std::uint8_t* request, std::uint32_t size)
{
    // The meters answer only while they are switched on.
    if (! device.metersOn || (size - headerSize) % meterEntrySize != 0)
        return invalid;

    for (auto offset = headerSize; offset < size; offset += meterEntrySize)
    {
        const auto* entry = request + offset;
        const auto side = readU32 (entry);

        if (! ((side == inputSide && device.mixer.isInput (entry[4], entry[5]))
               || (side == outputSide && device.mixer.isOutput (entry[4], entry[5]))))
            return invalid;
    }

    device.meters.advance();

    for (auto offset = headerSize; offset < size; offset += meterEntrySize)
    {
        auto* entry = request + offset;
        const auto level = readU32 (entry) == inputSide ? device.meters.inputLevel (entry[4], entry[5])
                                                        : device.meters.outputLevel (device.mixer, entry[4], entry[5]);
        writeI16 (entry + 6, level);
    }

    return success;
}

TUsbAudioStatus DspServer::setCrosspointGains (const std::uint8_t* request, std::uint32_t size)
{
    if ((size - headerSize) % crosspointEntrySize != 0)
        return invalid;

    for (auto offset = headerSize; offset < size; offset += crosspointEntrySize)
        if (! isCrosspoint (request + offset))
            return invalid;

    for (auto offset = headerSize; offset < size; offset += crosspointEntrySize)
    {
        const auto* entry = request + offset;
        device.mixer.setCrosspointGain (entry[0], entry[1], entry[2], entry[3], readI32 (entry + 4));
    }

    return success;
}

TUsbAudioStatus DspServer::setOutputGain (const std::uint8_t* request, std::uint32_t size)
{
    if (size != outputGainRequestSize || ! isOutput (request + 8))
        return invalid;

    device.mixer.setOutputGain (request[8], request[9], readI32 (request + 10));
    return success;
}

TUsbAudioStatus DspServer::setMeterSwitch (const std::uint8_t* request, std::uint32_t size)
{
    if (size != valueRequestSize)
        return invalid;

    const auto value = readU32 (request + 8);

    if (value > 1)
        return invalid;

    device.metersOn = value == 1;
    return success;
}

bool DspServer::isCrosspoint (const std::uint8_t* entry) const noexcept
{
    return device.mixer.isInput (entry[0], entry[1]) && isOutput (entry + 2);
}

bool DspServer::isOutput (const std::uint8_t* field) const noexcept
{
    return device.mixer.isOutput (field[0], field[1]);
}
