#pragma once

// Setting the process environment for tests, where both the C runtime's getenv and the operating
// system's own lookups (as the simulated library reads them) see it.

namespace win
{
/** Sets (or, with a null value, removes) an environment variable of this process. On Windows the
    C runtime cannot hold an empty value: getenv then finds nothing, GetEnvironmentVariableA finds
    the empty value. */
bool setEnvironmentVariable (const char* name, const char* value);
} // namespace win
