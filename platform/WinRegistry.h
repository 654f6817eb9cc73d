#pragma once

// Read-only registry access, as the driver loader uses it.
// Elsewhere than on Windows the keys come from a registry file in the Registry Editor 5.00 text
// format (~/.config/Kelvaro/registry.reg); key names match ignoring case.

#include "platform/WinTypes.h"

namespace win
{
LONG RegOpenKeyExW (HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, HKEY* result);
LONG RegQueryValueExW (HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegCloseKey (HKEY key);
} // namespace win
