#include "platform/WinProcess.h"

#ifdef _WIN32
 #include <windows.h>
#else
 #include <ctime>
 #include <pthread.h>
 #include <unistd.h>
 #ifdef __linux__
  #include <sys/syscall.h>
 #endif
#endif

namespace win
{
#ifdef _WIN32

DWORD GetCurrentProcessId()
{
    return ::GetCurrentProcessId();
}

DWORD GetCurrentThreadId()
{
    return ::GetCurrentThreadId();
}

void GetLocalTime (SYSTEMTIME* time)
{
    static_assert (sizeof (SYSTEMTIME) == sizeof (::SYSTEMTIME), "layout must match Windows");

    if (time != nullptr)
        ::GetLocalTime (reinterpret_cast<::SYSTEMTIME*> (time));
}

#else

DWORD GetCurrentProcessId()
{
    return static_cast<DWORD> (::getpid());
}

DWORD GetCurrentThreadId()
{
   #if defined (__linux__)
    // The kernel's thread id: what debuggers and `ps -L` show, unique while the thread lives.
    return static_cast<DWORD> (::syscall (SYS_gettid));
   #elif defined (__APPLE__)
    std::uint64_t id = 0;
    ::pthread_threadid_np (nullptr, &id);
    return static_cast<DWORD> (id);
   #else
    // No portable numeric id: number the threads in the order they first ask.
    static std::uint32_t nextId = 1;
    static pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    thread_local DWORD id = 0;

    if (id == 0)
    {
        ::pthread_mutex_lock (&mutex);
        id = nextId++;
        ::pthread_mutex_unlock (&mutex);
    }

    return id;
   #endif
}

void GetLocalTime (SYSTEMTIME* time)
{
    if (time == nullptr)
        return;

    timespec now {};
    ::clock_gettime (CLOCK_REALTIME, &now);

    const time_t seconds = now.tv_sec;
    tm local {};
    ::localtime_r (&seconds, &local);

    time->wYear         = static_cast<std::uint16_t> (local.tm_year + 1900);
    time->wMonth        = static_cast<std::uint16_t> (local.tm_mon + 1);
    time->wDayOfWeek    = static_cast<std::uint16_t> (local.tm_wday);
    time->wDay          = static_cast<std::uint16_t> (local.tm_mday);
    time->wHour         = static_cast<std::uint16_t> (local.tm_hour);
    time->wMinute       = static_cast<std::uint16_t> (local.tm_min);
    time->wSecond       = static_cast<std::uint16_t> (local.tm_sec);
    time->wMilliseconds = static_cast<std::uint16_t> (now.tv_nsec / 1000000);
}

#endif
} // namespace win
