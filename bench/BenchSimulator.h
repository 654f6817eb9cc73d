#pragma once

#include "simulator/SimulatorControl.h"

#include <cstdint>

/**
    The benchmarks' hold on the simulated interface library: the same module that the program loads
    through the registry (the loader opens the same file, so both share one simulated driver), and
    the control functions the benchmarks use.
*/
class BenchSimulator
{
public:
    BenchSimulator();
    ~BenchSimulator();

    BenchSimulator (const BenchSimulator&) = delete;
    BenchSimulator& operator= (const BenchSimulator&) = delete;

    bool isValid() const noexcept;

    /** Gives interface 0 `perKind` channels of each of the six kinds. */
    bool setChannelsPerKind (std::uint32_t perKind) const;

    void clearJournal() const;
    std::uint32_t journalSize() const;

    /** True when the journal holds a request for the meter block; empties the journal, so that
        the next call looks only at the requests sent since. */
    bool takeMeterRead() const;

private:
    void* module = nullptr;
    KSIM_SetChannelCounts_t setChannelCounts = nullptr;
    KSIM_ClearJournal_t clear = nullptr;
    KSIM_GetJournalSize_t size = nullptr;
    KSIM_GetJournalEntry_t entry = nullptr;
};
