#include "platform/WinFiles.h"
#include "platform/WideText.h"

#ifdef _WIN32
 #include <windows.h>
#else
 #include <string>
 #include <sys/stat.h>
 #include <unistd.h>
#endif

namespace win
{
#ifdef _WIN32

std::FILE* _wfsopen (LPCWSTR path, LPCWSTR mode, int shareFlag)
{
    return ::_wfsopen (reinterpret_cast<const wchar_t*> (path), reinterpret_cast<const wchar_t*> (mode), shareFlag);
}

BOOL SetFileAttributesW (LPCWSTR path, DWORD attributes)
{
    return ::SetFileAttributesW (reinterpret_cast<LPCWCH> (path), attributes);
}

BOOL DeleteFileW (LPCWSTR path)
{
    return ::DeleteFileW (reinterpret_cast<LPCWCH> (path));
}

BOOL MoveFileW (LPCWSTR existingPath, LPCWSTR newPath)
{
    return ::MoveFileW (reinterpret_cast<LPCWCH> (existingPath), reinterpret_cast<LPCWCH> (newPath));
}

#else


std::FILE* _wfsopen (LPCWSTR path, LPCWSTR mode, int)
{
    if (path == nullptr || mode == nullptr || *path == 0)
        return nullptr;

    return std::fopen (WideText::toUtf8 (path).c_str(), WideText::toUtf8 (mode).c_str());
}

BOOL SetFileAttributesW (LPCWSTR path, DWORD attributes)
{
    if (path == nullptr)
        return 0;

    const auto name = WideText::toUtf8 (path);
    struct stat info {};

    if (::stat (name.c_str(), &info) != 0)
        return 0;

    auto mode = info.st_mode & 07777u;

    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        mode &= ~static_cast<mode_t> (S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;

    return ::chmod (name.c_str(), mode) == 0 ? 1 : 0;
}

BOOL DeleteFileW (LPCWSTR path)
{
    if (path == nullptr)
        return 0;

    return ::unlink (WideText::toUtf8 (path).c_str()) == 0 ? 1 : 0;
}

BOOL MoveFileW (LPCWSTR existingPath, LPCWSTR newPath)
{
    if (existingPath == nullptr || newPath == nullptr)
        return 0;

    const auto target = WideText::toUtf8 (newPath);
    struct stat info {};

    // rename() would replace the target; Windows refuses instead.
    if (::lstat (target.c_str(), &info) == 0)
        return 0;

    return std::rename (WideText::toUtf8 (existingPath).c_str(), target.c_str()) == 0 ? 1 : 0;
}

#endif
} // namespace win
