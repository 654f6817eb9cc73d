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
// Every test process gets a home folder of its own (under Wine a user profile of its own as
// well), so that no test touches the user's files, and a name prefix of its own for the named
// events, so that parallel test processes never see each other's events. Returns the folders to
// remove at the end.
juce::StringArray isolateTestProcess()
{
    const auto pid = std::to_string (win::GetCurrentProcessId());
    std::error_code error;
    auto home = std::filesystem::temp_directory_path (error) / ("kelvaro-test-home-" + pid);

    for (int attempt = 1; ! std::filesystem::create_directory (home, error) && attempt < 100; ++attempt)
        home.replace_filename ("kelvaro-test-home-" + pid + "-" + std::to_string (attempt));

    win::setEnvironmentVariable ("HOME", home.u8string().c_str());
    win::setEnvironmentVariable ("KELVARO_EVENT_PREFIX", ("kelvaro-test-" + pid + "-").c_str());

    juce::StringArray folders { juce::String (home.u8string()) };
    const auto profile = win::useOwnWineUserProfile ("kelvaro-test-" + pid);

    if (! profile.empty())
        folders.add (juce::String (profile));

    return folders;
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

    const auto ownFolders = isolateTestProcess();
    ::testing::InitGoogleTest (&argc, argv);

    const juce::ScopedJuceInitialiser_GUI juce;
    const auto result = RUN_ALL_TESTS();

    for (const auto& folder : ownFolders)
        if (juce::File (folder).getFileName().startsWith ("kelvaro-test-"))
            juce::File (folder).deleteRecursively();

    return result;
}
