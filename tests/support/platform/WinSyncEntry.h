#pragma once

// Entering and leaving a critical section made by InitializeCriticalSection (platform/WinSync.h),
// which only tests do.

#include "platform/WinSync.h"

namespace win
{
void EnterCriticalSection (CRITICAL_SECTION* section);
void LeaveCriticalSection (CRITICAL_SECTION* section);
} // namespace win
