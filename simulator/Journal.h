#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

/**
    The record of every DSP request the simulated driver received: which entry point, the request's
    bytes as they arrived and the status answered. When the environment variable
    KELVARO_SIM_JOURNAL names a file, every entry is appended there too, one line each, so that a
    running mixer can be watched from outside.
*/
class Journal
{
public:
    struct Entry
    {
        std::string entryPoint;
        std::vector<std::uint8_t> bytes;
        std::uint32_t status = 0;
    };

    /** The most entries kept in memory; the oldest go first. */
    static constexpr std::size_t capacity = 65536;

    void add (const char* entryPoint, const std::uint8_t* bytes, std::uint32_t size, std::uint32_t status);
    void clear() { entries.clear(); }

    std::size_t size() const noexcept { return entries.size(); }
    const Entry& operator[] (std::size_t index) const { return entries[index]; }

    /** An entry as one line: "SetDspProperty 4D000000C8000000... status=00000000". */
    static std::string format (const Entry& entry);

private:
    std::deque<Entry> entries;
};
