#include "platform/WinEventTrace.h"

#ifdef _WIN32
 #include <windows.h>
 #include <evntprov.h>
#endif

namespace win
{
#ifdef _WIN32

static_assert (sizeof (EVENT_DESCRIPTOR) == sizeof (::EVENT_DESCRIPTOR), "layout must match Windows");
static_assert (sizeof (EVENT_DATA_DESCRIPTOR) == sizeof (::EVENT_DATA_DESCRIPTOR), "layout must match Windows");

DWORD EventWrite (REGHANDLE handle, const EVENT_DESCRIPTOR* descriptor, DWORD dataCount, EVENT_DATA_DESCRIPTOR* data)
{
    return ::EventWrite (handle,
                         reinterpret_cast<const ::EVENT_DESCRIPTOR*> (descriptor),
                         dataCount,
                         reinterpret_cast<::PEVENT_DATA_DESCRIPTOR> (data));
}

DWORD EventUnregister (REGHANDLE handle)
{
    return ::EventUnregister (handle);
}

#else

DWORD EventWrite (REGHANDLE, const EVENT_DESCRIPTOR*, DWORD, EVENT_DATA_DESCRIPTOR*)
{
    return ERROR_SUCCESS;
}

DWORD EventUnregister (REGHANDLE)
{
    return ERROR_SUCCESS;
}

#endif
} // namespace win
