#pragma once

// Module loading, file attributes and the per-thread last-error code. Elsewhere than on Windows a
// module is a shared object opened with dlopen (RTLD_NOW | RTLD_LOCAL) by the UTF-8 form of its
// path; each copy of this layer in a process (a loaded library may link one) has its own
// last-error code.

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
