#pragma once

// Writes a registry (platform/RegistryFile.h) in the Registry Editor 5.00 text format, as tests
// prepare the file that the stand-in registry reads.

#include "platform/RegistryFile.h"

#include <string>

namespace win
{
class RegistryFileWriter
{
public:
    /** The registry in the file format, readable by RegistryFile::parse and by regedit: strings
        that survive the round trip as "...", DWORDs as dword:, everything else as hex. */
    static std::string toText (const RegistryFile& registry);

    /** Writes toText() to the file (through a temporary file, so readers never see half of it). */
    static bool save (const RegistryFile& registry, const std::string& path);
};
} // namespace win
