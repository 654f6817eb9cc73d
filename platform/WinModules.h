#pragma once

// Module loading, file attributes and the per-thread last-error code.

#include "platform/WinTypes.h"

namespace win
{
DWORD GetFileAttributesW (LPCWSTR path);
HMODULE LoadLibraryW (LPCWSTR path);
FARPROC GetProcAddress (HMODULE module, LPCSTR name);
BOOL FreeLibrary (HMODULE module);

DWORD GetLastError();
void SetLastError (DWORD code);
} // namespace win
