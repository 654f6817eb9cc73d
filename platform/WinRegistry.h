#pragma once

// Read-only registry access, as the driver loader uses it.
// Elsewhere than on Windows the keys come from a registry file in the Registry Editor 5.00 text
// format (~/.config/Kelvaro/registry.reg, see RegistryFile); key and value names match ignoring
// case. The file is read again by every RegOpenKeyExW, and an open key holds a copy of its values.
// A missing file is an empty registry (ERROR_FILE_NOT_FOUND); a file that cannot be read makes the
// open fail with ERROR_ACCESS_DENIED, a malformed one with ERROR_INVALID_DATA.

#include "platform/WinTypes.h"

namespace win
{
LONG RegOpenKeyExW (HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, HKEY* result);
LONG RegQueryValueExW (HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegCloseKey (HKEY key);
} // namespace win
