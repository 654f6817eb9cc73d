#include "support/platform/RegistryFixture.h"
#include "platform/WideText.h"

namespace win
{
RegistryFixture::~RegistryFixture()
{
    clear();
}

bool RegistryFixture::setString (const std::string& keyPath, const std::string& valueName, const std::string& text,
                                 DWORD type)
{
    std::u16string units;

    if (! WideText::fromUtf8 (text, units))
        return false;

    return setValue (keyPath, valueName, type, WideText::toRegistryBytes (units));
}
} // namespace win

#ifdef _WIN32
 #include <windows.h>

// Windows' own names, resolved here at global scope: inside namespace win the macros would pick
// up our types.
namespace
{
constexpr ::LONG nativeSuccess = ERROR_SUCCESS;

// The registry of a test process: a volatile key of its own below HKEY_CURRENT_USER, which the
// process sees as HKEY_CLASSES_ROOT from the first fixture on. Parallel test processes share one
// registry (Wine's HKEY_CLASSES_ROOT does not even show HKEY_CURRENT_USER\Software\Classes), and
// a crashed test leaves nothing behind once the registry is unloaded.
class PrivateClassesRoot
{
public:
    PrivateClassesRoot()
    {
        path = L"Software\\Kelvaro\\TestRegistry\\" + std::to_wstring (::GetCurrentProcessId()) + L"-"
             + std::to_wstring (::GetTickCount64());
        ::HKEY parent = nullptr;

        if (::RegCreateKeyExW (HKEY_CURRENT_USER, L"Software\\Kelvaro\\TestRegistry", 0, nullptr, 0,
                               KEY_CREATE_SUB_KEY, nullptr, &parent, nullptr) == nativeSuccess)
            ::RegCloseKey (parent);

        if (::RegCreateKeyExW (HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                               nullptr, &root, nullptr) == nativeSuccess)
            ::RegOverridePredefKey (HKEY_CLASSES_ROOT, root);
        else
            root = nullptr;
    }

    ~PrivateClassesRoot()
    {
        if (root == nullptr)
            return;

        ::RegOverridePredefKey (HKEY_CLASSES_ROOT, nullptr);
        ::RegCloseKey (root);
        ::RegDeleteTreeW (HKEY_CURRENT_USER, path.c_str());
    }

    bool isReady() const noexcept { return root != nullptr; }

private:
    std::wstring path;
    ::HKEY root = nullptr;
};

bool usePrivateClassesRoot()
{
    static const PrivateClassesRoot classesRoot;
    return classesRoot.isReady();
}

::HKEY classesRoot() noexcept { return HKEY_CLASSES_ROOT; }

std::wstring wide (const std::string& utf8)
{
    std::u16string units;
    win::WideText::fromUtf8 (utf8, units);
    return std::wstring (units.begin(), units.end());
}

std::wstring classesPath (const std::string& keyPath)
{
    return wide (keyPath);
}

bool isSameOrBelow (const std::string& path, const std::string& ancestor)
{
    return path.size() >= ancestor.size()
        && win::WideText::equalsIgnoringCase (std::string_view (path).substr (0, ancestor.size()), ancestor)
        && (path.size() == ancestor.size() || path[ancestor.size()] == '\\');
}
} // namespace

namespace win
{
RegistryFixture::RegistryFixture()
{
    usePrivateClassesRoot();
}

bool RegistryFixture::isCreatedHere (const std::string& keyPath) const
{
    for (const auto& created : createdKeys)
        if (isSameOrBelow (keyPath, created))
            return true;

    return false;
}

bool RegistryFixture::createKey (const std::string& keyPath)
{
    // Key by key, so that the outermost key that did not exist yet is known and can be deleted.
    for (std::size_t end = 0; end != std::string::npos;)
    {
        end = keyPath.find ('\\', end + 1);
        const auto partial = keyPath.substr (0, end);
        ::HKEY key = nullptr;
        ::DWORD disposition = 0;

        if (! usePrivateClassesRoot()
            || ::RegCreateKeyExW (classesRoot(), classesPath (partial).c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_QUERY_VALUE, nullptr, &key, &disposition) != nativeSuccess)
            return false;

        ::RegCloseKey (key);

        if (disposition == REG_CREATED_NEW_KEY && ! isCreatedHere (partial))
            createdKeys.push_back (partial);
    }

    return true;
}

bool RegistryFixture::setValue (const std::string& keyPath, const std::string& valueName, DWORD type,
                                const std::vector<BYTE>& data)
{
    if (! createKey (keyPath))
        return false;

    ::HKEY key = nullptr;

    if (::RegOpenKeyExW (classesRoot(), classesPath (keyPath).c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key)
        != nativeSuccess)
        return false;

    const auto name = wide (valueName);
    bool saved = isCreatedHere (keyPath);

    for (const auto& value : savedValues)
        saved = saved || (WideText::equalsIgnoringCase (value.keyPath, keyPath)
                          && WideText::equalsIgnoringCase (value.valueName, valueName));

    if (! saved)
    {
        SavedValue old { keyPath, valueName, false, 0, {} };
        ::DWORD oldType = 0, oldSize = 0;

        if (::RegQueryValueExW (key, name.c_str(), nullptr, &oldType, nullptr, &oldSize) == nativeSuccess)
        {
            old.data.resize (oldSize);

            if (::RegQueryValueExW (key, name.c_str(), nullptr, &oldType, old.data.data(), &oldSize) == nativeSuccess)
            {
                old.existed = true;
                old.type = static_cast<DWORD> (oldType);
                old.data.resize (oldSize);
            }
        }

        savedValues.push_back (std::move (old));
    }

    const auto status = ::RegSetValueExW (key, name.c_str(), 0, static_cast<::DWORD> (type), data.data(),
                                          static_cast<::DWORD> (data.size()));
    ::RegCloseKey (key);
    return status == nativeSuccess;
}

bool RegistryFixture::removeKey (const std::string& keyPath)
{
    if (! isCreatedHere (keyPath))
        return false;

    if (::RegDeleteTreeW (classesRoot(), classesPath (keyPath).c_str()) != nativeSuccess)
        return false;

    for (auto it = createdKeys.begin(); it != createdKeys.end();)
        it = isSameOrBelow (*it, keyPath) ? createdKeys.erase (it) : it + 1;

    return true;
}

bool RegistryFixture::clear()
{
    bool ok = true;

    for (auto it = savedValues.rbegin(); it != savedValues.rend(); ++it)
    {
        ::HKEY key = nullptr;

        if (::RegOpenKeyExW (classesRoot(), classesPath (it->keyPath).c_str(), 0, KEY_SET_VALUE, &key)
            != nativeSuccess)
            continue;

        const auto name = wide (it->valueName);

        if (it->existed)
            ok = ::RegSetValueExW (key, name.c_str(), 0, static_cast<::DWORD> (it->type), it->data.data(),
                                   static_cast<::DWORD> (it->data.size())) == nativeSuccess && ok;
        else
            ::RegDeleteValueW (key, name.c_str());

        ::RegCloseKey (key);
    }

    savedValues.clear();

    for (const auto& created : createdKeys)
        ok = ::RegDeleteTreeW (classesRoot(), classesPath (created).c_str()) == nativeSuccess && ok;

    createdKeys.clear();
    return ok;
}

bool RegistryFixture::writeFileText (const std::string&)
{
    return false;
}
} // namespace win

#else // the registry file

 #include "platform/RegistryFile.h"
 #include "support/platform/RegistryFileWriter.h"

 #include <cstdio>
 #include <filesystem>
 #include <functional>

namespace win
{
namespace
{
std::string fullPath (const std::string& keyPath)
{
    auto relative = std::string_view (keyPath);

    while (! relative.empty() && relative.front() == '\\')
        relative.remove_prefix (1);

    return relative.empty() ? std::string ("HKEY_CLASSES_ROOT") : "HKEY_CLASSES_ROOT\\" + std::string (relative);
}

bool makeFolderFor (const std::string& file)
{
    std::error_code error;
    std::filesystem::create_directories (std::filesystem::path (file).parent_path(), error);
    return ! error;
}

// Reads the file (starting afresh when it is missing or malformed), changes it and writes it back.
bool modifyRegistry (const std::function<void (RegistryFile&)>& change)
{
    const auto path = RegistryFile::defaultPath();

    if (path.empty() || ! makeFolderFor (path))
        return false;

    RegistryFile registry;

    if (registry.load (path) != RegistryFile::LoadResult::loaded)
        registry = RegistryFile();

    change (registry);
    return RegistryFileWriter::save (registry, path);
}
} // namespace

RegistryFixture::RegistryFixture() = default;

bool RegistryFixture::createKey (const std::string& keyPath)
{
    return modifyRegistry ([&] (RegistryFile& registry) { registry.createKey (fullPath (keyPath)); });
}

bool RegistryFixture::setValue (const std::string& keyPath, const std::string& valueName, DWORD type,
                                const std::vector<BYTE>& data)
{
    return modifyRegistry ([&] (RegistryFile& registry) { registry.setValue (fullPath (keyPath), valueName, type, data); });
}

bool RegistryFixture::removeKey (const std::string& keyPath)
{
    return modifyRegistry ([&] (RegistryFile& registry) { registry.removeKey (fullPath (keyPath)); });
}

bool RegistryFixture::clear()
{
    const auto path = RegistryFile::defaultPath();
    std::error_code error;
    std::filesystem::remove (path, error);
    return ! path.empty() && ! error;
}

bool RegistryFixture::writeFileText (const std::string& text)
{
    const auto path = RegistryFile::defaultPath();

    if (path.empty() || ! makeFolderFor (path))
        return false;

    std::FILE* file = std::fopen (path.c_str(), "wb");

    if (file == nullptr)
        return false;

    const bool written = std::fwrite (text.data(), 1, text.size(), file) == text.size();
    return std::fclose (file) == 0 && written;
}
} // namespace win
#endif
