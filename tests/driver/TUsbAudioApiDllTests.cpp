#include "driver/TUsbAudioApiDll.h"
#include "platform/WinModules.h"

#include <gtest/gtest.h>

#include <string>

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

    TUsbAudioApiDll dll;
    EXPECT_EQ (load (dll, path.c_str()), 126u);
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
