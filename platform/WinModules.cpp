#include "platform/WinModules.h"

#ifdef _WIN32
 #include <windows.h>

static_assert (sizeof (wchar_t) == sizeof (win::WCHAR), "a wide character is one UTF-16 unit");

namespace win
{
DWORD GetFileAttributesW (LPCWSTR path)
{
    return static_cast<DWORD> (::GetFileAttributesW (reinterpret_cast<const wchar_t*> (path)));
}

HMODULE LoadLibraryW (LPCWSTR path)
{
    return reinterpret_cast<HMODULE> (::LoadLibraryW (reinterpret_cast<const wchar_t*> (path)));
}

FARPROC GetProcAddress (HMODULE module, LPCSTR name)
{
    return reinterpret_cast<FARPROC> (::GetProcAddress (reinterpret_cast<::HMODULE> (module), name));
}

BOOL FreeLibrary (HMODULE module)
{
    return static_cast<BOOL> (::FreeLibrary (reinterpret_cast<::HMODULE> (module)));
}

DWORD GetLastError()
{
    return static_cast<DWORD> (::GetLastError());
}

void SetLastError (DWORD code)
{
    ::SetLastError (static_cast<::DWORD> (code));
}
} // namespace win

#else // dlopen and stat

 #include "platform/WideText.h"

 #include <cerrno>
 #include <cstdint>
 #include <dlfcn.h>
 #include <string>
 #include <sys/stat.h>

namespace win
{
namespace
{
constexpr DWORD errorFilenameTooLong = 206;   // ERROR_FILENAME_EXCED_RANGE

// Each thread has its own code, as on Windows. Each copy of this library (the driver library
// links one of its own) has its own, too.
thread_local DWORD lastError = ERROR_SUCCESS;

// Windows tells a missing file (2) from a missing folder on the way to it (3).
DWORD missingPathError (std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();

    const auto slash = path.find_last_of ('/');

    if (slash == std::string::npos)
        return ERROR_FILE_NOT_FOUND;   // in the current folder, which exists

    const auto parent = slash == 0 ? std::string ("/") : path.substr (0, slash);
    struct stat info {};

    if (::stat (parent.c_str(), &info) == 0 && S_ISDIR (info.st_mode))
        return ERROR_FILE_NOT_FOUND;

    return ERROR_PATH_NOT_FOUND;
}
} // namespace

DWORD GetFileAttributesW (LPCWSTR path)
{
    if (path == nullptr)
    {
        lastError = ERROR_INVALID_PARAMETER;
        return INVALID_FILE_ATTRIBUTES;
    }

    const auto utf8 = WideText::toUtf8 (path);
    struct stat info {};

    if (utf8.empty())
    {
        lastError = ERROR_PATH_NOT_FOUND;
        return INVALID_FILE_ATTRIBUTES;
    }

    if (::stat (utf8.c_str(), &info) != 0)
    {
        switch (errno)
        {
            case ENOENT:       lastError = missingPathError (utf8); break;
            case ENOTDIR:      lastError = ERROR_PATH_NOT_FOUND; break;
            case EACCES:       lastError = ERROR_ACCESS_DENIED; break;
            case ENAMETOOLONG: lastError = errorFilenameTooLong; break;
            default:           lastError = ERROR_FILE_NOT_FOUND; break;
        }

        return INVALID_FILE_ATTRIBUTES;
    }

    return S_ISDIR (info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

HMODULE LoadLibraryW (LPCWSTR path)
{
    if (path == nullptr)
    {
        lastError = ERROR_INVALID_PARAMETER;
        return nullptr;
    }

    // Local binding: two loaded libraries never see each other's symbols, as with Windows DLLs.
    auto* handle = ::dlopen (WideText::toUtf8 (path).c_str(), RTLD_NOW | RTLD_LOCAL);

    if (handle == nullptr)
    {
        lastError = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }

    return static_cast<HMODULE> (handle);
}

FARPROC GetProcAddress (HMODULE module, LPCSTR name)
{
    if (module == nullptr)
    {
        lastError = ERROR_INVALID_HANDLE;
        return nullptr;
    }

    // Windows takes a value below 0x10000 as an ordinal, which a shared object does not have.
    if (reinterpret_cast<std::uintptr_t> (name) < 0x10000)
    {
        lastError = ERROR_PROC_NOT_FOUND;
        return nullptr;
    }

    ::dlerror();
    auto* symbol = ::dlsym (module, name);

    if (symbol == nullptr)
    {
        lastError = ERROR_PROC_NOT_FOUND;
        return nullptr;
    }

    lastError = ERROR_SUCCESS;
    return reinterpret_cast<FARPROC> (symbol);
}

BOOL FreeLibrary (HMODULE module)
{
    if (module == nullptr || ::dlclose (module) != 0)
    {
        lastError = ERROR_INVALID_HANDLE;
        return 0;
    }

    return 1;
}

DWORD GetLastError()
{
    return lastError;
}

void SetLastError (DWORD code)
{
    lastError = code;
}
} // namespace win
#endif
