#include "driver/TUsbAudioApiDll.h"
#include "platform/WinHost.h"
#include "platform/WinModules.h"
#include "support/platform/RegistryCallLog.h"
#include "support/platform/RegistryFixture.h"

#include <gtest/gtest.h>

#include <juce_core/juce_core.h>

#include <string>
#include <vector>

namespace
{
std::u16string widen (const std::string& text)
{
    return { text.begin(), text.end() };
}

TUsbAudioStatus load (TUsbAudioApiDll& dll, const char* path)
{
    const auto wide = widen (path);
    return dll.LoadDll (wide.c_str());
}

bool allLaterGroupsUnbound (const TUsbAudioApiDll& dll)
{
    return dll.TUSBAUDIO_EnumerateDevices == nullptr && dll.TUSBAUDIO_GetDspProperty == nullptr
        && dll.TUSBAUDIO_SetDspProperty == nullptr && dll.TUSBAUDIO_StatusCodeStringA == nullptr
        && dll.TUSBAUDIO_SetPreferredASIODevice == nullptr && dll.TUSBAUDIO_GetASIORelation == nullptr
        && dll.TUSBAUDIO_SetVirtualSoundDeviceProfile == nullptr;
}
} // namespace

TEST (TUsbAudioApiDll, NewInstanceIsEmpty)
{
    TUsbAudioApiDll dll;
    EXPECT_EQ (dll.module, nullptr);
    EXPECT_EQ (dll.apiVersion, 0u);
    EXPECT_EQ (dll.TUSBAUDIO_GetApiVersion, nullptr);
    EXPECT_EQ (dll.TUSBAUDIO_CheckApiVersion, nullptr);
    EXPECT_TRUE (allLaterGroupsUnbound (dll));
}

TEST (TUsbAudioApiDll, LibraryServing512IsBoundCompletely)
{
    TUsbAudioApiDll dll;
    ASSERT_EQ (load (dll, FAKE_DRIVER_5_12_PATH), 0u);

    EXPECT_NE (dll.module, nullptr);
    EXPECT_EQ (dll.apiVersion, 0x0005000Cu);
    EXPECT_NE (dll.TUSBAUDIO_RegisterPnpNotification, nullptr);
    EXPECT_NE (dll.TUSBAUDIO_GetDspProperty, nullptr);
    EXPECT_NE (dll.TUSBAUDIO_StatusCodeStringA, nullptr);
    EXPECT_NE (dll.TUSBAUDIO_SetPreferredASIODevice, nullptr);
    EXPECT_NE (dll.TUSBAUDIO_GetASIORelation, nullptr);
    EXPECT_NE (dll.TUSBAUDIO_GetPeakMeters, nullptr);
    EXPECT_NE (dll.TUSBAUDIO_SetVirtualSoundDeviceProfile, nullptr);

    // The version check asks for exactly 5.12.
    using LastChecked = std::uint32_t (*)();
    const auto lastChecked = reinterpret_cast<LastChecked> (win::GetProcAddress (dll.module, "FAKE_LastCheckedVersion"));
    ASSERT_NE (lastChecked, nullptr);
    EXPECT_EQ (lastChecked(), 0x0005000Cu);
}

TEST (TUsbAudioApiDll, SecondLoadKeepsTheFirstLibrary)
{
    TUsbAudioApiDll dll;
    ASSERT_EQ (load (dll, FAKE_DRIVER_5_12_PATH), 0u);
    const auto module = dll.module;
    const auto getDsp = dll.TUSBAUDIO_GetDspProperty;

    EXPECT_EQ (load (dll, FAKE_DRIVER_6_0_PATH), 1u);
    EXPECT_EQ (dll.module, module);
    EXPECT_EQ (dll.TUSBAUDIO_GetDspProperty, getDsp);
    EXPECT_EQ (dll.apiVersion, 0x0005000Cu);
}

TEST (TUsbAudioApiDll, RefusedVersionStaysLoadedWithTheFirstGroupOnly)
{
    TUsbAudioApiDll dll;
    EXPECT_EQ (load (dll, FAKE_DRIVER_REFUSING_PATH), 0xEE000060u);

    EXPECT_NE (dll.module, nullptr);
    EXPECT_EQ (dll.apiVersion, 0x0005000Cu);
    EXPECT_NE (dll.TUSBAUDIO_GetApiVersion, nullptr);
    EXPECT_NE (dll.TUSBAUDIO_CheckApiVersion, nullptr);
    EXPECT_TRUE (allLaterGroupsUnbound (dll));

    // Loaded all the same: a second load is refused.
    EXPECT_EQ (load (dll, FAKE_DRIVER_5_12_PATH), 1u);
}

TEST (TUsbAudioApiDll, LaterMajorVersionBindsEveryGroup)
{
    TUsbAudioApiDll dll;
    ASSERT_EQ (load (dll, FAKE_DRIVER_6_0_PATH), 0u);
    EXPECT_EQ (dll.apiVersion, 0x00060000u);
    EXPECT_NE (dll.TUSBAUDIO_EnumerateDevices, nullptr);
    EXPECT_NE (dll.TUSBAUDIO_QueryDeviceStatistics, nullptr);
    EXPECT_NE (dll.TUSBAUDIO_GetASIORelation, nullptr);
    EXPECT_NE (dll.TUSBAUDIO_SetVirtualSoundDeviceProfile, nullptr);
}

TEST (TUsbAudioApiDll, MinorVersionDecidesTheLaterGroups)
{
    TUsbAudioApiDll dll;
    ASSERT_EQ (load (dll, FAKE_DRIVER_5_9_PATH), 0u);
    EXPECT_NE (dll.TUSBAUDIO_GetDspProperty, nullptr);       // group 2
    EXPECT_NE (dll.TUSBAUDIO_GetCustomString, nullptr);      // 5.8
    EXPECT_NE (dll.TUSBAUDIO_GetASIORelation, nullptr);      // 5.9
    EXPECT_NE (dll.TUSBAUDIO_GetASIOInstanceAllowed, nullptr);
    EXPECT_EQ (dll.TUSBAUDIO_EnablePeakMeters, nullptr);     // 5.10
    EXPECT_EQ (dll.TUSBAUDIO_SetVirtualSoundDeviceProfile, nullptr);
}

TEST (TUsbAudioApiDll, EarlierMajorVersionBindsOnlyTheFirstGroup)
{
    TUsbAudioApiDll dll;
    ASSERT_EQ (load (dll, FAKE_DRIVER_4_0_PATH), 0u);
    EXPECT_NE (dll.module, nullptr);
    EXPECT_NE (dll.TUSBAUDIO_GetApiVersion, nullptr);
    EXPECT_TRUE (allLaterGroupsUnbound (dll));
}

TEST (TUsbAudioApiDll, MissingEntryPointUnloadsWithTheLoadersCode)
{
    TUsbAudioApiDll dll;
    EXPECT_EQ (load (dll, FAKE_DRIVER_MISSING_DSP_PATH), 127u);
    EXPECT_EQ (dll.module, nullptr);
    EXPECT_EQ (dll.apiVersion, 0u);
    EXPECT_EQ (dll.TUSBAUDIO_GetApiVersion, nullptr);
    EXPECT_TRUE (allLaterGroupsUnbound (dll));

    // Empty again, so another library can be loaded.
    EXPECT_EQ (load (dll, FAKE_DRIVER_5_12_PATH), 0u);
}

TEST (TUsbAudioApiDll, MissingFileOrFolderGivesFileNotFound)
{
    TUsbAudioApiDll dll;
    const auto home = std::string (std::getenv ("HOME"));
    EXPECT_EQ (load (dll, (home + "/no-such-driver.so").c_str()), 2u);
    EXPECT_EQ (load (dll, (home + "/no-such-folder/driver.so").c_str()), 2u);
    EXPECT_EQ (dll.module, nullptr);
}

TEST (TUsbAudioApiDll, FileThatIsNoLibraryGivesTheLoadersCode)
{
    const auto path = std::string (std::getenv ("HOME")) + "/not-a-library.so";
    ASSERT_TRUE (juce::File (path).replaceWithText ("just text"));

    // Windows reports ERROR_BAD_EXE_FORMAT; the stand-in's dlopen only ERROR_MOD_NOT_FOUND.
    TUsbAudioApiDll dll;
    EXPECT_EQ (load (dll, path.c_str()), win::isWindowsBuild ? 193u : 126u);
    EXPECT_EQ (dll.module, nullptr);
}

TEST (TUsbAudioApiDll, UnloadClearsEverything)
{
    TUsbAudioApiDll dll;
    ASSERT_EQ (load (dll, FAKE_DRIVER_5_12_PATH), 0u);
    dll.UnloadDll();

    EXPECT_EQ (dll.module, nullptr);
    EXPECT_EQ (dll.apiVersion, 0u);
    EXPECT_EQ (dll.TUSBAUDIO_GetApiVersion, nullptr);
    EXPECT_EQ (dll.TUSBAUDIO_CheckApiVersion, nullptr);
    EXPECT_TRUE (allLaterGroupsUnbound (dll));
    EXPECT_EQ (dll.TUSBAUDIO_GetPeakMeters, nullptr);
}

//==============================================================================
namespace
{
const std::string inprocServerKey = "CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}\\InprocServer32";

const std::string clsidPath = "HKEY_CLASSES_ROOT\\CLSID";
const std::string classIdPath = clsidPath + "\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}";
const std::string inprocServerPath = classIdPath + "\\InprocServer32";

std::vector<win::BYTE> utf16Bytes (const std::string& text, bool terminated)
{
    std::vector<win::BYTE> bytes;
    for (const auto c : text)
    {
        bytes.push_back (static_cast<win::BYTE> (c));
        bytes.push_back (0);
    }
    if (terminated)
        bytes.insert (bytes.end(), { 0, 0 });
    return bytes;
}

/** A copy of the 5.12 fake library at a path of exactly the given length. */
std::string copyOfFakeDriverWithPathLength (size_t length)
{
    auto folder = juce::File (juce::String (std::getenv ("HOME"))).getChildFile ("long");
    const auto fileName = juce::String ("driver.so");

    // Grow the folder path with short components until only the last one is left to fill.
    while (static_cast<size_t> (folder.getFullPathName().length()) + 1 + 100 + 1 + static_cast<size_t> (fileName.length()) < length)
        folder = folder.getChildFile (juce::String::repeatedString ("d", 40));

    const auto remaining = static_cast<int> (length) - folder.getFullPathName().length() - 2 - fileName.length();
    folder = folder.getChildFile (juce::String::repeatedString ("e", remaining));
    folder.createDirectory();

    const auto target = folder.getChildFile (fileName);
    juce::File (FAKE_DRIVER_5_12_PATH).copyFileTo (target);
    return target.getFullPathName().toStdString();
}
} // namespace

TEST (TUsbAudioApiDllRegistry, LoadsTheLibraryNamedByTheClassKey)
{
    win::RegistryFixture registry;
    ASSERT_TRUE (registry.setString (inprocServerKey, "", FAKE_DRIVER_5_12_PATH));

    TUsbAudioApiDll dll;
    EXPECT_EQ (dll.LoadFromRegistry(), 0u);
    EXPECT_NE (dll.module, nullptr);
    EXPECT_EQ (dll.apiVersion, 0x0005000Cu);
}

TEST (TUsbAudioApiDllRegistry, MissingKeysAndValuesGiveTheRegistrysCode)
{
    win::RegistryFixture registry;
    TUsbAudioApiDll dll;
    EXPECT_EQ (dll.LoadFromRegistry(), 2u);

    ASSERT_TRUE (registry.createKey ("CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}"));
    EXPECT_EQ (dll.LoadFromRegistry(), 2u);

    // The key without a default value.
    ASSERT_TRUE (registry.setString (inprocServerKey, "ThreadingModel", "Both"));
    EXPECT_EQ (dll.LoadFromRegistry(), 2u);
    EXPECT_EQ (dll.module, nullptr);
}

TEST (TUsbAudioApiDllRegistry, ValueThatIsNoStringIsABadFormat)
{
    win::RegistryFixture registry;
    ASSERT_TRUE (registry.setValue (inprocServerKey, "", win::REG_DWORD, { 1, 0, 0, 0 }));

    TUsbAudioApiDll dll;
    EXPECT_EQ (dll.LoadFromRegistry(), 11u);
    EXPECT_EQ (dll.module, nullptr);
}

TEST (TUsbAudioApiDllRegistry, ExpandableStringIsUsedUnexpanded)
{
    win::RegistryFixture registry;
    ASSERT_TRUE (registry.setString (inprocServerKey, "", "%HOME%/driver.so", win::REG_EXPAND_SZ));
    juce::File (juce::String (std::getenv ("HOME"))).getChildFile ("driver.so").replaceWithText ("x");

    TUsbAudioApiDll dll;
    EXPECT_EQ (dll.LoadFromRegistry(), 2u);
    EXPECT_EQ (dll.module, nullptr);

    // The same path written plainly is an expandable string the loader does load.
    ASSERT_TRUE (registry.setString (inprocServerKey, "", FAKE_DRIVER_5_12_PATH, win::REG_EXPAND_SZ));
    EXPECT_EQ (dll.LoadFromRegistry(), 0u);
}

TEST (TUsbAudioApiDllRegistry, UnterminatedPathOf259UnitsIsTerminatedAndLoaded)
{
    const auto path = copyOfFakeDriverWithPathLength (259);
    ASSERT_EQ (path.size(), 259u);

    win::RegistryFixture registry;
    ASSERT_TRUE (registry.setValue (inprocServerKey, "", win::REG_SZ, utf16Bytes (path, false)));

    TUsbAudioApiDll dll;
    EXPECT_EQ (dll.LoadFromRegistry(), 0u);
    EXPECT_NE (dll.module, nullptr);
}

TEST (TUsbAudioApiDllRegistry, UnterminatedPathOf260UnitsOverflows)
{
    const auto path = copyOfFakeDriverWithPathLength (260);
    ASSERT_EQ (path.size(), 260u);

    win::RegistryFixture registry;
    ASSERT_TRUE (registry.setValue (inprocServerKey, "", win::REG_SZ, utf16Bytes (path, false)));

    TUsbAudioApiDll dll;
    EXPECT_EQ (dll.LoadFromRegistry(), 111u);
    EXPECT_EQ (dll.module, nullptr);

    // Terminated, the same 260 units need 522 bytes: more than the loader reads.
    ASSERT_TRUE (registry.setValue (inprocServerKey, "", win::REG_SZ, utf16Bytes (path, true)));
    EXPECT_EQ (dll.LoadFromRegistry(), 234u);
    EXPECT_EQ (dll.module, nullptr);
}

TEST (TUsbAudioApiDllRegistry, TheThreeKeysAreClosedInReverseOrder)
{
    win::RegistryFixture registry;
    ASSERT_TRUE (registry.setString (inprocServerKey, "", FAKE_DRIVER_5_12_PATH));

    const std::vector<std::string> openedAndClosed { "open " + clsidPath, "open " + classIdPath, "open " + inprocServerPath,
                                                     "close " + inprocServerPath, "close " + classIdPath, "close " + clsidPath };
    {
        const win::RegistryCallLog log;
        TUsbAudioApiDll dll;
        ASSERT_EQ (dll.LoadFromRegistry(), 0u);
        EXPECT_EQ (log.entries(), openedAndClosed);
    }

    // Also when the value is refused after the keys were opened.
    ASSERT_TRUE (registry.setValue (inprocServerKey, "", win::REG_DWORD, { 1, 0, 0, 0 }));
    const win::RegistryCallLog log;
    TUsbAudioApiDll dll;
    ASSERT_EQ (dll.LoadFromRegistry(), 11u);
    EXPECT_EQ (log.entries(), openedAndClosed);
}

TEST (TUsbAudioApiDllRegistry, WithoutInprocServer32TheTwoOpenedKeysAreClosedInReverseOrder)
{
    win::RegistryFixture registry;
    ASSERT_TRUE (registry.createKey ("CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}"));

    const win::RegistryCallLog log;
    TUsbAudioApiDll dll;
    ASSERT_EQ (dll.LoadFromRegistry(), 2u);
    EXPECT_EQ (log.entries(), (std::vector<std::string> { "open " + clsidPath, "open " + classIdPath,
                                                          "open " + inprocServerPath + " failed 2",
                                                          "close " + classIdPath, "close " + clsidPath }));
}
