// Hostile or damaged input files, each with the quiet outcome the program promises: a "config"
// file that is binary, huge or nested without end; a user settings file that is cut short or not
// XML; a registry that names a file that is no library. Nothing crashes, nothing is reported, and
// what was in force stays in force.

#include "backend/HardwareBackend.h"
#include "backend/Settings.h"
#include "driver/TUsbAudioApiDll.h"
#include "support/platform/RegistryFixture.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
void loadBytes (Settings& settings, const std::string& bytes)
{
    const juce::TemporaryFile file (".config");
    ASSERT_TRUE (file.getFile().replaceWithData (bytes.data(), bytes.size()));
    settings.loadConfigFile (file.getFile());
}

std::string nested (int depth)
{
    std::string text = "<Config><Device name=\"Box\"><ChannelNames><Names pin=\"DeviceInput\"><Name name=\"a\"/>";

    for (int i = 4; i < depth; ++i)
        text += "<x>";

    for (int i = 4; i < depth; ++i)
        text += "</x>";

    return text + "</Names></ChannelNames></Device></Config>";
}

/** The default tree is kept, and with it the default names of the largest interface. */
void expectDefaultInForce (Settings& settings, const juce::ValueTree& before)
{
    EXPECT_EQ (settings.config, before);   // the very same tree object
    settings.loadDeviceConfig ("VANTIQ TROVIK");
    EXPECT_EQ (settings.getChannelName ({ Hardware::DeviceInput, 13 }), "ADAT In 8");
    EXPECT_EQ (settings.macros.size(), 4u);
}
} // namespace

//==============================================================================
TEST (BadConfigFile, BinaryFileKeepsTheDefault)
{
    Settings settings;
    settings.loadDefaultConfig();
    const auto before = settings.config;

    std::mt19937 random (20240601);
    std::string bytes (64 * 1024, '\0');

    for (auto& b : bytes)
        b = static_cast<char> (random());

    loadBytes (settings, bytes);
    loadBytes (settings, std::string ("\x7F" "ELF\x02\x01\x01", 7) + bytes);   // an executable's start
    loadBytes (settings, std::string ("\x89PNG\r\n\x1A\n", 8) + bytes);
    expectDefaultInForce (settings, before);
}

TEST (BadConfigFile, DeeplyNestedFileIsRefusedAndTheDefaultStays)
{
    Settings settings;
    settings.loadDefaultConfig();
    const auto before = settings.config;

    // Deep enough to overflow any stack if the parser were let at it.
    std::string deep;

    for (int i = 0; i < 200000; ++i)
        deep += "<a>";

    loadBytes (settings, deep);
    loadBytes (settings, deep + std::string (deep.size() / 3 * 4, ' '));
    loadBytes (settings, nested (100000));
    expectDefaultInForce (settings, before);
}

TEST (BadConfigFile, NestingUpTo256LevelsIsAnOrdinaryDocument)
{
    Settings settings;
    settings.loadDefaultConfig();
    const auto before = settings.config;

    loadBytes (settings, nested (257));
    EXPECT_EQ (settings.config, before);

    // Comments, CDATA and quoted values that look like tags do not count as levels.
    std::string decoys;

    for (int i = 0; i < 300; ++i)
        decoys += "<!-- <a> --><![CDATA[<b>]]><x v=\"<c>\" w='<d>'/><?pi <e>?>";

    loadBytes (settings, "<!DOCTYPE Config [<!ELEMENT Config ANY>]>" + nested (256).insert (8, decoys));
    ASSERT_NE (settings.config, before);
    settings.loadDeviceConfig ("Box");
    EXPECT_EQ (settings.getChannelName ({ Hardware::DeviceInput, 0 }), "a");
}

TEST (BadConfigFile, InstructionBeforeTextInContentIsRefusedInsteadOfHanging)
{
    Settings settings;
    settings.loadDefaultConfig();
    const auto before = settings.config;

    // The framework's parser never returns on these.
    loadBytes (settings, "<Config><?pi?>text</Config>");
    loadBytes (settings, "<Config>text<?pi?>more<Device name=\"Box\"/></Config>");
    loadBytes (settings, "<Config><Device name=\"Box\"> <?a?><!-- c --><?b?> x</Device></Config>");
    expectDefaultInForce (settings, before);

    // Instructions before tags, in the prolog or inside attribute values are ordinary.
    loadBytes (settings, "<?xml version=\"1.0\"?><?pi?>\n<Config><?pi?> <!-- c --><?pi?><Device name=\"a<?x?>b\"/><?pi?></Config>");
    ASSERT_NE (settings.config, before);
    EXPECT_EQ (settings.config.getChild (0).getProperty ("name").toString(), "a<?x?>b");
}

TEST (BadConfigFile, EntityDeclarationsAreRefusedInsteadOfOverflowingTheStack)
{
    Settings settings;
    settings.loadDefaultConfig();
    const auto before = settings.config;

    // An entity that refers to itself, and one whose markup nests 20000 deep: the framework's
    // parser expands both until the stack runs out.
    loadBytes (settings, "<!DOCTYPE a [<!ENTITY e \"x&e;\">]><Config name=\"&e;\"/>");
    std::string deep;

    for (int i = 0; i < 20000; ++i)
        deep += "<b>";

    loadBytes (settings, "<!DOCTYPE a [<!ENTITY e \"" + deep + "\">]><Config>&e;</Config>");
    loadBytes (settings, "<!DOCTYPE a [<!entity n \"Box\">]><Config><Device name=\"&n;\"/></Config>");
    expectDefaultInForce (settings, before);
}

TEST (BadConfigFile, HugeFilesAreReadLikeAnyOtherWithoutTrouble)
{
    Settings settings;
    settings.loadDefaultConfig();
    const auto before = settings.config;
    const std::string defaultDocument (BinaryData::Default_config, static_cast<size_t> (BinaryData::Default_configSize));

    // 20 MB that is no XML: refused.
    std::string junk;
    junk.reserve (20u << 20);

    while (junk.size() < (20u << 20))
        junk += "<Device name=\"x\"><<>>&&;;";

    const auto start = juce::Time::getMillisecondCounterHiRes();
    loadBytes (settings, junk);
    expectDefaultInForce (settings, before);

    // 20 MB of well-formed document: the default entries and a comment of padding. It replaces the
    // default tree as any readable document does, and works.
    auto padded = defaultDocument;
    padded.insert (padded.find ("<Device"), "<!--" + std::string (20u << 20, '-').replace (0, 2, "xx") + "xx-->");
    loadBytes (settings, padded);
    EXPECT_NE (settings.config, before);
    EXPECT_TRUE (settings.config.isEquivalentTo (before));
    settings.loadDeviceConfig ("VANTIQ TROVIK");
    EXPECT_EQ (settings.getChannelName ({ Hardware::DeviceInput, 13 }), "ADAT In 8");

    // Both together in well under the time a user would notice at start-up, even instrumented.
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 30000.0);
}

//==============================================================================
namespace
{
juce::File userSettingsFile()
{
    Settings settings;
    return settings.appProperties.getUserSettings()->getFile();
}

void expectDefaultsThenAGoodFileOnSave (const std::string& damaged)
{
    const auto file = userSettingsFile();
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    ASSERT_TRUE (file.replaceWithData (damaged.data(), damaged.size()));

    {
        Settings settings;
        auto* store = settings.appProperties.getUserSettings();
        ASSERT_NE (store, nullptr);
        EXPECT_FALSE (store->getBoolValue ("advanced", false));
        EXPECT_EQ (settings.getLastDevice(), "");

        // The next save, as switching the view mode makes it.
        store->setValue ("advanced", true);
        EXPECT_TRUE (store->saveIfNeeded());
    }

    const auto xml = juce::parseXML (file);
    ASSERT_NE (xml, nullptr) << file.loadFileAsString();
    EXPECT_TRUE (xml->hasTagName ("PROPERTIES"));
    ASSERT_EQ (xml->getNumChildElements(), 1);
    EXPECT_EQ (xml->getChildElement (0)->getStringAttribute ("name"), "advanced");
    EXPECT_EQ (xml->getChildElement (0)->getStringAttribute ("val"), "1");

    Settings again;
    EXPECT_TRUE (again.appProperties.getUserSettings()->getBoolValue ("advanced", false));
}
} // namespace

TEST (BadUserSettingsFile, TruncatedFileGivesDefaultsAndIsRewrittenWhole)
{
    expectDefaultsThenAGoodFileOnSave ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n<PROPERTIES>\n"
                                       "  <VALUE name=\"device\" val=\"PEXA-0002\"/>\n  <VALUE name=\"advanced\" v");
}

TEST (BadUserSettingsFile, FileThatIsNoXmlGivesDefaultsAndIsRewrittenWhole)
{
    std::string binary (4096, '\0');
    std::mt19937 random (7);

    for (auto& b : binary)
        b = static_cast<char> (random());

    expectDefaultsThenAGoodFileOnSave (binary);
    expectDefaultsThenAGoodFileOnSave ("advanced=1\ndevice=PEXA-0002\n");
    expectDefaultsThenAGoodFileOnSave ("");
}

//==============================================================================
// The backend can be created once per process, and gtest runs each test in a process of its own.
TEST (BadRegistry, PathToAFileThatIsNoLibraryLeavesTheBackendUnconnected)
{
    const juce::TemporaryFile notALibrary (".dll");
    ASSERT_TRUE (notALibrary.getFile().replaceWithText ("MZ this is not a library"));

    win::RegistryFixture registry;
    ASSERT_TRUE (registry.setString ("CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}\\InprocServer32", "",
                                     notALibrary.getFile().getFullPathName().toStdString()));

    auto* backend = HardwareBackend::getInstance();
    ASSERT_NE (backend, nullptr);
    EXPECT_EQ (backend->getApi().module, nullptr);
    EXPECT_FALSE (backend->isConnected());

    backend->selectDevice ({});
    EXPECT_FALSE (backend->isConnected());
    EXPECT_TRUE (backend->getInputs().empty());
    EXPECT_TRUE (backend->getOutputs().empty());
    EXPECT_TRUE (backend->getBufferSizes().empty());
    EXPECT_EQ (backend->getMeterLevel ({ Hardware::DeviceInput, 0 }), -120.0f);
    backend->refreshMeters();

    HardwareBackend::deleteInstance();
}
