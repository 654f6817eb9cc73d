#pragma once

// The driver's side of the named events (platform/WinEvents.h): it opens an event that the program
// created by its name, signals it and closes the handle again. Names are put after the host's
// prefix as there. Elsewhere than on Windows, as on Windows, opening finds only an event that some
// live process holds, and only the user's own events, with the checks and the time limit of
// CreateEventA (ERROR_ACCESS_DENIED, ERROR_TIMEOUT); the access and inheritance arguments of
// OpenEventA are ignored.

#include "platform/WinTypes.h"

namespace win
{
HANDLE OpenEventA (DWORD desiredAccess, BOOL inheritHandle, LPCSTR name);
BOOL SetEvent (HANDLE event);
} // namespace win
