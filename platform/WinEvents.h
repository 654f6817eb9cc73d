#pragma once

// Named auto-reset events, which the driver library signals by name.
// Elsewhere than on Windows they are POSIX named semaphores with event semantics: auto-reset only
// (manualReset fails with ERROR_NOT_SUPPORTED), names prefixed with $KELVARO_EVENT_PREFIX, and
// WaitForMultipleObjects waits for any one object (waitAll only with one object) by polling.

#include "platform/WinTypes.h"

namespace win
{
HANDLE CreateEventA (void* securityAttributes, BOOL manualReset, BOOL initialState, LPCSTR name);
HANDLE OpenEventA (DWORD desiredAccess, BOOL inheritHandle, LPCSTR name);
BOOL SetEvent (HANDLE event);
DWORD WaitForMultipleObjects (DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);
BOOL CloseHandle (HANDLE handle);
} // namespace win
