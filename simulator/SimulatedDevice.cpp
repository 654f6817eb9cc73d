#include "simulator/SimulatedDevice.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace
{
constexpr std::uint32_t vendorId = 0x3A5C;
constexpr std::uint32_t revisionId = 0x0104;
constexpr std::uint32_t asioIdBase = 0xA5100000u;

struct ModelFacts
{
    const char* name;          // as KELVARO_SIM_DEVICES and KSIM_AttachDevice name it
    const char* productName;   // as the configuration document names the model
    std::uint32_t productId;
    SimulatedMixer::Counts counts;   // in property order 100 to 105
};

const ModelFacts& factsOf (SimulatedDevice::Model model)
{
    static const ModelFacts facts[] = {
        { "PEXA",   "Vantiq Pexa",   0x0101, { 6, 6, 6, 6, 4, 4 } },
        { "SULKA",  "VANTIQ SULKA",  0x0102, { 6, 6, 6, 6, 4, 4 } },
        { "TROVIK", "VANTIQ TROVIK", 0x0103, { 16, 14, 16, 14, 4, 4 } }
    };

    return facts[static_cast<int> (model)];
}

void copyString (win::WCHAR* target, const std::string& text)
{
    const auto length = std::min (text.size(), TUsbAudioDeviceProperties::stringUnits - 1);

    for (std::size_t i = 0; i < length; ++i)
        target[i] = static_cast<win::WCHAR> (static_cast<unsigned char> (text[i]));

    target[length] = 0;
}

std::string upperCase (std::string text)
{
    for (auto& c : text)
        c = static_cast<char> (std::toupper (static_cast<unsigned char> (c)));

    return text;
}
} // namespace

SimulatedDevice::SimulatedDevice (Model modelToUse, std::uint32_t number, std::uint32_t version, std::uint32_t word2)
    : model (modelToUse),
      asioInstance (number),
      protocolVersion (version),
      protocolWord2 (word2),
      mixer (defaultCounts (modelToUse))
{
    char serial[32];
    std::snprintf (serial, sizeof (serial), "%s-%04u", factsOf (model).name, static_cast<unsigned> (number));
    serialNumber = serial;
}

bool SimulatedDevice::modelFromName (const std::string& name, Model& result)
{
    for (const auto candidate : { Model::pexa, Model::sulka, Model::trovik })
    {
        if (upperCase (name) == factsOf (candidate).name)
        {
            result = candidate;
            return true;
        }
    }

    return false;
}

SimulatedMixer::Counts SimulatedDevice::defaultCounts (Model model) noexcept
{
    return factsOf (model).counts;
}

void SimulatedDevice::fillProperties (TUsbAudioDeviceProperties& record) const
{
    std::memset (&record, 0, sizeof (record));
    record.usbVendorId = vendorId;
    record.usbProductId = factsOf (model).productId;
    record.usbRevisionId = revisionId;
    copyString (record.serialNumber, serialNumber);
    copyString (record.manufacturer, "Kelvaro");
    copyString (record.product, factsOf (model).productName);
}

void SimulatedDevice::fillAsioInfo (TUsbAudioAsioInstanceInfo& record) const
{
    std::memset (&record, 0, sizeof (record));
    record.instanceId = asioInstanceId();
    record.currentBufferSize = bufferSize;
    record.bufferSizeCount = static_cast<std::uint32_t> (bufferSizes.size());
    std::copy (bufferSizes.begin(), bufferSizes.end(), record.bufferSizes);
}

std::uint32_t SimulatedDevice::asioInstanceId() const noexcept
{
    return asioIdBase + asioInstance;
}

bool SimulatedDevice::setSampleRate (std::uint32_t rate)
{
    if (std::find (sampleRates.begin(), sampleRates.end(), rate) == sampleRates.end())
        return false;

    sampleRate = rate;
    return true;
}

bool SimulatedDevice::setBufferSize (std::uint32_t size)
{
    if (std::find (bufferSizes.begin(), bufferSizes.end(), size) == bufferSizes.end())
        return false;

    bufferSize = size;
    return true;
}
