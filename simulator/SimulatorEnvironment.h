#pragma once

// The simulated library's settings come from the environment of the process that loads it
// (KELVARO_SIM_DEVICES, KELVARO_SIM_JOURNAL); the mixer itself reads no environment variable.

#include <string>

class SimulatorEnvironment
{
public:
    /** Reads an environment variable of this process, empty values included; false when it is
        not set. On Windows the C runtime's copy cannot hold an empty value (getenv then finds
        nothing), so there the value comes from the process environment block. */
    static bool read (const char* name, std::string& value);
};
