#pragma once

// Files by wide path: a shared C stream, a file's attributes, delete and rename.
// Elsewhere than on Windows the paths are converted from UTF-16 to UTF-8; files are always
// shared, so the share flag has no effect; the read-only attribute is the file's write
// permission. These calls do not record a last-error code here.

#include "platform/WinTypes.h"

#include <cstdio>

namespace win
{
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01u;

/** Share flag of _wfsopen: others may read and write the file while it is open. */
constexpr int SH_DENYNO = 0x40;

/** Opens a C stream on `path` with a C mode such as u"ab", shared with others as `shareFlag` says.
    Returns null on failure. */
std::FILE* _wfsopen (LPCWSTR path, LPCWSTR mode, int shareFlag);

BOOL SetFileAttributesW (LPCWSTR path, DWORD attributes);
BOOL DeleteFileW (LPCWSTR path);

/** Renames a file; fails when `newPath` exists already. */
BOOL MoveFileW (LPCWSTR existingPath, LPCWSTR newPath);
} // namespace win
