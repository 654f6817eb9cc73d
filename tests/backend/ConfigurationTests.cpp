#include "backend/Settings.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

namespace
{
/** A temporary document file that loadConfigFile reads. */
void loadDocument (Settings& settings, const juce::String& text)
{
    const juce::TemporaryFile file (".config");
    ASSERT_TRUE (file.getFile().replaceWithText (text, false, false, nullptr));
    settings.loadConfigFile (file.getFile());
}

void loadBytes (Settings& settings, const std::string& bytes)
{
    const juce::TemporaryFile file (".config");
    ASSERT_TRUE (file.getFile().replaceWithData (bytes.data(), bytes.size()));
    settings.loadConfigFile (file.getFile());
}

juce::String device (const juce::String& name, const juce::String& content)
{
    return "<Device name=\"" + name + "\">" + content + "</Device>";
}

juce::String names (const juce::String& pin, const juce::StringArray& entries)
{
    juce::String text = "<Names pin=\"" + pin + "\">";
    for (const auto& entry : entries)
        text << "<Name name=\"" << entry << "\"/>";
    return text + "</Names>";
}

juce::String node (const juce::String& inputIdx, const juce::String& outputIdx)
{
    return "<Node input=\"DeviceInput\" inputIdx=\"" + inputIdx
         + "\" output=\"DeviceOutput\" outputIdx=\"" + outputIdx + "\"/>";
}

juce::StringArray namesOf (const Settings& settings, Hardware::ChannelKind kind)
{
    const auto found = settings.channelNames.find (kind);
    return found != settings.channelNames.end() ? found->second : juce::StringArray();
}
} // namespace

TEST (Configuration, KindNamesIgnoreCaseAndDefaultToZero)
{
    using namespace Hardware;
    EXPECT_EQ (channelKindFromString ("ApplicationPlayback"), ApplicationPlayback);
    EXPECT_EQ (channelKindFromString ("deviceinput"), DeviceInput);
    EXPECT_EQ (channelKindFromString ("VIRTUALPLAYBACK"), VirtualPlayback);
    EXPECT_EQ (channelKindFromString ("ApplicationRecording"), ApplicationRecording);
    EXPECT_EQ (channelKindFromString ("DeviceOutput"), DeviceOutput);
    EXPECT_EQ (channelKindFromString ("virtualRecording"), VirtualRecording);
    EXPECT_EQ (channelKindFromString (""), ApplicationPlayback);
    EXPECT_EQ (channelKindFromString ("DeviceInput "), ApplicationPlayback);
    EXPECT_EQ (channelKindFromString ("3"), ApplicationPlayback);
}

TEST (Configuration, DeviceEntryMatchesExactlyAndFirstWins)
{
    Settings settings;
    loadDocument (settings, "<Config>"
                            + device ("Box", "<ChannelNames>" + names ("DeviceInput", { "first" }) + "</ChannelNames>")
                            + device ("Box", "<ChannelNames>" + names ("DeviceInput", { "second" }) + "</ChannelNames>")
                            + "</Config>");

    settings.loadDeviceConfig ("BOX");
    EXPECT_TRUE (settings.channelNames.empty());
    settings.loadDeviceConfig ("Box ");
    EXPECT_TRUE (settings.channelNames.empty());

    settings.loadDeviceConfig ("Box");
    EXPECT_EQ (namesOf (settings, Hardware::DeviceInput), juce::StringArray ({ "first" }));
}

TEST (Configuration, PinsSelectKindsAndLaterListsWin)
{
    Settings settings;
    loadDocument (settings, "<AnyRoot>"
                            + device ("Box", "<ChannelNames>"
                                             + names ("deviceinput", { "in 1", "in 2" })
                                             + names ("NoSuchKind", { "bogus" })
                                             + "<Names><Name name=\"no pin\"/></Names>"
                                             + names ("DeviceOutput", { "out old" })
                                             + names ("DEVICEOUTPUT", { "out new" })
                                             + "<Other pin=\"VirtualPlayback\"><X name=\"a\"/><Name/><Y name=\"c\"/></Other>"
                                             + "</ChannelNames>")
                            + "</AnyRoot>");
    settings.loadDeviceConfig ("Box");

    EXPECT_EQ (namesOf (settings, Hardware::DeviceInput), juce::StringArray ({ "in 1", "in 2" }));
    EXPECT_EQ (namesOf (settings, Hardware::ApplicationPlayback), juce::StringArray ({ "no pin" }));
    EXPECT_EQ (namesOf (settings, Hardware::DeviceOutput), juce::StringArray ({ "out new" }));
    // Any element names do; a missing name keeps its place.
    EXPECT_EQ (namesOf (settings, Hardware::VirtualPlayback), juce::StringArray ({ "a", "", "c" }));
    EXPECT_EQ (settings.getChannelName ({ Hardware::VirtualPlayback, 2 }), "c");
    EXPECT_EQ (settings.channelNames.size(), 4u);
    EXPECT_TRUE (settings.macros.empty());
}

TEST (Configuration, MacroIndicesReadLikeAtoi)
{
    Settings settings;
    loadDocument (settings, "<Config>"
                            + device ("Box", "<Macros><Macro name=\"M\">"
                                             + node (" 7", "3x") + node ("-1", "x3") + node ("", "+5")
                                             + node ("\t12", "99999999999") + node ("-99999999999", "- 4")
                                             + "<Node/>"
                                             + "</Macro></Macros>")
                            + "</Config>");
    settings.loadDeviceConfig ("Box");

    ASSERT_EQ (settings.macros.size(), 1u);
    const auto& nodes = settings.macros[0].nodes;
    ASSERT_EQ (nodes.size(), 6u);
    const std::pair<std::int32_t, std::int32_t> expected[] = {
        { 7, 3 }, { -1, 0 }, { 0, 5 }, { 12, 2147483647 }, { -2147483647 - 1, 0 }, { 0, 0 }
    };
    for (size_t i = 0; i < nodes.size(); ++i)
    {
        EXPECT_EQ (nodes[i].inputIndex, expected[i].first) << "node " << i;
        EXPECT_EQ (nodes[i].outputIndex, expected[i].second) << "node " << i;
    }
    EXPECT_EQ (nodes[0].inputKind, Hardware::DeviceInput);
    EXPECT_EQ (nodes[0].outputKind, Hardware::DeviceOutput);
    EXPECT_EQ (nodes[5].inputKind, Hardware::ApplicationPlayback); // absent kinds read as 0
    EXPECT_EQ (nodes[5].outputKind, Hardware::ApplicationPlayback);
}

TEST (Configuration, MacrosInOrderEvenWithoutNodes)
{
    Settings settings;
    loadDocument (settings, "<Config>"
                            + device ("Box", "<Macros><Macro name=\"A\">" + node ("1", "2")
                                             + "</Macro><Macro name=\"Empty\"/><Macro/></Macros>"
                                             + "<Macros><Macro name=\"ignored\"/></Macros>")
                            + "</Config>");
    settings.loadDeviceConfig ("Box");

    ASSERT_EQ (settings.macros.size(), 3u);
    EXPECT_EQ (settings.macros[0].name, "A");
    EXPECT_EQ (settings.macros[0].nodes.size(), 1u);
    EXPECT_EQ (settings.macros[1].name, "Empty");
    EXPECT_TRUE (settings.macros[1].nodes.empty());
    EXPECT_EQ (settings.macros[2].name, "");
}

TEST (Configuration, SulkaAfterTrovikReplacesEverything)
{
    Settings settings;
    settings.loadDefaultConfig();

    settings.loadDeviceConfig ("VANTIQ TROVIK");
    EXPECT_EQ (namesOf (settings, Hardware::ApplicationPlayback).size(), 16);
    EXPECT_EQ (settings.macros.size(), 4u);
    EXPECT_EQ (settings.macros[0].nodes.size(), 16u);

    settings.loadDeviceConfig ("VANTIQ SULKA");
    const std::pair<Hardware::ChannelKind, int> sizes[] = {
        { Hardware::ApplicationPlayback, 6 }, { Hardware::DeviceInput, 6 }, { Hardware::VirtualPlayback, 4 },
        { Hardware::DeviceOutput, 6 }, { Hardware::ApplicationRecording, 6 }, { Hardware::VirtualRecording, 4 }
    };
    for (const auto& [kind, size] : sizes)
        EXPECT_EQ (namesOf (settings, kind).size(), size) << "kind " << kind;
    EXPECT_EQ (settings.getChannelName ({ Hardware::ApplicationRecording, 0 }), "Mic/Inst/Line Recording 1");
    EXPECT_EQ (settings.getChannelName ({ Hardware::DeviceOutput, 6 }), "Unnamed 6");
    ASSERT_EQ (settings.macros.size(), 4u);
    for (const auto& macro : settings.macros)
        EXPECT_EQ (macro.nodes.size(), 6u) << macro.name;
}

TEST (Configuration, UnknownModelKeepsEarlierNamesAndMacros)
{
    Settings settings;
    settings.loadDefaultConfig();
    settings.loadDeviceConfig ("VANTIQ TROVIK");
    const auto namesBefore = settings.channelNames;
    const auto macroCount = settings.macros.size();

    settings.loadDeviceConfig ("VANTIQ UNKNOWN");
    settings.loadDeviceConfig ("vantiq trovik");
    settings.loadDeviceConfig ({});

    EXPECT_EQ (settings.channelNames, namesBefore);
    EXPECT_EQ (settings.macros.size(), macroCount);
    EXPECT_EQ (settings.getChannelName ({ Hardware::DeviceInput, 13 }), "ADAT In 8");
}

TEST (Configuration, EntryWithoutMacrosEmptiesTheMacrosButKeepsOtherKinds)
{
    Settings settings;
    settings.loadDefaultConfig();
    settings.loadDeviceConfig ("Vantiq Pexa");
    ASSERT_EQ (settings.macros.size(), 4u);

    loadDocument (settings, "<Config>"
                            + device ("Other", "<ChannelNames>" + names ("DeviceInput", { "only input" }) + "</ChannelNames>")
                            + "</Config>");
    settings.loadDeviceConfig ("Other");

    EXPECT_TRUE (settings.macros.empty());
    EXPECT_EQ (namesOf (settings, Hardware::DeviceInput), juce::StringArray ({ "only input" }));
    EXPECT_EQ (namesOf (settings, Hardware::DeviceOutput).size(), 6); // not listed, so kept
}

TEST (Configuration, InvalidConfigChangesNothing)
{
    Settings settings;
    settings.channelNames[Hardware::DeviceInput] = { "kept" };
    settings.macros.push_back ({ "kept", {} });

    settings.loadDeviceConfig ("Vantiq Pexa");

    EXPECT_FALSE (settings.config.isValid());
    EXPECT_EQ (namesOf (settings, Hardware::DeviceInput), juce::StringArray ({ "kept" }));
    ASSERT_EQ (settings.macros.size(), 1u);
}

TEST (Configuration, UnreadableOrBrokenFilesKeepTheTree)
{
    Settings settings;
    settings.loadDefaultConfig();
    const auto before = settings.config;
    ASSERT_TRUE (before.isValid());

    const auto folder = juce::File::createTempFile ("folder");
    ASSERT_TRUE (folder.createDirectory());
    settings.loadConfigFile (folder);
    settings.loadConfigFile (folder.getChildFile ("missing"));

    loadDocument (settings, {});
    loadDocument (settings, "this is not XML");
    loadDocument (settings, "<Config><Device name=\"x\"></Config>");
    loadDocument (settings, "<?xml version=\"1.0\"?>");

    EXPECT_EQ (settings.config, before); // the very same tree object
    folder.deleteRecursively();

    loadDocument (settings, "<Other/>");
    EXPECT_TRUE (settings.config.hasType ("Other"));
    EXPECT_EQ (settings.config.getNumChildren(), 0);
}

TEST (Configuration, TextContentIsIgnored)
{
    Settings settings;
    loadDocument (settings, "<Config>text<Device name=\"Box\">more<ChannelNames><Names pin=\"DeviceInput\">"
                            "<Name name=\"a\">inner</Name>tail<Name name=\"b\"/></Names></ChannelNames></Device></Config>");
    settings.loadDeviceConfig ("Box");
    EXPECT_EQ (namesOf (settings, Hardware::DeviceInput), juce::StringArray ({ "a", "b" }));
}

TEST (Configuration, TextIsUtf8OrElseWindows1252)
{
    Settings settings;
    loadBytes (settings, "<Config><Device name=\"Box\"><ChannelNames><Names pin=\"DeviceInput\">"
                         "<Name name=\"\xC3\xA9t\xC3\xA9\"/></Names></ChannelNames></Device></Config>");
    settings.loadDeviceConfig ("Box");
    EXPECT_EQ (settings.getChannelName ({ Hardware::DeviceInput, 0 }), juce::String (juce::CharPointer_UTF8 ("\xC3\xA9t\xC3\xA9")));

    // Not valid UTF-8: read the way the framework reads such text, as Windows-1252.
    loadBytes (settings, "<Config><Device name=\"Box\"><ChannelNames><Names pin=\"DeviceInput\">"
                         "<Name name=\"Caf\xE9\"/></Names></ChannelNames></Device></Config>");
    settings.loadDeviceConfig ("Box");
    EXPECT_EQ (settings.getChannelName ({ Hardware::DeviceInput, 0 }), juce::String (juce::CharPointer_UTF8 ("Caf\xC3\xA9")));
}

TEST (Configuration, TextEndingInsideACharacterReferenceIsRejected)
{
    Settings settings;
    settings.loadDefaultConfig();
    const auto before = settings.config;

    // Each text at every length modulo 4, so that one of them ends exactly where the string's
    // storage does (which an address sanitizer then checks).
    for (const std::string text : { "<Config>&#x", "<Config>&#x4", "<Config a=\"&#x", "<Config>&#", "<Config><!", "<Config>&" })
    {
        for (const std::string padding : { "", " ", "  ", "   " })
        {
            loadBytes (settings, padding + text);
            EXPECT_EQ (settings.config, before) << text;
        }
    }

    // Trailing white space after the root element changes nothing.
    loadBytes (settings, "<Config><Device name=\"Box\"/></Config>");
    EXPECT_EQ (settings.config.getNumChildren(), 1);
}

TEST (Configuration, StartupPrefersTheFileBesideTheExecutable)
{
    const auto beside = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("config");
    ASSERT_FALSE (beside.exists()) << "left over from an earlier run: " << beside.getFullPathName();

    struct Cleanup
    {
        juce::File file;
        ~Cleanup() { file.deleteRecursively(); }
    } cleanup { beside };

    Settings settings;
    settings.loadStartupConfig();
    ASSERT_TRUE (settings.config.hasType ("Config"));
    EXPECT_EQ (settings.config.getNumChildren(), 3);

    // A folder of that name is passed over. Other tests may start the program's start-up at the
    // same time, so the folder and the file hold nothing that would change what they see.
    ASSERT_TRUE (beside.createDirectory());
    Settings withFolder;
    withFolder.loadStartupConfig();
    EXPECT_TRUE (withFolder.config.hasType ("Config"));
    ASSERT_TRUE (beside.deleteRecursively());

    auto text = juce::String::fromUTF8 (BinaryData::Default_config, BinaryData::Default_configSize);
    text = text.replace ("<Config>", "<LocalConfig>").replace ("</Config>", "</LocalConfig>");
    ASSERT_TRUE (beside.replaceWithText (text, false, false, nullptr));
    Settings withFile;
    withFile.loadStartupConfig();
    EXPECT_TRUE (withFile.config.hasType ("LocalConfig"));
    EXPECT_EQ (withFile.config.getNumChildren(), 3);
}
