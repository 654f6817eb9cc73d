#include "backend/HardwareBackend.h"
#include "backend/HardwareBackendPimpl.h"
#include "platform/EventName.h"
#include "platform/WideText.h"
#include "platform/WinEvents.h"
#include "platform/WinHost.h"
#include "platform/WinModules.h"
#include "support/platform/TestEventNames.h"
#include "support/HardwareBackendTestAccess.h"
#include "support/SimulatorHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

// The backend creates exactly the driver's two events, "PNPdeviceChange" and "deviceSettingsChange",
// and a copy of the stand-in layer that answers as the program's does (the platform fixture
// library, linked with kelvaro_platform_host as the program is) reaches them under their full
// names: in the program, which puts nothing before its names, they are the driver's names.

namespace
{
struct CountingListener final : HardwareBackend::Listener
{
    void deviceChanged() override { ++changes; }
    void deviceSettingsChanged() override { ++settingsChanges; }

    int changes = 0, settingsChanges = 0;
};

/** The names of this process's events that have a file in /dev/shm (EventName: "/dev/shm" and
    the full name of the event). */
std::set<std::string> eventsWithFiles()
{
    auto stem = win::EventName::of ("-");   // "/event.<user>.<prefix>-"
    stem = stem.substr (1, stem.size() - 2);

    std::set<std::string> names;
    std::error_code error;

    for (const auto& entry : std::filesystem::directory_iterator ("/dev/shm", error))
    {
        const auto name = entry.path().filename().string();

        if (name.rfind (stem, 0) == 0)
            names.insert (name.substr (stem.size()));
    }

    return names;
}
} // namespace

TEST (ProgramEventNames, TheBackendCreatesTheDriversTwoEventsUnderTheirNames)
{
    SimulatorHarness sim;
    ASSERT_TRUE (sim.isReady());

    std::u16string libraryPath;
    ASSERT_TRUE (win::WideText::fromUtf8 (KELVARO_PLATFORM_FIXTURE_PATH, libraryPath));
    const auto library = win::LoadLibraryW (libraryPath.c_str());
    ASSERT_NE (library, nullptr);
    auto* signalByName = reinterpret_cast<int (*) (const char*)> (win::GetProcAddress (library, "KelvaroFixture_SignalByName"));
    ASSERT_NE (signalByName, nullptr);

    auto* backend = HardwareBackend::getInstance();
    ASSERT_NE (backend, nullptr);
    CountingListener listener;
    backend->addListener (&listener);
    auto& pimpl = HardwareBackendTestAccess::pimpl (*backend);
    ASSERT_TRUE (pimpl.isTimerRunning());

    const auto prefix = win::TestEventNames::prefix();
    ASSERT_FALSE (prefix.empty());

    if (! win::isWindowsBuild)
    {
        EXPECT_EQ (eventsWithFiles(), (std::set<std::string> { "PNPdeviceChange", "deviceSettingsChange" }));
    }

    EXPECT_EQ (signalByName ((prefix + "deviceSettingsChange").c_str()), 1);
    pimpl.timerCallback();
    EXPECT_EQ (listener.settingsChanges, 1);
    EXPECT_EQ (listener.changes, 0);

    EXPECT_EQ (signalByName ((prefix + "PNPdeviceChange").c_str()), 1);
    pimpl.timerCallback();
    EXPECT_EQ (listener.changes, 1);

    // Names that differ in case or by a character are other events.
    EXPECT_EQ (signalByName ((prefix + "PnpDeviceChange").c_str()), 0);
    EXPECT_EQ (signalByName ((prefix + "deviceSettingsChanged").c_str()), 0);

    backend->removeListener (&listener);
    HardwareBackend::deleteInstance();
    win::FreeLibrary (library);

    if (! win::isWindowsBuild)
    {
        EXPECT_TRUE (eventsWithFiles().empty()) << "the backend's events outlive it";
    }
}
