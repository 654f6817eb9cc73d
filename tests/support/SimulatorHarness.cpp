#include "support/SimulatorHarness.h"

#include "platform/WinModules.h"
#include "support/platform/RegistryFixture.h"
#include "support/platform/TestEventNames.h"

#include <juce_core/juce_core.h>

namespace
{
template <typename Function>
bool resolve (win::HMODULE module, Function& function, const char* name)
{
    function = reinterpret_cast<Function> (win::GetProcAddress (module, name));
    return function != nullptr;
}
} // namespace

SimulatorHarness::SimulatorHarness()
{
    registerLibrary();
    loadStatus = api.LoadFromRegistry();

    if (api.module == nullptr)
        loadStatus = api.LoadDll (libraryPath().c_str());

    ready = loadStatus == TUsbAudioStatusCode::success && resolveControl();

    if (ready)
    {
        KSIM_SetEventPrefix (win::TestEventNames::prefix().c_str());
        KSIM_Reset();
    }
}

SimulatorHarness::~SimulatorHarness()
{
    if (ready)
        KSIM_Reset();

    api.UnloadDll();
}

void SimulatorHarness::registerLibrary()
{
    // Kept for the whole test process: the program under test may look the library up any time.
    static win::RegistryFixture registry;
    registry.setString ("CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}\\InprocServer32", "", KELVARO_SIMULATOR_PATH);
}

std::u16string SimulatorHarness::libraryPath()
{
    std::u16string path;

    for (auto c = juce::String (KELVARO_SIMULATOR_PATH).getCharPointer(); ! c.isEmpty();)
    {
        const auto codePoint = static_cast<std::uint32_t> (c.getAndAdvance());

        if (codePoint >= 0x10000)
        {
            path += static_cast<char16_t> (0xD800 + ((codePoint - 0x10000) >> 10));
            path += static_cast<char16_t> (0xDC00 + ((codePoint - 0x10000) & 0x3FF));
        }
        else
        {
            path += static_cast<char16_t> (codePoint);
        }
    }

    return path;
}

bool SimulatorHarness::resolveControl()
{
    const auto module = api.module;

    return resolve (module, KSIM_Reset, "KSIM_Reset")
        && resolve (module, KSIM_AttachDevice, "KSIM_AttachDevice")
        && resolve (module, KSIM_DetachDevice, "KSIM_DetachDevice")
        && resolve (module, KSIM_GetAttachedCount, "KSIM_GetAttachedCount")
        && resolve (module, KSIM_SetSerialNumber, "KSIM_SetSerialNumber")
        && resolve (module, KSIM_SetApiVersion, "KSIM_SetApiVersion")
        && resolve (module, KSIM_SetProtocolVersion, "KSIM_SetProtocolVersion")
        && resolve (module, KSIM_SetChannelCounts, "KSIM_SetChannelCounts")
        && resolve (module, KSIM_FailEntryPoint, "KSIM_FailEntryPoint")
        && resolve (module, KSIM_SetInputLevel, "KSIM_SetInputLevel")
        && resolve (module, KSIM_GetCrosspointGain, "KSIM_GetCrosspointGain")
        && resolve (module, KSIM_GetOutputGain, "KSIM_GetOutputGain")
        && resolve (module, KSIM_GetMetersEnabled, "KSIM_GetMetersEnabled")
        && resolve (module, KSIM_GetPnpRegistered, "KSIM_GetPnpRegistered")
        && resolve (module, KSIM_GetSettingsRegistered, "KSIM_GetSettingsRegistered")
        && resolve (module, KSIM_GetOpenHandleCount, "KSIM_GetOpenHandleCount")
        && resolve (module, KSIM_GetJournalSize, "KSIM_GetJournalSize")
        && resolve (module, KSIM_GetJournalEntry, "KSIM_GetJournalEntry")
        && resolve (module, KSIM_ClearJournal, "KSIM_ClearJournal")
        && resolve (module, KSIM_SetEventPrefix, "KSIM_SetEventPrefix");
}

TUsbAudioHandle SimulatorHarness::open (std::uint32_t index)
{
    TUsbAudioHandle handle = 0;

    if (api.TUSBAUDIO_EnumerateDevices == nullptr || api.TUSBAUDIO_OpenDeviceByIndex == nullptr
        || api.TUSBAUDIO_EnumerateDevices() != TUsbAudioStatusCode::success
        || api.TUSBAUDIO_OpenDeviceByIndex (index, &handle) != TUsbAudioStatusCode::success)
        return 0;

    return handle;
}

std::vector<SimulatorHarness::JournalEntry> SimulatorHarness::journal() const
{
    std::vector<JournalEntry> entries;

    if (! ready)
        return entries;

    const auto size = KSIM_GetJournalSize();

    for (std::uint32_t i = 0; i < size; ++i)
    {
        char name[64] {};
        std::uint32_t bytes = 0;
        JournalEntry entry;
        KSIM_GetJournalEntry (i, name, sizeof (name), nullptr, 0, &bytes, &entry.status);
        entry.entryPoint = name;
        entry.bytes.resize (bytes);
        KSIM_GetJournalEntry (i, nullptr, 0, entry.bytes.data(), bytes, &bytes, &entry.status);
        entries.push_back (std::move (entry));
    }

    return entries;
}

std::string SimulatorHarness::JournalEntry::hex() const
{
    return SimulatorHarness::hex (bytes.data(), bytes.size());
}

std::string SimulatorHarness::hex (const std::uint8_t* bytes, std::size_t size)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;

    for (std::size_t i = 0; i < size; ++i)
    {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }

    return text;
}

std::vector<std::uint8_t> SimulatorHarness::bytes (const std::string& hex)
{
    std::vector<std::uint8_t> result;
    int high = -1;

    for (const auto c : hex)
    {
        if (c == ' ')
            continue;

        const auto digit = juce::CharacterFunctions::getHexDigitValue (static_cast<juce::juce_wchar> (c));

        if (high < 0)
        {
            high = digit;
        }
        else
        {
            result.push_back (static_cast<std::uint8_t> ((high << 4) | digit));
            high = -1;
        }
    }

    return result;
}
