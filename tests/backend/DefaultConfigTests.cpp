#include "backend/Settings.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

namespace
{
juce::String defaultText()
{
    return juce::String::fromUTF8 (BinaryData::Default_config, BinaryData::Default_configSize);
}

juce::StringArray run (const juce::String& prefix, int first, int last)
{
    juce::StringArray names;
    for (int i = first; i <= last; ++i)
        names.add (prefix + juce::String (i));
    return names;
}

juce::StringArray join (std::initializer_list<juce::StringArray> parts)
{
    juce::StringArray all;
    for (const auto& part : parts)
        all.addArray (part);
    return all;
}

juce::StringArray listNames (const juce::ValueTree& list)
{
    juce::StringArray names;
    for (const auto& entry : list)
        names.add (entry["name"].toString());
    return names;
}
} // namespace

TEST (DefaultConfig, TextForm)
{
    ASSERT_EQ (BinaryData::Default_configSize, 14029);
    EXPECT_EQ (BinaryData::Default_config[BinaryData::Default_configSize], '\0');

    const std::string bytes (BinaryData::Default_config, static_cast<size_t> (BinaryData::Default_configSize));
    EXPECT_EQ (bytes.rfind ("<?xml", 0), std::string::npos);
    ASSERT_GE (bytes.size(), 2u);
    EXPECT_EQ (bytes.substr (bytes.size() - 11), "</Config>\r\n");

    int lines = 0;
    int blankLines = 0;
    size_t start = 0;
    while (start < bytes.size())
    {
        const auto end = bytes.find ("\r\n", start);
        ASSERT_NE (end, std::string::npos) << "unterminated line at byte " << start;
        const auto line = bytes.substr (start, end - start);
        ++lines;

        // Every line holds one element, unindented.
        EXPECT_EQ (line.find_first_of ("\r\n\t"), std::string::npos) << line;
        if (line.empty())
            ++blankLines;
        else
        {
            EXPECT_EQ (line.front(), '<') << line;
            EXPECT_EQ (line.back(), '>') << line;
            EXPECT_EQ (line.find ('<', 1), std::string::npos) << line;
            EXPECT_EQ (line.find (" />"), std::string::npos) << line;
        }
        start = end + 2;
    }
    EXPECT_EQ (lines, 308);
    EXPECT_EQ (blankLines, 0);

    EXPECT_NE (bytes.find ("\r\n<Name name=\"Monitor Out L\"/>\r\n"), std::string::npos);
    EXPECT_NE (bytes.find ("\r\n<Node input=\"DeviceInput\" inputIdx=\"15\" output=\"DeviceOutput\" outputIdx=\"1\"/>\r\n"),
               std::string::npos);
}

TEST (DefaultConfig, ParsesWhole)
{
    const auto text = defaultText();
    EXPECT_EQ (text.length(), 14029);
    EXPECT_TRUE (text.endsWith ("</Config>\r\n"));

    Settings settings;
    settings.loadDefaultConfig();
    ASSERT_TRUE (settings.config.hasType ("Config"));
    ASSERT_EQ (settings.config.getNumChildren(), 3);
    EXPECT_EQ (settings.config.getChild (0)["name"].toString(), "Vantiq Pexa");
    EXPECT_EQ (settings.config.getChild (1)["name"].toString(), "VANTIQ SULKA");
    EXPECT_EQ (settings.config.getChild (2)["name"].toString(), "VANTIQ TROVIK");

    for (const auto& device : settings.config)
    {
        ASSERT_EQ (device.getNumChildren(), 2);
        EXPECT_TRUE (device.getChild (0).hasType ("ChannelNames"));
        EXPECT_TRUE (device.getChild (1).hasType ("Macros"));
    }
}

TEST (DefaultConfig, ChannelLists)
{
    Settings settings;
    settings.loadDefaultConfig();

    const juce::StringArray pins { "ApplicationPlayback", "DeviceInput", "VirtualPlayback",
                                   "DeviceOutput", "ApplicationRecording", "VirtualRecording" };

    const juce::StringArray smallLists[] = {
        { "Monitor Playback L", "Monitor Playback R", "OTG Playback L", "OTG Playback R", "SPDIF Playback L", "SPDIF Playback R" },
        { "Mic/Line/Inst In 1", "Mic/Line/Inst In 2", "OTG In 1", "OTG In 2", "SPDIF In 1", "SPDIF In 2" },
        run ("Virtual Playback ", 1, 4),
        { "Monitor Out L", "Monitor Out R", "OTG Out 1", "OTG Out 2", "SPDIF Out 1", "SPDIF Out 2" },
        { "Mic/Inst/Line Recording 1", "Mic/Inst/Line Recording 2", "OTG Recording 1", "OTG Recording 2",
          "SPDIF Recording 1", "SPDIF Recording 2" },
        run ("Virtual Recording ", 1, 4)
    };

    const juce::StringArray largeLists[] = {
        join ({ { "Monitor Playback L", "Monitor Playback R", "Analog Playback 3", "Analog Playback 4",
                  "Headphones Playback L", "Headphones Playback R", "SPDIF Playback 1", "SPDIF Playback 2" },
                run ("ADAT Playback ", 1, 8) }),
        join ({ run ("Mic/Line/Inst In ", 1, 4), { "SPDIF In 1", "SPDIF In 2" }, run ("ADAT In ", 1, 8) }),
        run ("Virtual Playback ", 1, 4),
        join ({ { "Monitor Out L", "Monitor Out R", "Analog Out 3", "Analog Out 4", "Headphones Out L",
                  "Headphones Out R", "SPDIF Out 1", "SPDIF Out 2" },
                run ("ADAT Out ", 1, 8) }),
        join ({ run ("Mic/Line/Inst Recording ", 1, 4), { "SPDIF Recording 1", "SPDIF Recording 2" },
                run ("ADAT Recording ", 1, 8) }),
        run ("Virtual Recording ", 1, 4)
    };

    const int expectedSizes[3][6] = { { 6, 6, 4, 6, 6, 4 }, { 6, 6, 4, 6, 6, 4 }, { 16, 14, 4, 16, 14, 4 } };

    for (int d = 0; d < 3; ++d)
    {
        const auto lists = settings.config.getChild (d).getChildWithName ("ChannelNames");
        ASSERT_EQ (lists.getNumChildren(), 6);

        for (int k = 0; k < 6; ++k)
        {
            const auto list = lists.getChild (k);
            EXPECT_TRUE (list.hasType ("Names"));
            EXPECT_EQ (list["pin"].toString(), pins[k]);
            EXPECT_EQ (list.getNumChildren(), expectedSizes[d][k]) << "device " << d << " list " << k;
            EXPECT_EQ (listNames (list), d < 2 ? smallLists[k] : largeLists[k]) << "device " << d << " list " << k;

            for (const auto& entry : list)
            {
                EXPECT_TRUE (entry.hasType ("Name"));
                EXPECT_EQ (entry.getNumProperties(), 1);
            }
        }
    }
}

TEST (DefaultConfig, Macros)
{
    Settings settings;
    settings.loadDefaultConfig();

    const char* macroNames[] = { "Playback", "Recording", "Loopback", "Monitor" };
    const Hardware::ChannelKind kinds[4][2] = {
        { Hardware::ApplicationPlayback, Hardware::DeviceOutput },
        { Hardware::DeviceInput, Hardware::ApplicationRecording },
        { Hardware::ApplicationPlayback, Hardware::ApplicationRecording },
        { Hardware::DeviceInput, Hardware::DeviceOutput }
    };
    const std::pair<const char*, int> devices[] = { { "Vantiq Pexa", 2 }, { "VANTIQ SULKA", 6 }, { "VANTIQ TROVIK", 16 } };

    for (const auto& [deviceName, nodeCount] : devices)
    {
        settings.loadDeviceConfig (deviceName);
        ASSERT_EQ (settings.macros.size(), 4u) << deviceName;

        for (int m = 0; m < 4; ++m)
        {
            const auto& macro = settings.macros[(size_t) m];
            EXPECT_EQ (macro.name, macroNames[m]);
            ASSERT_EQ ((int) macro.nodes.size(), nodeCount) << deviceName << " " << macroNames[m];

            for (int i = 0; i < nodeCount; ++i)
            {
                const auto& n = macro.nodes[(size_t) i];
                EXPECT_EQ (n.inputKind, kinds[m][0]);
                EXPECT_EQ (n.inputIndex, i);
                EXPECT_EQ (n.outputKind, kinds[m][1]);
                EXPECT_EQ (n.outputIndex, m == 3 ? i % 2 : i);
            }
        }
    }

    // The node attributes are written in their fixed order.
    const auto firstNode = settings.config.getChild (0).getChildWithName ("Macros").getChild (0).getChild (0);
    ASSERT_EQ (firstNode.getNumProperties(), 4);
    EXPECT_EQ (firstNode.getPropertyName (0).toString(), "input");
    EXPECT_EQ (firstNode.getPropertyName (1).toString(), "inputIdx");
    EXPECT_EQ (firstNode.getPropertyName (2).toString(), "output");
    EXPECT_EQ (firstNode.getPropertyName (3).toString(), "outputIdx");
}
