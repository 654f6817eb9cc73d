#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{
// Every test process gets a home folder of its own, so that no test touches the user's files,
// and a name prefix of its own for the named events, so that parallel test processes never see
// each other's events.
void isolateTestProcess()
{
    char pattern[] = "/tmp/kelvaro-test-home-XXXXXX";
    if (const char* home = ::mkdtemp (pattern))
        ::setenv ("HOME", home, 1);

    const auto prefix = "kelvaro-test-" + std::to_string (::getpid()) + "-";
    ::setenv ("KELVARO_EVENT_PREFIX", prefix.c_str(), 1);
}
} // namespace

int main (int argc, char** argv)
{
    isolateTestProcess();
    ::testing::InitGoogleTest (&argc, argv);

    const juce::ScopedJuceInitialiser_GUI juce;
    const auto result = RUN_ALL_TESTS();

    const juce::File home (juce::SystemStats::getEnvironmentVariable ("HOME", {}));
    if (home.getFileName().startsWith ("kelvaro-test-home-"))
        home.deleteRecursively();
    return result;
}
