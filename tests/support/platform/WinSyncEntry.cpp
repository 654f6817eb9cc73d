#include "support/platform/WinSyncEntry.h"

#ifdef _WIN32
 #include <windows.h>
#else
 #include <mutex>
#endif

namespace win
{
#ifdef _WIN32

void EnterCriticalSection (CRITICAL_SECTION* section)
{
    ::EnterCriticalSection (reinterpret_cast<::CRITICAL_SECTION*> (section));
}

void LeaveCriticalSection (CRITICAL_SECTION* section)
{
    ::LeaveCriticalSection (reinterpret_cast<::CRITICAL_SECTION*> (section));
}

#else

namespace
{
// The lock that InitializeCriticalSection keeps in LockSemaphore.
std::recursive_mutex* mutexOf (CRITICAL_SECTION* section)
{
    return section != nullptr ? static_cast<std::recursive_mutex*> (section->LockSemaphore) : nullptr;
}
} // namespace

void EnterCriticalSection (CRITICAL_SECTION* section)
{
    if (auto* mutex = mutexOf (section))
    {
        mutex->lock();
        ++section->RecursionCount;
    }
}

void LeaveCriticalSection (CRITICAL_SECTION* section)
{
    if (auto* mutex = mutexOf (section))
    {
        --section->RecursionCount;
        mutex->unlock();
    }
}

#endif
} // namespace win
