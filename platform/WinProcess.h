#pragma once

// The ids of the calling process and thread, and the local wall-clock time.

#include "platform/WinTypes.h"

#include <cstdint>

namespace win
{
/** The local date and time, as Windows hands it out (16-bit fields, day of week 0 = Sunday). */
struct SYSTEMTIME
{
    std::uint16_t wYear;
    std::uint16_t wMonth;
    std::uint16_t wDayOfWeek;
    std::uint16_t wDay;
    std::uint16_t wHour;
    std::uint16_t wMinute;
    std::uint16_t wSecond;
    std::uint16_t wMilliseconds;
};

DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();
void GetLocalTime (SYSTEMTIME* time);
} // namespace win
