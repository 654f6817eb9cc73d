#include "platform/EventName.h"
#include "platform/WideText.h"
#include "platform/WinEvents.h"
#include "platform/WinHost.h"
#include "platform/WinModules.h"
#include "platform/driverside/WinEventSignals.h"
#include "support/platform/TestEventNames.h"
#include "support/EventHelperProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace win;

namespace
{
DWORD poll (HANDLE event)
{
    return WaitForMultipleObjects (1, &event, 0, 0);
}

// The library with a copy of this layer of its own, as the driver library has.
class FixtureLibrary
{
public:
    FixtureLibrary()
    {
        std::u16string path;
        WideText::fromUtf8 (KELVARO_PLATFORM_FIXTURE_PATH, path);
        module = LoadLibraryW (path.c_str());
    }

    ~FixtureLibrary()
    {
        if (module != nullptr)
            FreeLibrary (module);
    }

    template <typename Function>
    Function* get (const char* name) const
    {
        return module == nullptr ? nullptr : reinterpret_cast<Function*> (GetProcAddress (module, name));
    }

private:
    HMODULE module = nullptr;
};
} // namespace

TEST (WinEventsTests, AnAutoResetEventHoldsOneSignal)
{
    auto* event = CreateEventA (nullptr, 0, 0, "PNPdeviceChange");
    ASSERT_NE (event, nullptr);
    EXPECT_EQ (GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ (poll (event), WAIT_TIMEOUT);

    EXPECT_EQ (SetEvent (event), 1);
    EXPECT_EQ (SetEvent (event), 1);
    EXPECT_EQ (poll (event), WAIT_OBJECT_0);
    EXPECT_EQ (poll (event), WAIT_TIMEOUT);
    EXPECT_EQ (CloseHandle (event), 1);

    auto* signalled = CreateEventA (nullptr, 0, 1, "Signalled");
    ASSERT_NE (signalled, nullptr);
    EXPECT_EQ (poll (signalled), WAIT_OBJECT_0);
    EXPECT_EQ (poll (signalled), WAIT_TIMEOUT);
    EXPECT_EQ (CloseHandle (signalled), 1);
}

TEST (WinEventsTests, TheFirstSignalledEventInArrayOrderIsTakenAndReset)
{
    HANDLE events[3] = { CreateEventA (nullptr, 0, 0, "first"), CreateEventA (nullptr, 0, 0, "second"),
                         CreateEventA (nullptr, 0, 0, "third") };

    for (auto* event : events)
        ASSERT_NE (event, nullptr);

    SetEvent (events[2]);
    SetEvent (events[1]);
    EXPECT_EQ (WaitForMultipleObjects (3, events, 0, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ (WaitForMultipleObjects (3, events, 0, 0), WAIT_OBJECT_0 + 2);
    EXPECT_EQ (WaitForMultipleObjects (3, events, 0, 0), WAIT_TIMEOUT);

    SetEvent (events[0]);
    SetEvent (events[2]);
    EXPECT_EQ (WaitForMultipleObjects (3, events, 0, 0), WAIT_OBJECT_0);
    EXPECT_EQ (poll (events[2]), WAIT_OBJECT_0);

    for (auto* event : events)
        EXPECT_EQ (CloseHandle (event), 1);
}

TEST (WinEventsTests, ASignalByNameReachesTheCreator)
{
    auto* created = CreateEventA (nullptr, 0, 0, "deviceSettingsChange");
    ASSERT_NE (created, nullptr);

    auto* opened = OpenEventA (EVENT_MODIFY_STATE, 0, "deviceSettingsChange");
    ASSERT_NE (opened, nullptr);
    EXPECT_EQ (SetEvent (opened), 1);
    EXPECT_EQ (CloseHandle (opened), 1);
    EXPECT_EQ (poll (created), WAIT_OBJECT_0);

    // Creating an existing name opens it.
    auto* again = CreateEventA (nullptr, 0, 1, "deviceSettingsChange");
    ASSERT_NE (again, nullptr);
    EXPECT_EQ (GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ (poll (created), WAIT_TIMEOUT);   // its initial state does not apply
    SetEvent (again);
    EXPECT_EQ (poll (created), WAIT_OBJECT_0);
    EXPECT_EQ (CloseHandle (again), 1);

    // Names with characters that a semaphore name cannot hold.
    auto* slashed = CreateEventA (nullptr, 0, 0, "Local/with/slashes");
    ASSERT_NE (slashed, nullptr);
    auto* slashedAgain = OpenEventA (SYNCHRONIZE, 0, "Local/with/slashes");
    EXPECT_NE (slashedAgain, nullptr);
    CloseHandle (slashedAgain);

    EXPECT_EQ (CloseHandle (created), 1);
    EXPECT_EQ (CloseHandle (slashed), 1);
}

TEST (WinEventsTests, ANameLivesWhileAnyHandleIsOpen)
{
    SetLastError (0);
    EXPECT_EQ (OpenEventA (EVENT_MODIFY_STATE, 0, "neverCreated"), nullptr);
    EXPECT_EQ (GetLastError(), ERROR_FILE_NOT_FOUND);

    auto* created = CreateEventA (nullptr, 0, 0, "shortLived");
    auto* opened = OpenEventA (EVENT_MODIFY_STATE | SYNCHRONIZE, 0, "shortLived");
    ASSERT_NE (opened, nullptr);
    EXPECT_EQ (CloseHandle (created), 1);

    // The creator's handle is gone, the opened one keeps the name.
    auto* again = OpenEventA (EVENT_MODIFY_STATE, 0, "shortLived");
    ASSERT_NE (again, nullptr);
    EXPECT_EQ (SetEvent (again), 1);
    EXPECT_EQ (CloseHandle (again), 1);
    EXPECT_EQ (poll (opened), WAIT_OBJECT_0);

    EXPECT_EQ (SetEvent (opened), 1);   // an open handle keeps working
    EXPECT_EQ (CloseHandle (opened), 1);

    // With the last handle the event is forgotten, its signal too.
    SetLastError (0);
    EXPECT_EQ (OpenEventA (EVENT_MODIFY_STATE, 0, "shortLived"), nullptr);
    EXPECT_EQ (GetLastError(), ERROR_FILE_NOT_FOUND);

    auto* fresh = CreateEventA (nullptr, 0, 0, "shortLived");
    EXPECT_EQ (GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ (poll (fresh), WAIT_TIMEOUT);
    EXPECT_EQ (CloseHandle (fresh), 1);
}

TEST (WinEventsTests, TheNamePrefixKeepsProcessesApart)
{
    auto* event = CreateEventA (nullptr, 0, 0, "PNPdeviceChange");
    ASSERT_NE (event, nullptr);

    const auto ownPrefix = TestEventNames::prefix();
    ASSERT_FALSE (ownPrefix.empty());
    TestEventNames::use (ownPrefix + "other-");
    EXPECT_EQ (OpenEventA (EVENT_MODIFY_STATE, 0, "PNPdeviceChange"), nullptr);
    TestEventNames::use (ownPrefix);

    auto* opened = OpenEventA (EVENT_MODIFY_STATE, 0, "PNPdeviceChange");
    EXPECT_NE (opened, nullptr);
    CloseHandle (opened);
    CloseHandle (event);
}

TEST (WinEventsTests, AnotherCopyOfTheLayerSignalsByNameAndByHandle)
{
    const FixtureLibrary library;
    auto* signalByName = library.get<int (const char*)> ("KelvaroFixture_SignalByName");
    auto* signalHandle = library.get<int (void*)> ("KelvaroFixture_SignalHandle");
    auto* setOwnLastError = library.get<unsigned (unsigned)> ("KelvaroFixture_SetOwnLastError");
    ASSERT_NE (signalByName, nullptr);
    ASSERT_NE (signalHandle, nullptr);
    ASSERT_NE (setOwnLastError, nullptr);

    // The library really runs a copy of its own, with a last-error code of its own (on Windows both
    // copies forward to the system's one code per thread).
    SetLastError (0);
    EXPECT_EQ (setOwnLastError (1234), 1234u);
    EXPECT_EQ (GetLastError(), isWindowsBuild ? 1234u : 0u);

    HANDLE events[2] = { CreateEventA (nullptr, 0, 0, "PNPdeviceChange"),
                         CreateEventA (nullptr, 0, 0, "deviceSettingsChange") };

    // The library's copy answers as the program does: it puts nothing before a name, so it reaches
    // this process's events under their full names.
    const auto prefix = TestEventNames::prefix();
    EXPECT_EQ (signalByName ((prefix + "deviceSettingsChange").c_str()), 1);
    EXPECT_EQ (WaitForMultipleObjects (2, events, 0, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ (signalHandle (events[0]), 1);
    EXPECT_EQ (WaitForMultipleObjects (2, events, 0, 0), WAIT_OBJECT_0);
    EXPECT_EQ (WaitForMultipleObjects (2, events, 0, 0), WAIT_TIMEOUT);
    EXPECT_EQ (signalByName ((prefix + "unknownEvent").c_str()), 0);

    CloseHandle (events[0]);
    CloseHandle (events[1]);
}

TEST (WinEventsTests, AnotherProcessSignalsByName)
{
    auto* event = CreateEventA (nullptr, 0, 0, "PNPdeviceChange");
    ASSERT_NE (event, nullptr);

    EXPECT_EQ (EventHelperProcess::run (EventHelperProcess::Action::signal, "PNPdeviceChange"), 0);
    EXPECT_EQ (poll (event), WAIT_OBJECT_0);
    EXPECT_EQ (CloseHandle (event), 1);

    // Once this process has closed it, no other process finds the event.
    EXPECT_EQ (EventHelperProcess::run (EventHelperProcess::Action::signal, "PNPdeviceChange"), 1);
}

TEST (WinEventsTests, TwoProcessesThatCreateTheSameNameShareOneEvent)
{
    auto* event = CreateEventA (nullptr, 0, 0, "deviceSettingsChange");
    ASSERT_NE (event, nullptr);
    ASSERT_EQ (GetLastError(), ERROR_SUCCESS);

    EXPECT_EQ (EventHelperProcess::run (EventHelperProcess::Action::joinAndSignal, "deviceSettingsChange"), 0)
        << "the other process made an event of its own";
    EXPECT_EQ (poll (event), WAIT_OBJECT_0);
    EXPECT_EQ (CloseHandle (event), 1);
}

TEST (WinEventsTests, AnEventLeftSignalledByACrashedProcessIsCreatedAfresh)
{
    ASSERT_EQ (EventHelperProcess::run (EventHelperProcess::Action::signalAndCrash, "PNPdeviceChange"), 0);

    // No live process holds it: as on Windows, there is no such event any more.
    SetLastError (0);
    EXPECT_EQ (OpenEventA (EVENT_MODIFY_STATE, 0, "PNPdeviceChange"), nullptr);
    EXPECT_EQ (GetLastError(), ERROR_FILE_NOT_FOUND);

    auto* event = CreateEventA (nullptr, 0, 0, "PNPdeviceChange");
    ASSERT_NE (event, nullptr);
    EXPECT_EQ (GetLastError(), ERROR_SUCCESS) << "the dead process's event was taken over";
    EXPECT_EQ (poll (event), WAIT_TIMEOUT) << "the dead process's signal is still pending";

    // The fresh event works across processes as any other.
    EXPECT_EQ (EventHelperProcess::run (EventHelperProcess::Action::signal, "PNPdeviceChange"), 0);
    EXPECT_EQ (poll (event), WAIT_OBJECT_0);
    EXPECT_EQ (CloseHandle (event), 1);

    // Created signalled, a fresh event holds the signal it was created with.
    ASSERT_EQ (EventHelperProcess::run (EventHelperProcess::Action::signalAndCrash, "deviceSettingsChange"), 0);
    auto* signalled = CreateEventA (nullptr, 0, 1, "deviceSettingsChange");
    ASSERT_NE (signalled, nullptr);
    EXPECT_EQ (GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ (poll (signalled), WAIT_OBJECT_0);
    EXPECT_EQ (poll (signalled), WAIT_TIMEOUT);
    EXPECT_EQ (CloseHandle (signalled), 1);
}

TEST (WinEventsTests, ASignalLeftByACrashedProcessIsGoneWhenACreatorComesFirst)
{
    ASSERT_EQ (EventHelperProcess::run (EventHelperProcess::Action::signalAndCrash, "PNPdeviceChange"), 0);

    auto* event = CreateEventA (nullptr, 0, 0, "PNPdeviceChange");
    ASSERT_NE (event, nullptr);
    EXPECT_EQ (GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ (poll (event), WAIT_TIMEOUT) << "the dead process's signal is still pending";

    EXPECT_EQ (EventHelperProcess::run (EventHelperProcess::Action::signal, "PNPdeviceChange"), 0);
    EXPECT_EQ (poll (event), WAIT_OBJECT_0);
    EXPECT_EQ (CloseHandle (event), 1);
}

TEST (WinEventsTests, WaitsUpToTheTimeOut)
{
    auto* event = CreateEventA (nullptr, 0, 0, nullptr);   // an event without a name
    ASSERT_NE (event, nullptr);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ (WaitForMultipleObjects (1, &event, 0, 30), WAIT_TIMEOUT);
    EXPECT_GE (std::chrono::steady_clock::now() - start, std::chrono::milliseconds (30));

    std::thread signaller ([event]
    {
        std::this_thread::sleep_for (std::chrono::milliseconds (20));
        SetEvent (event);
    });
    EXPECT_EQ (WaitForMultipleObjects (1, &event, 0, INFINITE), WAIT_OBJECT_0);
    signaller.join();
    EXPECT_EQ (CloseHandle (event), 1);
}

TEST (WinEventsTests, TheLongestNameThatFitsWorksAcrossProcesses)
{
    if (isWindowsBuild)
        GTEST_SKIP() << "Windows has limits of its own";

    // The event's file "event.<user id>.<prefix><name>" must fit a file name of at most 255 bytes.
    const auto room = std::size_t (255) - (EventName::of ("n").size() - 2);
    const std::string longest (room, 'n');

    auto* event = CreateEventA (nullptr, 0, 0, longest.c_str());
    ASSERT_NE (event, nullptr);
    EXPECT_EQ (GetLastError(), ERROR_SUCCESS);

    // A name that differs in its last character only is another event.
    auto* other = CreateEventA (nullptr, 0, 0, (longest.substr (0, room - 1) + "m").c_str());
    ASSERT_NE (other, nullptr);
    EXPECT_EQ (GetLastError(), ERROR_SUCCESS);

    EXPECT_EQ (EventHelperProcess::run (EventHelperProcess::Action::signal, longest), 0);
    HANDLE both[2] = { other, event };
    EXPECT_EQ (WaitForMultipleObjects (2, both, 0, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ (CloseHandle (event), 1);
    EXPECT_EQ (CloseHandle (other), 1);

    SetLastError (0);
    EXPECT_EQ (CreateEventA (nullptr, 0, 0, (longest + "n").c_str()), nullptr);
    EXPECT_EQ (GetLastError(), 206u);   // ERROR_FILENAME_EXCED_RANGE
}

TEST (WinEventsTests, RefusesInvalidArguments)
{
    auto* event = CreateEventA (nullptr, 0, 0, "valid");
    HANDLE withNull[2] = { event, nullptr };

    SetLastError (0);
    EXPECT_EQ (WaitForMultipleObjects (0, &event, 0, 0), WAIT_FAILED);
    EXPECT_EQ (GetLastError(), ERROR_INVALID_PARAMETER);
    if (! isWindowsBuild)   // Windows reads through the null array and crashes
    {
        EXPECT_EQ (WaitForMultipleObjects (1, nullptr, 0, 0), WAIT_FAILED);
        EXPECT_EQ (GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ (WaitForMultipleObjects (MAXIMUM_WAIT_OBJECTS + 1, withNull, 0, 0), WAIT_FAILED);
    EXPECT_EQ (GetLastError(), ERROR_INVALID_PARAMETER);

    EXPECT_EQ (WaitForMultipleObjects (2, withNull, 0, 0), WAIT_FAILED);
    EXPECT_EQ (GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ (SetEvent (nullptr), 0);
    EXPECT_EQ (GetLastError(), ERROR_INVALID_HANDLE);

    if (! isWindowsBuild)
    {
        EXPECT_EQ (CreateEventA (nullptr, 1, 0, "manual"), nullptr);   // only auto-reset events exist here
        EXPECT_EQ (GetLastError(), ERROR_NOT_SUPPORTED);
    }
    EXPECT_EQ (OpenEventA (SYNCHRONIZE, 0, nullptr), nullptr);
    EXPECT_EQ (GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ (CreateEventA (nullptr, 0, 0, std::string (300, 'x').c_str()), nullptr);

    EXPECT_EQ (CloseHandle (event), 1);
    EXPECT_EQ (CloseHandle (nullptr), 0);
    EXPECT_EQ (GetLastError(), ERROR_INVALID_HANDLE);
}
