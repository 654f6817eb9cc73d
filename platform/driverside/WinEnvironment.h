#pragma once

// Reading the process environment the way the operating system holds it, as the simulated driver
// library reads its settings. On Windows the C runtime's copy cannot hold an empty value (getenv
// then finds nothing), so the value comes from the process environment block.

#include <string>

namespace win
{
/** Reads an environment variable of this process, empty values included; false when it is not set. */
bool getEnvironmentVariable (const char* name, std::string& value);
} // namespace win
