#include "support/platform/WineUserProfile.h"

#ifdef _WIN32
 #include "platform/WideText.h"
 #include "platform/WinHost.h"
 #include "support/platform/TestEnvironment.h"

 #include <filesystem>
 #include <windows.h>
 #include <shlobj.h>

namespace win
{
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

namespace win
{
std::string useOwnWineUserProfile (const std::string&)
{
    return {};
}
} // namespace win
#endif
