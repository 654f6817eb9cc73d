#pragma once

// Named auto-reset events, which the driver library signals by name: creating, waiting, closing.
// (How a driver opens and signals one is in platform/driverside/WinEventSignals.h.) Every name is
// put after the host's prefix (LayerHost::eventNamePrefix), on Windows too; the program's is empty.
// Elsewhere than on Windows they are POSIX semaphores with event semantics, each in a file of the
// user's own in /dev/shm whose name holds the user's id (EventObject, EventName), so that every
// user has events of their own as a session has on Windows. Auto-reset only (manualReset fails
// with ERROR_NOT_SUPPORTED), and WaitForMultipleObjects waits for any one object (waitAll only
// with one object) by polling. CreateEventA fails with ERROR_ACCESS_DENIED when the event's file
// is another user's or others may open it, and with ERROR_TIMEOUT (1460) when another process
// holds the lock that serialises creators for longer than EventObject::lockTimeLimitMs (2 s);
// CloseHandle never waits longer than that either.

#include "platform/WinTypes.h"

namespace win
{
HANDLE CreateEventA (void* securityAttributes, BOOL manualReset, BOOL initialState, LPCSTR name);
DWORD WaitForMultipleObjects (DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);
BOOL CloseHandle (HANDLE handle);
} // namespace win
