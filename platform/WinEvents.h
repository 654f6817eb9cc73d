#pragma once

// Named auto-reset events, which the driver library signals by name: creating, waiting, closing.
// (How a driver opens and signals one is in platform/driverside/WinEventSignals.h.) Every name is
// put after the host's prefix (LayerHost::eventNamePrefix), on Windows too; the program's is empty.
// Elsewhere than on Windows they are POSIX named semaphores with event semantics (EventObject):
// auto-reset only (manualReset fails with ERROR_NOT_SUPPORTED), and WaitForMultipleObjects waits
// for any one object (waitAll only with one object) by polling.

#include "platform/WinTypes.h"

namespace win
{
HANDLE CreateEventA (void* securityAttributes, BOOL manualReset, BOOL initialState, LPCSTR name);
DWORD WaitForMultipleObjects (DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);
BOOL CloseHandle (HANDLE handle);
} // namespace win
