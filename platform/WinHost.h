#pragma once

// What this layer runs on, for the few places that must know: tests of behaviour that only the
// stand-in implementation has, and work-arounds for Wine.

#include <string>

namespace win
{
/** True where this layer forwards to the real Win32 API (a Windows build, also under Wine). */
#ifdef _WIN32
constexpr bool isWindowsBuild = true;
#else
constexpr bool isWindowsBuild = false;
#endif

/** True when the process is a Windows program running under Wine (ntdll has wine_get_version). */
bool isRunningUnderWine();

/** Sets (or, with a null value, removes) an environment variable of this process, where both
    the C runtime's getenv and the operating system's own lookups see it. On Windows the C
    runtime cannot hold an empty value: getenv then finds nothing, getEnvironmentVariable finds
    the empty value. */
bool setEnvironmentVariable (const char* name, const char* value);

/** Reads an environment variable of this process, empty values included; false when it is not set. */
bool getEnvironmentVariable (const char* name, std::string& value);

/** Under Wine only: gives this process a user profile of its own, C:\users\<name> with its
    application-data folders, in place of the one that all programs of the Wine prefix share (as a
    HOME of its own does elsewhere). Returns the profile folder in UTF-8, or an empty string when
    not running under Wine or when the folders cannot be made. */
std::string useOwnWineUserProfile (const std::string& name);
} // namespace win
