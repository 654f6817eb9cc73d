#include "platform/driverside/WinEventSignals.h"

#include "platform/EventName.h"

#ifdef _WIN32
 #include <windows.h>

namespace win
{
HANDLE OpenEventA (DWORD desiredAccess, BOOL inheritHandle, LPCSTR name)
{
    const auto fullName = name != nullptr ? EventName::of (name) : std::string();
    return ::OpenEventA (static_cast<::DWORD> (desiredAccess), inheritHandle,
                         name == nullptr ? nullptr : fullName.c_str());
}

BOOL SetEvent (HANDLE event)
{
    return static_cast<BOOL> (::SetEvent (event));
}
} // namespace win

#else
 #include "platform/EventObject.h"
 #include "platform/WinModules.h"

namespace win
{
HANDLE OpenEventA (DWORD, BOOL, LPCSTR name)
{
    if (name == nullptr || *name == 0)
    {
        SetLastError (ERROR_INVALID_PARAMETER);
        return nullptr;
    }

    bool created = false;
    DWORD error = ERROR_SUCCESS;
    auto* event = EventObject::open (EventName::of (name), false, false, created, error);
    SetLastError (error);
    return event;
}

BOOL SetEvent (HANDLE handle)
{
    auto* event = EventObject::fromHandle (handle);

    if (event == nullptr)
    {
        SetLastError (ERROR_INVALID_HANDLE);
        return 0;
    }

    // Posting only onto an unsignalled event keeps it at most 1 (a racing post is drained by the wait).
    int value = 0;

    if (::sem_getvalue (event->semaphore(), &value) == 0 && value > 0)
        return 1;

    if (::sem_post (event->semaphore()) != 0)
    {
        SetLastError (ERROR_INVALID_PARAMETER);
        return 0;
    }

    return 1;
}
} // namespace win
#endif
