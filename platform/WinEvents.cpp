#include "platform/WinEvents.h"

#include "platform/EventName.h"

#ifdef _WIN32
 #include <windows.h>

namespace win
{
HANDLE CreateEventA (void* securityAttributes, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    const auto fullName = name != nullptr && *name != 0 ? EventName::of (name) : std::string();
    return ::CreateEventA (static_cast<LPSECURITY_ATTRIBUTES> (securityAttributes), manualReset, initialState,
                           name == nullptr ? nullptr : fullName.c_str());
}

DWORD WaitForMultipleObjects (DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    return static_cast<DWORD> (::WaitForMultipleObjects (static_cast<::DWORD> (count), handles, waitAll,
                                                         static_cast<::DWORD> (milliseconds)));
}

BOOL CloseHandle (HANDLE handle)
{
    return static_cast<BOOL> (::CloseHandle (handle));
}
} // namespace win

#else // POSIX semaphores with the semantics of an auto-reset event (EventObject)

 #include "platform/EventObject.h"
 #include "platform/WinModules.h"

 #include <chrono>
 #include <thread>

// Only auto-reset events exist here: CreateEventA with manualReset fails with ERROR_NOT_SUPPORTED.

namespace win
{
namespace
{
HANDLE fail (DWORD error)
{
    SetLastError (error);
    return nullptr;
}
} // namespace

HANDLE CreateEventA (void*, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    if (manualReset)
        return fail (ERROR_NOT_SUPPORTED);

    DWORD error = ERROR_SUCCESS;

    if (name == nullptr || *name == 0)
    {
        auto* event = EventObject::anonymous (initialState != 0, error);
        SetLastError (error);
        return event;
    }

    bool created = false;
    auto* event = EventObject::open (EventName::of (name), true, initialState != 0, created, error);

    if (event == nullptr)
        return fail (error);

    SetLastError (created ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    return event;
}

DWORD WaitForMultipleObjects (DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr)
    {
        SetLastError (ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }

    // Waiting for all of several semaphores at once cannot be done atomically here.
    if (waitAll && count > 1)
    {
        SetLastError (ERROR_NOT_SUPPORTED);
        return WAIT_FAILED;
    }

    EventObject* events[MAXIMUM_WAIT_OBJECTS] = {};

    for (DWORD i = 0; i < count; ++i)
    {
        events[i] = EventObject::fromHandle (handles[i]);

        if (events[i] == nullptr)
        {
            SetLastError (ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (milliseconds);

    while (true)
    {
        for (DWORD i = 0; i < count; ++i)
        {
            if (::sem_trywait (events[i]->semaphore()) == 0)
            {
                // Reset: also take what a racing SetEvent may have added.
                while (::sem_trywait (events[i]->semaphore()) == 0)
                {
                }

                return WAIT_OBJECT_0 + i;
            }
        }

        if (milliseconds != INFINITE && std::chrono::steady_clock::now() >= deadline)
            return WAIT_TIMEOUT;

        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }
}

BOOL CloseHandle (HANDLE handle)
{
    auto* event = EventObject::fromHandle (handle);

    if (event == nullptr)
    {
        SetLastError (ERROR_INVALID_HANDLE);
        return 0;
    }

    event->close();
    return 1;
}
} // namespace win
#endif
