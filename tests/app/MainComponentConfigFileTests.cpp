#include "app/MainViewTestSupport.h"
#include "support/platform/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>

// The "config" file is looked for beside the executable. Writing one beside the shared test
// executable would reach every other view test running at the same time, so the test runs a
// second copy of the executable (a hard link, or a copy) in a folder of its own and lets that
// process open the view.

namespace
{
const char* const childVariable = "KELVARO_CONFIG_FILE_CHILD";

const char* const customConfig =
    "<Config>\r\n"
    "<Device name=\"VANTIQ TROVIK\">\r\n"
    "<ChannelNames>\r\n"
    "<Names pin=\"DeviceOutput\">\r\n"
    "<Name name=\"Left Speaker\"/>\r\n"
    "<Name name=\"Right Speaker\"/>\r\n"
    "</Names>\r\n"
    "</ChannelNames>\r\n"
    "<Macros>\r\n"
    "<Macro name=\"Everything\">\r\n"
    "<Node input=\"ApplicationPlayback\" inputIdx=\"0\" output=\"DeviceOutput\" outputIdx=\"0\"/>\r\n"
    "</Macro>\r\n"
    "<Macro name=\"Nothing\"/>\r\n"
    "</Macros>\r\n"
    "</Device>\r\n"
    "</Config>\r\n";

/** A second path of the running executable in `folder`: a hard link where the file system allows one. */
juce::File placeExecutableIn (const juce::File& folder)
{
    const auto executable = juce::File::getSpecialLocation (juce::File::currentExecutableFile);
    const auto target = folder.getChildFile (executable.getFileName());

    std::error_code error;
    std::filesystem::create_hard_link (std::filesystem::u8path (executable.getFullPathName().toStdString()),
                                       std::filesystem::u8path (target.getFullPathName().toStdString()), error);

    if (error)
    {
        if (! executable.copyFileTo (target))
            return {};

        target.setExecutePermission (true);
    }

    return target;
}
} // namespace

TEST_F (MainViewTest, ConfigFileBesideTheExecutableWinsFromTheFirstView)
{
    const auto folder = juce::File::getSpecialLocation (juce::File::currentExecutableFile)
                            .getParentDirectory()
                            .getNonexistentChildFile ("config-file-test", {}, false);
    ASSERT_TRUE (folder.createDirectory());

    const auto executable = placeExecutableIn (folder);
    ASSERT_TRUE (executable.existsAsFile());
    ASSERT_TRUE (folder.getChildFile ("config").replaceWithText (customConfig));

    win::setEnvironmentVariable (childVariable, "1");
    juce::ChildProcess child;
    ASSERT_TRUE (child.start (juce::StringArray { executable.getFullPathName(),
                                                  "--gtest_filter=MainViewTest.ConfigFileChildView" }));
    const auto output = child.readAllProcessOutput();
    child.waitForProcessToFinish (60000);
    win::setEnvironmentVariable (childVariable, nullptr);
    folder.deleteRecursively();

    EXPECT_EQ (child.getExitCode(), 0u) << output;
    EXPECT_TRUE (output.contains ("[  PASSED  ] 1 test")) << output;
    EXPECT_FALSE (output.contains ("SKIPPED")) << output;
}

TEST_F (MainViewTest, ConfigFileChildView)
{
    if (std::getenv (childVariable) == nullptr)
        GTEST_SKIP() << "runs only in the process that ConfigFileBesideTheExecutableWinsFromTheFirstView starts";

    ASSERT_TRUE (juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("config").existsAsFile());

    startSimulator();
    openView();

    // The file's two macros, not the embedded four, from the first view on.
    ASSERT_EQ (settings->macros.size(), 2u);
    EXPECT_EQ (settings->macros[0].name, "Everything");
    EXPECT_EQ (view->outputContainer.items.size(), 2u);
    EXPECT_EQ (window->getConstrainer()->getMaximumWidth(), 510);
    EXPECT_EQ (settings->getChannelName ({ Hardware::DeviceOutput, 1 }), "Right Speaker");
}
