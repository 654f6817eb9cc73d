#include "bench/BenchSimulator.h"

#include "driver/DspProtocol.h"
#include "support/platform/TestEventNames.h"

#include <dlfcn.h>

BenchSimulator::BenchSimulator()
    : module (::dlopen (KELVARO_SIMULATOR_PATH, RTLD_NOW | RTLD_LOCAL))
{
    if (module == nullptr)
        return;

    setChannelCounts = reinterpret_cast<KSIM_SetChannelCounts_t> (::dlsym (module, "KSIM_SetChannelCounts"));
    clear = reinterpret_cast<KSIM_ClearJournal_t> (::dlsym (module, "KSIM_ClearJournal"));
    size = reinterpret_cast<KSIM_GetJournalSize_t> (::dlsym (module, "KSIM_GetJournalSize"));
    entry = reinterpret_cast<KSIM_GetJournalEntry_t> (::dlsym (module, "KSIM_GetJournalEntry"));

    // The simulated driver signals the events under the names this process gave itself.
    if (auto* setEventPrefix = reinterpret_cast<KSIM_SetEventPrefix_t> (::dlsym (module, "KSIM_SetEventPrefix")))
        setEventPrefix (win::TestEventNames::prefix().c_str());
}

BenchSimulator::~BenchSimulator()
{
    if (module != nullptr)
        ::dlclose (module);
}

bool BenchSimulator::isValid() const noexcept
{
    return setChannelCounts != nullptr && clear != nullptr && size != nullptr && entry != nullptr;
}

bool BenchSimulator::setChannelsPerKind (std::uint32_t perKind) const
{
    const std::uint32_t counts[] = { perKind, perKind, perKind, perKind, perKind, perKind };
    return setChannelCounts (0, counts) == 0;
}

void BenchSimulator::clearJournal() const
{
    clear();
}

std::uint32_t BenchSimulator::journalSize() const
{
    return size();
}

bool BenchSimulator::takeMeterRead() const
{
    bool found = false;

    for (std::uint32_t i = 0, n = size(); i < n; ++i)
    {
        char name[32] {};
        std::uint8_t bytes[8] {};
        std::uint32_t total = 0, status = 0;
        entry (i, name, sizeof (name), bytes, sizeof (bytes), &total, &status);

        // Property set 77, property 301: the meter block.
        const auto property = static_cast<std::uint32_t> (bytes[4] | bytes[5] << 8 | bytes[6] << 16 | bytes[7] << 24);

        found = found || property == DspProtocol::meterBlockProperty;
    }

    clear();
    return found;
}
