#include "platform/WinRegistry.h"

#include "platform/LayerHost.h"

#ifdef _WIN32
namespace
{
// Our root constant, captured before <windows.h> turns its name into a macro.
bool isClassesRoot (win::HKEY key) noexcept { return key == win::HKEY_CLASSES_ROOT; }
} // namespace

 #include <windows.h>

static_assert (sizeof (wchar_t) == sizeof (win::WCHAR), "a wide character is one UTF-16 unit");

namespace
{
::HKEY toNative (win::HKEY key) noexcept
{
    return isClassesRoot (key) ? HKEY_CLASSES_ROOT : reinterpret_cast<::HKEY> (key);
}
} // namespace

namespace win
{
LONG RegOpenKeyExW (HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, HKEY* result)
{
    ::HKEY opened = nullptr;
    const auto status = static_cast<LONG> (::RegOpenKeyExW (toNative (key), reinterpret_cast<const wchar_t*> (subKey),
                                                            options, desired, result != nullptr ? &opened : nullptr));
    if (result != nullptr)
        *result = reinterpret_cast<HKEY> (opened);

    LayerHost::registryKeyOpened (key, subKey, status, reinterpret_cast<HKEY> (opened));
    return status;
}

LONG RegQueryValueExW (HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize)
{
    // Windows' DWORD is unsigned long: go through variables of its own type.
    ::DWORD nativeType = 0;
    ::DWORD nativeSize = dataSize != nullptr ? *dataSize : 0;
    ::DWORD nativeReserved = reserved != nullptr ? *reserved : 0;

    const auto status = ::RegQueryValueExW (toNative (key), reinterpret_cast<const wchar_t*> (valueName),
                                            reserved != nullptr ? &nativeReserved : nullptr,
                                            type != nullptr ? &nativeType : nullptr, data,
                                            dataSize != nullptr ? &nativeSize : nullptr);
    if (type != nullptr)
        *type = static_cast<DWORD> (nativeType);

    if (dataSize != nullptr)
        *dataSize = static_cast<DWORD> (nativeSize);

    return static_cast<LONG> (status);
}

LONG RegCloseKey (HKEY key)
{
    const auto status = static_cast<LONG> (::RegCloseKey (toNative (key)));
    LayerHost::registryKeyClosed (key, status);
    return status;
}
} // namespace win

#else // our registry, read from a registry file

 #include "platform/RegistryFile.h"
 #include "platform/WideText.h"
 #include "platform/WinDebug.h"

 #include <cstring>
 #include <memory>
 #include <mutex>
 #include <unordered_set>

namespace win
{
// An open key: its path and a copy of its values, taken when it was opened.
struct HKEY__
{
    RegistryFile::Key key;
};

namespace
{
constexpr std::string_view classesRootName = "HKEY_CLASSES_ROOT";

// The keys handed out and not yet closed, so that a stale or foreign handle is refused rather
// than followed.
class OpenKeys
{
public:
    static OpenKeys& get()
    {
        static OpenKeys instance;
        return instance;
    }

    void add (HKEY key)
    {
        const std::lock_guard<std::mutex> lock (mutex);
        keys.insert (key);
    }

    bool remove (HKEY key)
    {
        const std::lock_guard<std::mutex> lock (mutex);
        return keys.erase (key) > 0;
    }

    // A copy of what an open key holds (of the root: its path only); false for an unknown handle.
    bool lookUp (HKEY key, RegistryFile::Key& copy)
    {
        if (key == HKEY_CLASSES_ROOT)
        {
            copy = { std::string (classesRootName), {} };
            return true;
        }

        const std::lock_guard<std::mutex> lock (mutex);

        if (keys.count (key) == 0)
            return false;

        copy = key->key;
        return true;
    }

private:
    std::mutex mutex;
    std::unordered_set<HKEY> keys;
};

// The registry file as it is now; nothing is cached, so a rewritten file takes effect at once.
LONG readRegistry (RegistryFile& registry)
{
    switch (registry.load (RegistryFile::defaultPath()))
    {
        case RegistryFile::LoadResult::loaded:
        case RegistryFile::LoadResult::missing:
            return static_cast<LONG> (ERROR_SUCCESS);

        case RegistryFile::LoadResult::unreadable:
            OutputDebugStringA (("Registry file: " + registry.getError() + "\n").c_str());
            return static_cast<LONG> (ERROR_ACCESS_DENIED);

        case RegistryFile::LoadResult::malformed:
            break;
    }

    OutputDebugStringA (("Registry file: " + registry.getError() + "\n").c_str());
    return static_cast<LONG> (ERROR_INVALID_DATA);
}

// "a\b" below parent; false for empty names ("a\\b", "\a").
bool appendSubKey (std::string& path, LPCWSTR subKey)
{
    std::string_view relative;
    const auto utf8 = WideText::toUtf8 (subKey);
    relative = utf8;

    if (! relative.empty() && relative.back() == '\\')
        relative.remove_suffix (1);

    if (relative.empty())
        return true;

    if (relative.front() == '\\' || relative.find ("\\\\") != std::string_view::npos)
        return false;

    path += '\\';
    path += relative;
    return true;
}
} // namespace

namespace
{
LONG openKey (HKEY key, LPCWSTR subKey, HKEY* result)
{
    if (result == nullptr)
        return static_cast<LONG> (ERROR_INVALID_PARAMETER);

    *result = nullptr;
    RegistryFile::Key parent;

    if (! OpenKeys::get().lookUp (key, parent))
        return static_cast<LONG> (ERROR_INVALID_HANDLE);

    auto path = parent.path;

    if (! appendSubKey (path, subKey))
        return static_cast<LONG> (ERROR_FILE_NOT_FOUND);

    RegistryFile registry;

    if (const auto status = readRegistry (registry); status != static_cast<LONG> (ERROR_SUCCESS))
        return status;

    if (! registry.hasKey (path) && ! WideText::equalsIgnoringCase (path, classesRootName))
        return static_cast<LONG> (ERROR_FILE_NOT_FOUND);

    auto opened = std::make_unique<HKEY__>();
    opened->key.path = path;

    if (const auto* listed = registry.findKey (path))
        opened->key.values = listed->values;

    *result = opened.release();
    OpenKeys::get().add (*result);
    return static_cast<LONG> (ERROR_SUCCESS);
}

LONG closeKey (HKEY key)
{
    if (key == HKEY_CLASSES_ROOT)
        return static_cast<LONG> (ERROR_SUCCESS);

    if (! OpenKeys::get().remove (key))
        return static_cast<LONG> (ERROR_INVALID_HANDLE);

    delete key;
    return static_cast<LONG> (ERROR_SUCCESS);
}
} // namespace

LONG RegOpenKeyExW (HKEY key, LPCWSTR subKey, DWORD, REGSAM, HKEY* result)
{
    const auto status = openKey (key, subKey, result);
    LayerHost::registryKeyOpened (key, subKey, status, result != nullptr ? *result : nullptr);
    return status;
}

LONG RegQueryValueExW (HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize)
{
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr))
        return static_cast<LONG> (ERROR_INVALID_PARAMETER);

    RegistryFile::Key opened;

    if (! OpenKeys::get().lookUp (key, opened))
        return static_cast<LONG> (ERROR_INVALID_HANDLE);

    if (key == HKEY_CLASSES_ROOT)
    {
        // The root is never opened, so its values are read now.
        RegistryFile registry;

        if (const auto status = readRegistry (registry); status != static_cast<LONG> (ERROR_SUCCESS))
            return status;

        if (const auto* root = registry.findKey (opened.path))
            opened.values = root->values;
    }

    const auto* found = RegistryFile::findValue (opened, WideText::toUtf8 (valueName));

    if (found == nullptr)
        return static_cast<LONG> (ERROR_FILE_NOT_FOUND);

    const auto size = static_cast<DWORD> (found->data.size());

    if (type != nullptr)
        *type = found->type;

    if (data != nullptr && *dataSize < size)
    {
        *dataSize = size;
        return static_cast<LONG> (ERROR_MORE_DATA);
    }

    if (data != nullptr && size > 0)
        std::memcpy (data, found->data.data(), size);

    if (dataSize != nullptr)
        *dataSize = size;

    return static_cast<LONG> (ERROR_SUCCESS);
}

LONG RegCloseKey (HKEY key)
{
    const auto status = closeKey (key);
    LayerHost::registryKeyClosed (key, status);
    return status;
}
} // namespace win
#endif
