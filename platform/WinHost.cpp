#include "platform/WinHost.h"

#ifdef _WIN32
 #include "platform/WideText.h"

 #include <cstdlib>
 #include <filesystem>
 #include <windows.h>
 #include <shlobj.h>

namespace win
{
bool isRunningUnderWine()
{
    const auto ntdll = ::GetModuleHandleA ("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress (ntdll, "wine_get_version") != nullptr;
}

bool setEnvironmentVariable (const char* name, const char* value)
{
    // _putenv_s updates the C runtime's copy and the process environment block alike, but takes
    // an empty value for a removal: the block then gets the empty value on its own.
    if (name == nullptr || ::_putenv_s (name, value != nullptr ? value : "") != 0)
        return false;

    return value == nullptr || *value != 0 || ::SetEnvironmentVariableA (name, "") != 0;
}

bool getEnvironmentVariable (const char* name, std::string& value)
{
    if (name == nullptr)
        return false;

    ::SetLastError (ERROR_SUCCESS);
    const auto size = ::GetEnvironmentVariableA (name, nullptr, 0);

    if (size == 0)
    {
        value.clear();
        return ::GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    }

    std::string buffer (size, '\0');
    const auto length = ::GetEnvironmentVariableA (name, buffer.data(), size);
    value.assign (buffer.data(), length < size ? length : 0);
    return true;
}

std::string useOwnWineUserProfile (const std::string& name)
{
    // Wine derives the profile folder from WINEUSERNAME, read afresh at every look-up.
    if (name.empty() || ! isRunningUnderWine() || ! setEnvironmentVariable ("WINEUSERNAME", name.c_str()))
        return {};

    wchar_t path[MAX_PATH] = {};

    // A folder of the same name is what a crashed earlier process left behind: start afresh.
    // Only a folder of exactly that name, never the prefix's real profile.
    if (SUCCEEDED (::SHGetFolderPathW (nullptr, CSIDL_PROFILE | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, path)))
    {
        const std::filesystem::path profile (path);
        std::error_code error;

        if (profile.filename().u8string() == name)
            std::filesystem::remove_all (profile, error);
    }

    for (const auto folder : { CSIDL_APPDATA, CSIDL_LOCAL_APPDATA })
        if (FAILED (::SHGetFolderPathW (nullptr, folder | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
            return {};

    if (FAILED (::SHGetFolderPathW (nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};

    return WideText::toUtf8 (std::u16string_view (reinterpret_cast<const char16_t*> (path)));
}
} // namespace win

#else
 #include <cstdlib>

namespace win
{
bool isRunningUnderWine()
{
    return false;
}

bool setEnvironmentVariable (const char* name, const char* value)
{
    if (name == nullptr)
        return false;

    return (value != nullptr ? ::setenv (name, value, 1) : ::unsetenv (name)) == 0;
}

bool getEnvironmentVariable (const char* name, std::string& value)
{
    const char* text = name != nullptr ? std::getenv (name) : nullptr;

    if (text == nullptr)
        return false;

    value = text;
    return true;
}

std::string useOwnWineUserProfile (const std::string&)
{
    return {};
}
} // namespace win
#endif
