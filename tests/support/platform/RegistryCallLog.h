#pragma once

// A log of the registry keys that this process opens and closes through the stand-in layer, for
// tests of the order of those calls. It records while it exists; one log at a time.
//
//     win::RegistryCallLog log;
//     api.LoadFromRegistry();
//     EXPECT_EQ (log.entries(), (std::vector<std::string> { "open HKEY_CLASSES_ROOT\\CLSID", ... }));
//
// Entries: "open <path>" for a key opened, "open <path> failed <status>" for an open that failed,
// "close <path>" for a key closed ("close <path> failed <status>" when the call failed). Paths
// begin with "HKEY_CLASSES_ROOT"; a key that was not opened while the log existed is "?".

#include "platform/WinTypes.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace win
{
class RegistryCallLog
{
public:
    RegistryCallLog();
    ~RegistryCallLog();

    RegistryCallLog (const RegistryCallLog&) = delete;
    RegistryCallLog& operator= (const RegistryCallLog&) = delete;

    std::vector<std::string> entries() const;

    /** Where the stand-in layer reports its calls to (tests/support/platform/TestLayerHost.cpp). */
    static void keyOpened (HKEY parent, LPCWSTR subKey, LONG status, HKEY opened);
    static void keyClosed (HKEY key, LONG status);

private:
    std::string pathOf (HKEY key) const;
    void add (std::string entry);

    mutable std::mutex lock;
    std::map<HKEY, std::string> openKeys;
    std::vector<std::string> log;
};
} // namespace win
