#include "platform/WinFiles.h"

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

namespace
{
void appendUtf8 (std::string& out, char32_t c)
{
    if (c < 0x80)
    {
        out += static_cast<char> (c);
    }
    else if (c < 0x800)
    {
        out += static_cast<char> (0xC0 | (c >> 6));
        out += static_cast<char> (0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char> (0xE0 | (c >> 12));
        out += static_cast<char> (0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char> (0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char> (0xF0 | (c >> 18));
        out += static_cast<char> (0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char> (0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char> (0x80 | (c & 0x3F));
    }
}

/** UTF-16 to UTF-8; a lone surrogate becomes U+FFFD. */
std::string toUtf8 (LPCWSTR text)
{
    std::string out;

    for (auto* p = text; *p != 0; ++p)
    {
        char32_t c = *p;

        if (c >= 0xD800 && c < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t> (p[1]) - 0xDC00);
            ++p;
        }
        else if (c >= 0xD800 && c < 0xE000)
        {
            c = 0xFFFD;
        }

        appendUtf8 (out, c);
    }

    return out;
}
} // namespace

std::FILE* _wfsopen (LPCWSTR path, LPCWSTR mode, int)
{
    if (path == nullptr || mode == nullptr || *path == 0)
        return nullptr;

    return std::fopen (toUtf8 (path).c_str(), toUtf8 (mode).c_str());
}

BOOL SetFileAttributesW (LPCWSTR path, DWORD attributes)
{
    if (path == nullptr)
        return 0;

    const auto name = toUtf8 (path);
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

    return ::unlink (toUtf8 (path).c_str()) == 0 ? 1 : 0;
}

BOOL MoveFileW (LPCWSTR existingPath, LPCWSTR newPath)
{
    if (existingPath == nullptr || newPath == nullptr)
        return 0;

    const auto target = toUtf8 (newPath);
    struct stat info {};

    // rename() would replace the target; Windows refuses instead.
    if (::lstat (target.c_str(), &info) == 0)
        return 0;

    return std::rename (toUtf8 (existingPath).c_str(), target.c_str()) == 0 ? 1 : 0;
}

#endif
} // namespace win
