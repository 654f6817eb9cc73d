#pragma once

// What this layer runs on, for the few places that must know: tests of behaviour that only the
// stand-in implementation has, and work-arounds for Wine.

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
} // namespace win
