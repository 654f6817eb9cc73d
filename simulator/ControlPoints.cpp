// The simulated driver's control interface for tests (declared in SimulatorControl.h).

#include "platform/driverside/WinExport.h"
#include "simulator/SimulatedDriver.h"
#include "simulator/SimulatorControl.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <type_traits>

namespace
{
constexpr auto success = TUsbAudioStatusCode::success;
constexpr auto invalid = TUsbAudioStatusCode::invalidParameter;
constexpr std::size_t maxSerialLength = 127;

template <typename Work>
auto control (Work&& work)
{
    auto& driver = SimulatedDriver::getInstance();
    const std::lock_guard<std::recursive_mutex> lock (driver.mutex);
    return work (driver);
}

/** The wire kind code of a mixer input kind (0 to 2) or output kind (4 to 6); false for others. */
bool inputCode (std::int32_t kind, std::uint8_t& code)
{
    code = static_cast<std::uint8_t> (kind);
    return kind >= 0 && kind <= 2;
}

bool outputCode (std::int32_t kind, std::uint8_t& code)
{
    code = static_cast<std::uint8_t> (kind % 4);
    return kind >= 4 && kind <= 6;
}
} // namespace

KELVARO_EXPORT void KSIM_Reset()
{
    control ([] (SimulatedDriver& driver) { driver.reset(); return 0; });
}

KELVARO_EXPORT std::int32_t KSIM_AttachDevice (const char* model)
{
    return control ([=] (SimulatedDriver& driver)
    {
        SimulatedDevice::Model chosen;

        if (model == nullptr || ! SimulatedDevice::modelFromName (model, chosen))
            return std::int32_t (-1);

        return static_cast<std::int32_t> (driver.attach (chosen));
    });
}

KELVARO_EXPORT std::uint32_t KSIM_DetachDevice (std::uint32_t device)
{
    return control ([=] (SimulatedDriver& driver) { return driver.detach (device) ? success : invalid; });
}

KELVARO_EXPORT std::uint32_t KSIM_GetAttachedCount()
{
    return control ([] (SimulatedDriver& driver) { return static_cast<std::uint32_t> (driver.getAttachedCount()); });
}

KELVARO_EXPORT std::uint32_t KSIM_SetSerialNumber (std::uint32_t device, const char* serialNumber)
{
    return control ([=] (SimulatedDriver& driver)
    {
        auto* target = driver.getAttached (device);

        if (target == nullptr || serialNumber == nullptr || std::strlen (serialNumber) > maxSerialLength)
            return invalid;

        target->serialNumber = serialNumber;
        return success;
    });
}

KELVARO_EXPORT void KSIM_SetApiVersion (std::uint32_t major, std::uint32_t minor)
{
    control ([=] (SimulatedDriver& driver) { driver.setApiVersion (major, minor); return 0; });
}

KELVARO_EXPORT void KSIM_SetProtocolVersion (std::uint32_t version, std::uint32_t word2)
{
    control ([=] (SimulatedDriver& driver) { driver.setProtocolVersion (version, word2); return 0; });
}

KELVARO_EXPORT std::uint32_t KSIM_SetChannelCounts (std::uint32_t device, const std::uint32_t* counts)
{
    return control ([=] (SimulatedDriver& driver)
    {
        auto* target = driver.getAttached (device);

        if (target == nullptr || counts == nullptr)
            return invalid;

        SimulatedMixer::Counts newCounts {};
        std::copy_n (counts, newCounts.size(), newCounts.begin());
        target->mixer.setCounts (newCounts);
        return success;
    });
}

KELVARO_EXPORT std::uint32_t KSIM_FailEntryPoint (const char* entryPoint, std::uint32_t status)
{
    return control ([=] (SimulatedDriver& driver)
    {
        if (entryPoint == nullptr)
            return invalid;

        std::string name (entryPoint);
        const std::string prefix ("TUSBAUDIO_");

        if (name.compare (0, prefix.size(), prefix) == 0)
            name.erase (0, prefix.size());

        driver.setFailure (name, status);
        return success;
    });
}

KELVARO_EXPORT std::uint32_t KSIM_SetInputLevel (std::uint32_t device, std::int32_t kind, std::uint32_t index,
                                                 std::int32_t level)
{
    return control ([=] (SimulatedDriver& driver)
    {
        auto* target = driver.getAttached (device);
        std::uint8_t code = 0;

        if (target == nullptr || ! inputCode (kind, code) || index > 0xFF)
            return invalid;

        const auto indexByte = static_cast<std::uint8_t> (index);

        if (level == simulatorMovingLevel)
            target->meters.releaseInputLevel (code, indexByte);
        else
            target->meters.fixInputLevel (code, indexByte, level);

        return success;
    });
}

KELVARO_EXPORT std::uint32_t KSIM_GetCrosspointGain (std::uint32_t device, std::int32_t inputKind, std::uint32_t inputIndex,
                                                     std::int32_t outputKind, std::uint32_t outputIndex, std::int32_t* gain)
{
    return control ([=] (SimulatedDriver& driver)
    {
        const auto* target = driver.getAttached (device);
        std::uint8_t inCode = 0, outCode = 0;

        if (target == nullptr || gain == nullptr || ! inputCode (inputKind, inCode) || ! outputCode (outputKind, outCode)
            || inputIndex > 0xFF || outputIndex > 0xFF)
            return invalid;

        *gain = target->mixer.getCrosspointGain (inCode, static_cast<std::uint8_t> (inputIndex),
                                                 outCode, static_cast<std::uint8_t> (outputIndex));
        return success;
    });
}

KELVARO_EXPORT std::uint32_t KSIM_GetOutputGain (std::uint32_t device, std::int32_t outputKind, std::uint32_t outputIndex,
                                                 std::int32_t* gain)
{
    return control ([=] (SimulatedDriver& driver)
    {
        const auto* target = driver.getAttached (device);
        std::uint8_t code = 0;

        if (target == nullptr || gain == nullptr || ! outputCode (outputKind, code) || outputIndex > 0xFF)
            return invalid;

        *gain = target->mixer.getOutputGain (code, static_cast<std::uint8_t> (outputIndex));
        return success;
    });
}

KELVARO_EXPORT std::int32_t KSIM_GetMetersEnabled (std::uint32_t device)
{
    return control ([=] (SimulatedDriver& driver)
    {
        const auto* target = driver.getAttached (device);
        return target == nullptr ? -1 : (target->metersOn ? 1 : 0);
    });
}

KELVARO_EXPORT std::int32_t KSIM_GetPnpRegistered()
{
    return control ([] (SimulatedDriver& driver) { return driver.pnpRegistered ? 1 : 0; });
}

KELVARO_EXPORT std::int32_t KSIM_GetSettingsRegistered (std::uint32_t device)
{
    return control ([=] (SimulatedDriver& driver)
    {
        const auto* target = driver.getAttached (device);
        return target == nullptr ? -1 : (target->settingsNotification ? 1 : 0);
    });
}

KELVARO_EXPORT std::uint32_t KSIM_GetOpenHandleCount()
{
    return control ([] (SimulatedDriver& driver) { return static_cast<std::uint32_t> (driver.getOpenHandleCount()); });
}

KELVARO_EXPORT std::uint32_t KSIM_GetJournalSize()
{
    return control ([] (SimulatedDriver& driver) { return static_cast<std::uint32_t> (driver.journal.size()); });
}

KELVARO_EXPORT std::uint32_t KSIM_GetJournalEntry (std::uint32_t index, char* name, std::uint32_t nameCapacity,
                                                   std::uint8_t* bytes, std::uint32_t capacity,
                                                   std::uint32_t* size, std::uint32_t* status)
{
    return control ([=] (SimulatedDriver& driver)
    {
        if (index >= driver.journal.size())
            return invalid;

        const auto& entry = driver.journal[index];

        if (name != nullptr && nameCapacity > 0)
        {
            const auto length = std::min<std::size_t> (entry.entryPoint.size(), nameCapacity - 1);
            std::memcpy (name, entry.entryPoint.data(), length);
            name[length] = 0;
        }

        const auto copied = std::min<std::size_t> (entry.bytes.size(), bytes != nullptr ? capacity : 0);
        std::copy_n (entry.bytes.begin(), copied, bytes);

        if (size != nullptr)
            *size = static_cast<std::uint32_t> (entry.bytes.size());

        if (status != nullptr)
            *status = entry.status;

        return copied == entry.bytes.size() ? success : win::ERROR_MORE_DATA;
    });
}

KELVARO_EXPORT void KSIM_ClearJournal()
{
    control ([] (SimulatedDriver& driver) { driver.journal.clear(); return 0; });
}

KELVARO_EXPORT void KSIM_SetEventPrefix (const char* prefix)
{
    control ([=] (SimulatedDriver& driver) { driver.eventPrefix = prefix != nullptr ? prefix : ""; return 0; });
}

// The exported functions have exactly the types that tests look them up with.
static_assert (std::is_same_v<decltype (&KSIM_Reset), KSIM_Reset_t>);
static_assert (std::is_same_v<decltype (&KSIM_AttachDevice), KSIM_AttachDevice_t>);
static_assert (std::is_same_v<decltype (&KSIM_DetachDevice), KSIM_DetachDevice_t>);
static_assert (std::is_same_v<decltype (&KSIM_GetAttachedCount), KSIM_GetAttachedCount_t>);
static_assert (std::is_same_v<decltype (&KSIM_SetSerialNumber), KSIM_SetSerialNumber_t>);
static_assert (std::is_same_v<decltype (&KSIM_SetApiVersion), KSIM_SetApiVersion_t>);
static_assert (std::is_same_v<decltype (&KSIM_SetProtocolVersion), KSIM_SetProtocolVersion_t>);
static_assert (std::is_same_v<decltype (&KSIM_SetChannelCounts), KSIM_SetChannelCounts_t>);
static_assert (std::is_same_v<decltype (&KSIM_FailEntryPoint), KSIM_FailEntryPoint_t>);
static_assert (std::is_same_v<decltype (&KSIM_SetInputLevel), KSIM_SetInputLevel_t>);
static_assert (std::is_same_v<decltype (&KSIM_GetCrosspointGain), KSIM_GetCrosspointGain_t>);
static_assert (std::is_same_v<decltype (&KSIM_GetOutputGain), KSIM_GetOutputGain_t>);
static_assert (std::is_same_v<decltype (&KSIM_GetMetersEnabled), KSIM_GetMetersEnabled_t>);
static_assert (std::is_same_v<decltype (&KSIM_GetPnpRegistered), KSIM_GetPnpRegistered_t>);
static_assert (std::is_same_v<decltype (&KSIM_GetSettingsRegistered), KSIM_GetSettingsRegistered_t>);
static_assert (std::is_same_v<decltype (&KSIM_GetOpenHandleCount), KSIM_GetOpenHandleCount_t>);
static_assert (std::is_same_v<decltype (&KSIM_GetJournalSize), KSIM_GetJournalSize_t>);
static_assert (std::is_same_v<decltype (&KSIM_GetJournalEntry), KSIM_GetJournalEntry_t>);
static_assert (std::is_same_v<decltype (&KSIM_ClearJournal), KSIM_ClearJournal_t>);
static_assert (std::is_same_v<decltype (&KSIM_SetEventPrefix), KSIM_SetEventPrefix_t>);
