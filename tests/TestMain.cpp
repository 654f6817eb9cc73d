#include "platform/WinHost.h"
#include "platform/WinProcess.h"
#include "support/platform/TestEnvironment.h"
#include "support/platform/TestEventNames.h"
#include "support/platform/WineUserProfile.h"
#include "support/EventHelperProcess.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace
{
// Every test process gets a home folder of its own (under Wine a user profile of its own as
// well), so that no test touches the user's files, and event names of its own, so that parallel
// test processes (and a mixer that runs meanwhile) never see each other's events. Returns the
// folders to remove at the end.
juce::StringArray isolateTestProcess()
{
    const auto pid = std::to_string (win::GetCurrentProcessId());
    std::error_code error;
    auto home = std::filesystem::temp_directory_path (error) / ("kelvaro-test-home-" + pid);

    for (int attempt = 1; ! std::filesystem::create_directory (home, error) && attempt < 100; ++attempt)
        home.replace_filename ("kelvaro-test-home-" + pid + "-" + std::to_string (attempt));

    win::setEnvironmentVariable ("HOME", home.u8string().c_str());
    win::TestEventNames::useOwn ("test");

    // Without DISPLAY the framework tries ":0", where another program's short-lived Xvfb may be
    // running (it ends the test process when it goes). Tests that need a display start their own.
    if (! win::isWindowsBuild && std::getenv ("DISPLAY") == nullptr)
        win::setEnvironmentVariable ("DISPLAY", ":65535");

    juce::StringArray folders { juce::String (home.u8string()) };
    const auto profile = win::useOwnWineUserProfile ("kelvaro-test-" + pid);

    if (! profile.empty())
        folders.add (juce::String (profile));

    return folders;
}
} // namespace

int main (int argc, char** argv)
{
    if (EventHelperProcess::isHelper (argc, argv))
        return EventHelperProcess::helperMain (argc, argv);

    const auto ownFolders = isolateTestProcess();
    ::testing::InitGoogleTest (&argc, argv);

    const juce::ScopedJuceInitialiser_GUI juce;
    const auto result = RUN_ALL_TESTS();

    for (const auto& folder : ownFolders)
        if (juce::File (folder).getFileName().startsWith ("kelvaro-test-"))
            juce::File (folder).deleteRecursively();

    return result;
}
