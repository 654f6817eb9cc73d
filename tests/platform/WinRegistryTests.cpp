#include "support/platform/RegistryFixture.h"
#include "platform/WideText.h"
#include "platform/WinHost.h"
#include "platform/WinRegistry.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

using namespace win;

namespace
{
const std::string serverKey = "CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}\\InprocServer32";

// Opens a key below HKEY_CLASSES_ROOT as the driver loader does: one level at a time.
LONG openPath (std::initializer_list<const char16_t*> names, HKEY& key)
{
    key = HKEY_CLASSES_ROOT;

    for (const auto* name : names)
    {
        HKEY next = nullptr;
        const auto status = RegOpenKeyExW (key, name, 0, KEY_READ, &next);
        RegCloseKey (key);

        if (status != 0)
            return status;

        key = next;
    }

    return 0;
}

std::vector<BYTE> query (HKEY key, const char16_t* name, DWORD& type, LONG& status)
{
    DWORD size = 0;
    status = RegQueryValueExW (key, name, nullptr, &type, nullptr, &size);
    std::vector<BYTE> data (size);
    status = status != 0 ? status : RegQueryValueExW (key, name, nullptr, &type, data.data(), &size);
    data.resize (size);
    return data;
}
} // namespace

TEST (WinRegistryTests, OpensKeysLevelByLevelIgnoringCase)
{
    RegistryFixture registry;
    ASSERT_TRUE (registry.setString (serverKey, "", "/opt/vantiq/libapi.so"));
    ASSERT_TRUE (registry.setString (serverKey, "ThreadingModel", "Both"));

    HKEY key = nullptr;
    ASSERT_EQ (openPath ({ u"clsid", u"{5b8c2d71-4e96-4a3f-b1d2-7e0c9a46f385}", u"INPROCSERVER32" }, key), 0);

    DWORD type = 0;
    LONG status = -1;
    EXPECT_EQ (query (key, nullptr, type, status), win::WideText::toRegistryBytes (u"/opt/vantiq/libapi.so"));
    EXPECT_EQ (status, 0);
    EXPECT_EQ (type, REG_SZ);
    EXPECT_EQ (query (key, u"", type, status), win::WideText::toRegistryBytes (u"/opt/vantiq/libapi.so"));
    EXPECT_EQ (query (key, u"threadingmodel", type, status), win::WideText::toRegistryBytes (u"Both"));
    EXPECT_EQ (status, 0);

    // A path of several names at once works as well.
    HKEY direct = nullptr;
    EXPECT_EQ (RegOpenKeyExW (HKEY_CLASSES_ROOT, u"CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}\\InprocServer32", 0,
                              KEY_READ, &direct), 0);
    EXPECT_EQ (RegCloseKey (direct), 0);
    EXPECT_EQ (RegCloseKey (key), 0);
}

TEST (WinRegistryTests, ReportsMissingKeysAndValuesAsFileNotFound)
{
    RegistryFixture registry;
    HKEY key = reinterpret_cast<HKEY> (&registry);

    // No registry file at all.
    EXPECT_EQ (RegOpenKeyExW (HKEY_CLASSES_ROOT, u"CLSID", 0, KEY_READ, &key), 2);
    EXPECT_EQ (key, nullptr);

    ASSERT_TRUE (registry.createKey (serverKey));
    EXPECT_EQ (openPath ({ u"CLSID", u"{00000000-0000-0000-0000-000000000000}" }, key), 2);
    EXPECT_EQ (openPath ({ u"CLSID", u"{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}", u"InprocServer32", u"x" }, key), 2);
    EXPECT_EQ (RegOpenKeyExW (HKEY_CLASSES_ROOT, u"CLSID\\\\x", 0, KEY_READ, &key), 2);

    ASSERT_EQ (openPath ({ u"CLSID", u"{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}", u"InprocServer32" }, key), 0);
    DWORD size = 520;
    std::array<BYTE, 520> buffer {};
    EXPECT_EQ (RegQueryValueExW (key, nullptr, nullptr, nullptr, buffer.data(), &size), 2);
    EXPECT_EQ (RegQueryValueExW (key, u"Other", nullptr, nullptr, nullptr, &size), 2);
    EXPECT_EQ (RegCloseKey (key), 0);

    ASSERT_TRUE (registry.removeKey ("CLSID"));
    EXPECT_EQ (RegOpenKeyExW (HKEY_CLASSES_ROOT, u"CLSID", 0, KEY_READ, &key), 2);
}

TEST (WinRegistryTests, AsksForMoreRoomWithTheNeededSize)
{
    RegistryFixture registry;
    ASSERT_TRUE (registry.setString (serverKey, "", std::string (300, 'a')));   // 602 bytes

    HKEY key = nullptr;
    ASSERT_EQ (RegOpenKeyExW (HKEY_CLASSES_ROOT, u"CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}\\InprocServer32", 0,
                              KEY_READ, &key), 0);

    std::array<BYTE, 520> buffer {};
    DWORD size = 520;
    DWORD type = 0;
    EXPECT_EQ (RegQueryValueExW (key, nullptr, nullptr, &type, buffer.data(), &size), 234);
    EXPECT_EQ (size, 602u);

    size = 0;
    EXPECT_EQ (RegQueryValueExW (key, nullptr, nullptr, nullptr, nullptr, &size), 0);
    EXPECT_EQ (size, 602u);

    std::vector<BYTE> exact (602);
    EXPECT_EQ (RegQueryValueExW (key, nullptr, nullptr, &type, exact.data(), &size), 0);
    EXPECT_EQ (exact, win::WideText::toRegistryBytes (std::u16string (300, u'a')));
    EXPECT_EQ (RegCloseKey (key), 0);
}

TEST (WinRegistryTests, ReturnsStoredBytesExactly)
{
    RegistryFixture registry;

    if (isWindowsBuild)
    {
        // The same values written to Windows' registry.
        ASSERT_TRUE (registry.setValue ("Kelvaro.Test", "", REG_SZ, { 0x2F, 0, 0x61, 0 }));
        ASSERT_TRUE (registry.setString ("Kelvaro.Test", "Expand", "%HOME%/x", REG_EXPAND_SZ));
        ASSERT_TRUE (registry.setValue ("Kelvaro.Test", "Count", REG_DWORD, { 0xCD, 0xAB, 0, 0 }));
        ASSERT_TRUE (registry.setValue ("Kelvaro.Test", "Quad", REG_QWORD, { 1, 2, 3, 4, 5, 6, 7, 8 }));
        ASSERT_TRUE (registry.setString ("Kelvaro.Test", "Escaped", "a\\b\"c"));
    }
    else
    {
        ASSERT_TRUE (registry.writeFileText ("Windows Registry Editor Version 5.00\r\n\r\n"
                                             "[HKEY_CLASSES_ROOT\\Kelvaro.Test]\r\n"
                                             "@=hex(1):2f,00,61,00\r\n"
                                             "\"Expand\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,2f,00,\\\r\n"
                                             "  78,00,00,00\r\n"
                                             "\"Count\"=dword:0000abcd\r\n"
                                             "\"Quad\"=hex(b):01,02,03,04,05,06,07,08\r\n"
                                             "\"Escaped\"=\"a\\\\b\\\"c\"\r\n"));
    }
    HKEY key = nullptr;
    ASSERT_EQ (RegOpenKeyExW (HKEY_CLASSES_ROOT, u"Kelvaro.Test", 0, KEY_READ, &key), 0);

    // No terminating NUL stored, none returned here: the bytes after the value stay as they were.
    // Windows adds one when the buffer has room for it, and counts it.
    std::array<BYTE, 8> buffer;
    buffer.fill (0xCC);
    DWORD size = 8;
    DWORD type = 0;
    EXPECT_EQ (RegQueryValueExW (key, nullptr, nullptr, &type, buffer.data(), &size), 0);
    EXPECT_EQ (type, REG_SZ);

    if (isWindowsBuild)
    {
        EXPECT_EQ (size, 6u);
        EXPECT_EQ (buffer, (std::array<BYTE, 8> { 0x2F, 0, 0x61, 0, 0, 0, 0xCC, 0xCC }));
    }
    else
    {
        EXPECT_EQ (size, 4u);
        EXPECT_EQ (buffer, (std::array<BYTE, 8> { 0x2F, 0, 0x61, 0, 0xCC, 0xCC, 0xCC, 0xCC }));
    }

    LONG status = -1;
    EXPECT_EQ (query (key, u"Expand", type, status), win::WideText::toRegistryBytes (u"%HOME%/x"));   // not expanded
    EXPECT_EQ (type, REG_EXPAND_SZ);
    EXPECT_EQ (query (key, u"Count", type, status), (std::vector<BYTE> { 0xCD, 0xAB, 0, 0 }));
    EXPECT_EQ (type, REG_DWORD);
    EXPECT_EQ (query (key, u"Quad", type, status), (std::vector<BYTE> { 1, 2, 3, 4, 5, 6, 7, 8 }));
    EXPECT_EQ (type, REG_QWORD);
    EXPECT_EQ (query (key, u"Escaped", type, status), win::WideText::toRegistryBytes (u"a\\b\"c"));
    EXPECT_EQ (RegCloseKey (key), 0);
}

TEST (WinRegistryTests, ReadsTheFileAgainOnEveryOpen)
{
    RegistryFixture registry;
    ASSERT_TRUE (registry.setString ("Kelvaro.Test", "", "first"));

    HKEY before = nullptr;
    ASSERT_EQ (RegOpenKeyExW (HKEY_CLASSES_ROOT, u"Kelvaro.Test", 0, KEY_READ, &before), 0);
    ASSERT_TRUE (registry.setString ("Kelvaro.Test", "", "second"));

    HKEY after = nullptr;
    ASSERT_EQ (RegOpenKeyExW (HKEY_CLASSES_ROOT, u"Kelvaro.Test", 0, KEY_READ, &after), 0);

    DWORD type = 0;
    LONG status = -1;
    EXPECT_EQ (query (after, nullptr, type, status), win::WideText::toRegistryBytes (u"second"));

    // Here an open key is a snapshot taken when it was opened; Windows' keys are live.
    EXPECT_EQ (query (before, nullptr, type, status), win::WideText::toRegistryBytes (isWindowsBuild ? u"second" : u"first"));
    EXPECT_EQ (RegCloseKey (before), 0);
    EXPECT_EQ (RegCloseKey (after), 0);
}

TEST (WinRegistryTests, FailsClearlyOnMalformedOrBinaryFiles)
{
    if (isWindowsBuild)
        GTEST_SKIP() << "Windows' registry is no file that could be malformed";

    RegistryFixture registry;
    HKEY key = nullptr;

    ASSERT_TRUE (registry.writeFileText ("Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\CLSID]\n@=broken\n"));
    EXPECT_EQ (RegOpenKeyExW (HKEY_CLASSES_ROOT, u"CLSID", 0, KEY_READ, &key), static_cast<LONG> (ERROR_INVALID_DATA));
    EXPECT_EQ (key, nullptr);

    std::mt19937 random (1234);
    std::string noise (1 << 16, '\0');

    for (auto& c : noise)
        c = static_cast<char> (random());

    ASSERT_TRUE (registry.writeFileText (noise));
    EXPECT_EQ (RegOpenKeyExW (HKEY_CLASSES_ROOT, u"CLSID", 0, KEY_READ, &key), static_cast<LONG> (ERROR_INVALID_DATA));

    // The header followed by noise: still only a failure.
    ASSERT_TRUE (registry.writeFileText ("Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\CLSID]\n" + noise));
    EXPECT_EQ (RegOpenKeyExW (HKEY_CLASSES_ROOT, u"CLSID", 0, KEY_READ, &key), static_cast<LONG> (ERROR_INVALID_DATA));
}

TEST (WinRegistryTests, ClosesKeysOnceAndRefusesUnknownHandles)
{
    RegistryFixture registry;
    ASSERT_TRUE (registry.setString ("Kelvaro.Test", "", "x"));

    HKEY key = nullptr;
    ASSERT_EQ (RegOpenKeyExW (HKEY_CLASSES_ROOT, u"Kelvaro.Test", 0, KEY_READ, &key), 0);
    EXPECT_EQ (RegCloseKey (key), 0);
    EXPECT_EQ (RegCloseKey (key), static_cast<LONG> (ERROR_INVALID_HANDLE));
    EXPECT_EQ (RegCloseKey (HKEY_CLASSES_ROOT), 0);

    DWORD size = 0;
    EXPECT_EQ (RegQueryValueExW (key, nullptr, nullptr, nullptr, nullptr, &size), static_cast<LONG> (ERROR_INVALID_HANDLE));
    EXPECT_EQ (RegOpenKeyExW (key, u"x", 0, KEY_READ, &key), static_cast<LONG> (ERROR_INVALID_HANDLE));
    EXPECT_EQ (RegOpenKeyExW (HKEY_CLASSES_ROOT, u"Kelvaro.Test", 0, KEY_READ, nullptr),
               static_cast<LONG> (ERROR_INVALID_PARAMETER));
}
