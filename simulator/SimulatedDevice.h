#pragma once

#include "driver/TUsbAudioApi.h"
#include "simulator/MeterModel.h"
#include "simulator/SimulatedMixer.h"

#include <array>
#include <cstdint>
#include <string>

/**
    One attached simulated interface: its identity, its clock and ASIO settings, its mixer and
    meters, and the state of its notifications and meter switch.
*/
class SimulatedDevice
{
public:
    enum class Model
    {
        pexa,
        sulka,
        trovik
    };

    static constexpr std::array<std::uint32_t, 6> sampleRates { 44100, 48000, 88200, 96000, 176400, 192000 };
    static constexpr std::array<std::uint32_t, 7> bufferSizes { 32, 64, 128, 256, 512, 1024, 2048 };

    /** `number` is the attach number: it makes the serial number and the ASIO instance number. */
    SimulatedDevice (Model model, std::uint32_t number, std::uint32_t protocolVersion, std::uint32_t protocolWord2);

    /** The model named "Pexa", "Sulka" or "Trovik", ignoring case; false for any other name. */
    static bool modelFromName (const std::string& name, Model& model);

    static SimulatedMixer::Counts defaultCounts (Model model) noexcept;

    /** Fills the driver's device properties record. */
    void fillProperties (TUsbAudioDeviceProperties& record) const;

    /** Fills the driver's ASIO instance record. */
    void fillAsioInfo (TUsbAudioAsioInstanceInfo& record) const;

    /** The id in word 0 of the ASIO record, which the buffer-size request hands back. */
    std::uint32_t asioInstanceId() const noexcept;

    /** Take a value only from the supported lists; false (and no change) otherwise. */
    bool setSampleRate (std::uint32_t rate);
    bool setBufferSize (std::uint32_t size);

    const Model model;
    const std::uint32_t asioInstance;
    std::string serialNumber;

    std::uint32_t protocolVersion;
    std::uint32_t protocolWord2;

    std::uint32_t sampleRate = 48000;
    std::uint32_t bufferSize = 256;

    bool metersOn = false;
    bool settingsNotification = false;

    SimulatedMixer mixer;
    MeterModel meters;
};
