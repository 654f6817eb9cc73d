#pragma once

// Writes registry keys and values for tests, where the registry functions of this layer will find
// them below HKEY_CLASSES_ROOT. Elsewhere than on Windows it rewrites the registry file. On Windows
// the first fixture of a process gives the process a private HKEY_CLASSES_ROOT (a volatile key
// below HKEY_CURRENT_USER\Software\Kelvaro\TestRegistry, removed at exit), so that parallel test
// processes never see each other's keys; a fixture undoes its changes when it is cleared or
// destroyed: keys it created are deleted, values it overwrote in keys that already existed are
// restored.
//
// Key paths are relative to HKEY_CLASSES_ROOT, with backslashes: "CLSID\{...}\InprocServer32".
// Names are UTF-8; an empty value name is the key's default value.

#include "platform/WinTypes.h"

#include <string>
#include <vector>

namespace win
{
class RegistryFixture
{
public:
    RegistryFixture();
    ~RegistryFixture();

    RegistryFixture (const RegistryFixture&) = delete;
    RegistryFixture& operator= (const RegistryFixture&) = delete;

    bool createKey (const std::string& keyPath);
    bool setValue (const std::string& keyPath, const std::string& valueName, DWORD type, const std::vector<BYTE>& data);

    /** The text as UTF-16LE with a terminating NUL, as regedit stores a string. */
    bool setString (const std::string& keyPath, const std::string& valueName, const std::string& text,
                    DWORD type = REG_SZ);

    /** Removes the key with its subkeys. On Windows only keys that this fixture created. */
    bool removeKey (const std::string& keyPath);

    /** Removes everything this fixture wrote (here: the whole registry file). */
    bool clear();

    /** Replaces the registry file with the given bytes, to test what the layer makes of any
        content. False where the registry is not a file (Windows). */
    bool writeFileText (const std::string& text);

private:
   #ifdef _WIN32
    struct SavedValue
    {
        std::string keyPath, valueName;
        bool existed = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };

    std::vector<std::string> createdKeys;
    std::vector<SavedValue> savedValues;

    bool isCreatedHere (const std::string& keyPath) const;
   #endif
};
} // namespace win
