#include "simulator/Journal.h"

#include "simulator/SimulatorEnvironment.h"

#include <cstdio>
#include <string>

void Journal::add (const char* entryPoint, const std::uint8_t* bytes, std::uint32_t size, std::uint32_t status)
{
    Entry entry { entryPoint, {}, status };

    if (bytes != nullptr)
        entry.bytes.assign (bytes, bytes + size);

    // Looked up on every entry, so that a test can name the file after the library has loaded.
    if (std::string path; SimulatorEnvironment::read ("KELVARO_SIM_JOURNAL", path) && ! path.empty())
    {
        if (auto* file = std::fopen (path.c_str(), "ab"))   // the same line ends on every platform
        {
            const auto line = format (entry) + "\n";
            std::fputs (line.c_str(), file);
            std::fclose (file);
        }
    }

    if (entries.size() == capacity)
        entries.pop_front();

    entries.push_back (std::move (entry));
}

std::string Journal::format (const Entry& entry)
{
    static constexpr char digits[] = "0123456789ABCDEF";

    std::string line = entry.entryPoint + " ";
    line.reserve (line.size() + entry.bytes.size() * 2 + 16);

    for (const auto byte : entry.bytes)
    {
        line += digits[byte >> 4];
        line += digits[byte & 0x0F];
    }

    char status[24];
    std::snprintf (status, sizeof (status), " status=%08X", static_cast<unsigned> (entry.status));
    return line + status;
}
