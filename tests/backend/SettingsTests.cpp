#include "backend/Settings.h"
#include "platform/WinHost.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

namespace
{
// The user's application-data folder on Windows; on Linux ~/.config, whatever XDG says.
juce::File userSettingsFolder()
{
    if (win::isWindowsBuild)
        return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getChildFile ("Kelvaro");

    return juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".config/Kelvaro");
}

// JUCE names the file "<application name>.<suffix>"; with the empty suffix that leaves a trailing
// dot, which Windows drops from file names and Linux keeps.
juce::File userSettingsFile()
{
    return userSettingsFolder().getChildFile ("Kelvaro-Mixer.");
}

Hardware::Channel channel (Hardware::ChannelKind kind, std::int32_t index)
{
    return { kind, index };
}
} // namespace

TEST (Settings, FontsAreTheEmbeddedBarlowFaces)
{
    EXPECT_EQ (BinaryData::BARLOWBOLD_TTFSize, 102940);
    EXPECT_EQ (BinaryData::BARLOWREGULAR_TTFSize, 98812);

    Settings settings;
    ASSERT_NE (settings.boldFont.getTypefacePtr(), nullptr);
    ASSERT_NE (settings.regularFont.getTypefacePtr(), nullptr);
    // JUCE names a typeface made from font data by family and style; on Windows by the font's
    // full name, without a style.
    EXPECT_EQ (settings.boldFont.getTypefacePtr()->getName(), win::isWindowsBuild ? "Barlow Bold" : "Barlow");
    EXPECT_EQ (settings.boldFont.getTypefacePtr()->getStyle(), win::isWindowsBuild ? "" : "Bold");
    EXPECT_EQ (settings.regularFont.getTypefacePtr()->getName(), win::isWindowsBuild ? "Barlow Regular" : "Barlow");
    EXPECT_EQ (settings.regularFont.getTypefacePtr()->getStyle(), win::isWindowsBuild ? "" : "Regular");
    EXPECT_FLOAT_EQ (settings.boldFont.getHeight(), juce::Font().getHeight());
    EXPECT_FLOAT_EQ (settings.regularFont.getHeight(), juce::Font().getHeight());
}

TEST (Settings, PaletteAndFreshState)
{
    Settings settings;
    EXPECT_EQ (settings.lightGrey.getARGB(), 0xFFE5E5E5u);
    EXPECT_EQ (settings.coral.getARGB(), 0xFFF68B68u);
    EXPECT_EQ (settings.midGrey.getARGB(), 0xFF666666u);
    EXPECT_EQ (settings.ebony.getARGB(), 0xFF000000u);
    EXPECT_EQ (settings.soot.getARGB(), 0xFF1A1819u);
    EXPECT_EQ (settings.charcoal.getARGB(), 0xFF282627u);
    EXPECT_EQ (settings.sand.getARGB(), 0xFFE2A36Eu);
    EXPECT_EQ (settings.green.getARGB(), 0xFF7CDB73u);
    EXPECT_EQ (settings.slate.getARGB(), 0xFF282B2Eu);

    EXPECT_FALSE (settings.config.isValid());
    EXPECT_TRUE (settings.channelNames.empty());
    EXPECT_TRUE (settings.macros.empty());
    // Constructing opens no file.
    EXPECT_FALSE (userSettingsFolder().exists());
}

TEST (Settings, ApplyToLookAndFeelSetsTheFifteenColours)
{
    Settings settings;
    juce::LookAndFeel_V4 lookAndFeel;
    settings.applyToLookAndFeel (lookAndFeel);

    const std::pair<int, std::uint32_t> expected[] = {
        { juce::ComboBox::outlineColourId, 0x00000000u },
        { juce::ComboBox::textColourId, 0xFFF68B68u },
        { juce::ComboBox::backgroundColourId, 0xFF000000u },
        { juce::PopupMenu::textColourId, 0xFFF68B68u },
        { juce::PopupMenu::backgroundColourId, 0xFF000000u },
        { juce::PopupMenu::highlightedTextColourId, 0xFF000000u },
        { juce::PopupMenu::highlightedBackgroundColourId, 0xFFF68B68u },
        { juce::Label::textColourId, 0xFFE5E5E5u },
        { juce::DrawableButton::backgroundColourId, 0x00000000u },
        { juce::DrawableButton::backgroundOnColourId, 0x00000000u },
        { juce::ScrollBar::thumbColourId, 0xFF666666u },
        { juce::ScrollBar::trackColourId, 0x00000000u },
        { juce::ScrollBar::backgroundColourId, 0xFF1A1E1Du },
        { juce::TextEditor::backgroundColourId, 0xFF282627u },
        { juce::TextEditor::textColourId, 0xFFE5E5E5u }
    };

    for (const auto& [id, argb] : expected)
        EXPECT_EQ (lookAndFeel.findColour (id).getARGB(), argb) << "colour id 0x" << std::hex << id;
}

TEST (Settings, ChannelNamesAndUnnamedFallback)
{
    Settings settings;
    settings.channelNames[Hardware::DeviceInput] = { "First", "Second" };

    EXPECT_EQ (settings.getChannelName (channel (Hardware::DeviceInput, 0)), "First");
    EXPECT_EQ (settings.getChannelName (channel (Hardware::DeviceInput, 1)), "Second");
    EXPECT_EQ (settings.getChannelName (channel (Hardware::DeviceInput, 2)), "Unnamed 2");
    EXPECT_EQ (settings.getChannelName (channel (Hardware::DeviceInput, -1)), "Unnamed -1");
    EXPECT_EQ (settings.getChannelName (channel (Hardware::DeviceInput, 1000)), "Unnamed 1000");
    EXPECT_EQ (settings.getChannelName (channel (Hardware::VirtualPlayback, 0)), "Unnamed 0");
    EXPECT_EQ (settings.getChannelName (channel (Hardware::DeviceOutput, std::numeric_limits<std::int32_t>::min())),
               "Unnamed -2147483648");
}

TEST (Settings, ModeNamesAreTranslated)
{
    Settings settings;
    EXPECT_EQ (settings.getModeNames(), juce::StringArray ({ "Simple", "Advanced" }));

    juce::LocalisedStrings::setCurrentMappings (new juce::LocalisedStrings (
        "language: German\n\"Simple\" = \"Einfach\"\n\"Advanced\" = \"Erweitert\"\n", false));
    EXPECT_EQ (settings.getModeNames(), juce::StringArray ({ "Einfach", "Erweitert" }));
    juce::LocalisedStrings::setCurrentMappings (nullptr);
}

TEST (Settings, SharedInstanceLivesAsLongAsItsHolders)
{
    std::weak_ptr<Settings> first;
    {
        auto a = Settings::getInstance();
        auto b = Settings::getInstance();
        ASSERT_NE (a, nullptr);
        EXPECT_EQ (a.get(), b.get());

        a->loadDefaultConfig();
        a->loadDeviceConfig ("Vantiq Pexa");
        ASSERT_TRUE (b->config.isValid());
        first = a;

        a.reset();
        EXPECT_FALSE (first.expired()); // b still holds it
        EXPECT_EQ (Settings::getInstance().get(), b.get());
    }

    EXPECT_TRUE (first.expired());

    const auto fresh = Settings::getInstance();
    EXPECT_FALSE (fresh->config.isValid());
    EXPECT_TRUE (fresh->channelNames.empty());
    EXPECT_TRUE (fresh->macros.empty());
}

TEST (Settings, UserSettingsStorageOptions)
{
    Settings settings;
    const auto& options = settings.appProperties.getStorageParameters();
    EXPECT_EQ (options.applicationName, "Kelvaro-Mixer");
    EXPECT_EQ (options.filenameSuffix, "");
    EXPECT_EQ (options.folderName, win::isWindowsBuild ? "Kelvaro" : ".config/Kelvaro");
    EXPECT_EQ (options.osxLibrarySubFolder, "Application Support");
    EXPECT_FALSE (options.commonToAllUsers);
    EXPECT_FALSE (options.ignoreCaseOfKeyNames);
    EXPECT_FALSE (options.doNotSave);
    EXPECT_EQ (options.millisecondsBeforeSaving, 3000);   // a change reaches the file by itself after 3 s
    EXPECT_EQ (options.storageFormat, juce::PropertiesFile::storeAsXML);
    EXPECT_EQ (options.processLock, nullptr);
}

TEST (Settings, UserSettingsFileOnDisk)
{
    auto settings = Settings::getInstance();
    auto* store = settings->appProperties.getUserSettings();
    ASSERT_NE (store, nullptr);

    const auto file = userSettingsFile();
    EXPECT_EQ (store->getFile(), file);

    store->setValue ("advanced", true);
    ASSERT_TRUE (store->saveIfNeeded());

    const auto xml = juce::parseXML (file);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "PROPERTIES");
    EXPECT_EQ (xml->getNumAttributes(), 0);
    ASSERT_EQ (xml->getNumChildElements(), 1);
    const auto* value = xml->getChildElement (0);
    EXPECT_EQ (value->getTagName(), "VALUE");
    ASSERT_EQ (value->getNumAttributes(), 2);
    EXPECT_EQ (value->getAttributeName (0), "name");
    EXPECT_EQ (value->getAttributeValue (0), "advanced");
    EXPECT_EQ (value->getAttributeName (1), "val");
    EXPECT_EQ (value->getAttributeValue (1), "1");

    // Written without an explicit save: the pending change reaches the file when the object goes.
    store->setValue ("advanced", false);
    store->setValue ("lastWidth", 1280);
    store->setValue ("lastHeight", 720);
    settings.reset();

    const auto after = juce::parseXML (file);
    ASSERT_NE (after, nullptr);
    ASSERT_EQ (after->getNumChildElements(), 3);
    const std::pair<const char*, const char*> expected[] = {
        { "advanced", "0" }, { "lastWidth", "1280" }, { "lastHeight", "720" }
    };
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ (after->getChildElement (i)->getStringAttribute ("name"), expected[i].first);
        EXPECT_EQ (after->getChildElement (i)->getStringAttribute ("val"), expected[i].second);
    }
}

TEST (Settings, LastDeviceComesFromTheUserSettingsFile)
{
    EXPECT_EQ (Settings().getLastDevice(), "");

    const auto file = userSettingsFile();
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    ASSERT_TRUE (file.replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n"
                                       "  <VALUE name=\"device\" val=\"VTQ-000123\"/>\n"
                                       "  <VALUE name=\"Device\" val=\"other\"/>\n</PROPERTIES>\n"));

    Settings settings;
    EXPECT_EQ (settings.getLastDevice(), "VTQ-000123");
}
