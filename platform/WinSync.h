#pragma once

// Critical sections: recursive locks owned by one thread at a time. The program makes one and
// deletes it again without ever entering it; entering and leaving are for tests
// (tests/support/platform/WinSyncEntry.h).
// Elsewhere than on Windows the lock is a std::recursive_mutex that InitializeCriticalSection
// makes and DeleteCriticalSection frees; its address is kept in LockSemaphore, the field in
// which Windows keeps the handle it waits on, so that the record has Windows' size everywhere.

#include "platform/WinTypes.h"

#include <cstdint>

namespace win
{
struct CRITICAL_SECTION
{
    void* DebugInfo;
    LONG LockCount;
    LONG RecursionCount;
    HANDLE OwningThread;
    HANDLE LockSemaphore;
    std::uintptr_t SpinCount;
};

void InitializeCriticalSection (CRITICAL_SECTION* section);
void DeleteCriticalSection (CRITICAL_SECTION* section);
} // namespace win
