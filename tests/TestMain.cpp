#include "platform/WinEvents.h"
#include "platform/WinHost.h"
#include "platform/WinProcess.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace
{
// Every test process gets a home folder of its own, so that no test touches the user's files,
// and a name prefix of its own for the named events, so that parallel test processes never see
// each other's events.
void isolateTestProcess()
{
    const auto pid = std::to_string (win::GetCurrentProcessId());
    std::error_code error;
    auto home = std::filesystem::temp_directory_path (error) / ("kelvaro-test-home-" + pid);

    for (int attempt = 1; ! std::filesystem::create_directory (home, error) && attempt < 100; ++attempt)
        home.replace_filename ("kelvaro-test-home-" + pid + "-" + std::to_string (attempt));

    win::setEnvironmentVariable ("HOME", home.u8string().c_str());
    win::setEnvironmentVariable ("KELVARO_EVENT_PREFIX", ("kelvaro-test-" + pid + "-").c_str());
}

// Started by a test as a second process: signals the named event, found with the event prefix
// that the starting test process handed down, and tells by its exit code whether it could.
int signalEvent (const char* name)
{
    auto* event = win::OpenEventA (win::EVENT_MODIFY_STATE, 0, name);
    const bool signalled = event != nullptr && win::SetEvent (event) != 0;

    if (event != nullptr)
        win::CloseHandle (event);

    return signalled ? 0 : 1;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc == 3 && std::strcmp (argv[1], "--kelvaro-signal-event") == 0)
        return signalEvent (argv[2]);

    isolateTestProcess();
    ::testing::InitGoogleTest (&argc, argv);

    const juce::ScopedJuceInitialiser_GUI juce;
    const auto result = RUN_ALL_TESTS();

    const juce::File home (juce::SystemStats::getEnvironmentVariable ("HOME", {}));
    if (home.getFileName().startsWith ("kelvaro-test-home-"))
        home.deleteRecursively();
    return result;
}
