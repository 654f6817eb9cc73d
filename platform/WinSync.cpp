#include "platform/WinSync.h"

#ifdef _WIN32
 #include <windows.h>
#else
 #include <mutex>
#endif

namespace win
{
#ifdef _WIN32

static_assert (sizeof (CRITICAL_SECTION) == sizeof (::CRITICAL_SECTION), "layout must match Windows");

void InitializeCriticalSection (CRITICAL_SECTION* section)
{
    ::InitializeCriticalSection (reinterpret_cast<::CRITICAL_SECTION*> (section));
}

void DeleteCriticalSection (CRITICAL_SECTION* section)
{
    ::DeleteCriticalSection (reinterpret_cast<::CRITICAL_SECTION*> (section));
}

#else

namespace
{
std::recursive_mutex* mutexOf (CRITICAL_SECTION* section)
{
    return section != nullptr ? static_cast<std::recursive_mutex*> (section->LockSemaphore) : nullptr;
}
} // namespace

void InitializeCriticalSection (CRITICAL_SECTION* section)
{
    if (section == nullptr)
        return;

    *section = {};
    section->LockSemaphore = new std::recursive_mutex();
}

void DeleteCriticalSection (CRITICAL_SECTION* section)
{
    if (section == nullptr)
        return;

    delete mutexOf (section);
    *section = {};
}

#endif
} // namespace win
