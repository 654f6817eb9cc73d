#include "backend/Settings.h"

#include "BinaryData.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
/** Makes documents that look like configurations, well-formed or nearly so, and damaged copies of
    the default one, so that the loader sees both deep valid structure and every kind of breakage. */
class DocumentMaker
{
public:
    explicit DocumentMaker (std::uint32_t seed) : rng (seed) {}

    std::string next()
    {
        switch (pick (4))
        {
            case 0:  return mutate (defaultDocument());
            case 1:  return randomBytes();
            case 2:  return mutate (structured());
            default: return structured();
        }
    }

    std::string deviceName()
    {
        static const char* names[] = { "Vantiq Pexa", "VANTIQ SULKA", "VANTIQ TROVIK", "", "Box", "vantiq pexa" };
        return names[pick (6)];
    }

private:
    int pick (int count) { return std::uniform_int_distribution<int> (0, count - 1) (rng); }

    static std::string defaultDocument()
    {
        return std::string (BinaryData::Default_config, static_cast<size_t> (BinaryData::Default_configSize));
    }

    std::string randomBytes()
    {
        std::string bytes (static_cast<size_t> (pick (512)), '\0');
        for (auto& c : bytes)
            c = static_cast<char> (pick (256));
        return bytes;
    }

    std::string value()
    {
        static const char* values[] = { "DeviceInput", "deviceoutput", "ApplicationPlayback", "VirtualRecording",
                                        "", " 7", "3x", "-1", "x3", "2147483648", "-99999999999999999999",
                                        "&amp;", "&#x0;", "&#1114112;", "\xC3\xA9", "\xFF\xFE", "Box", "Vantiq Pexa",
                                        "&#x", "&e;" };
        return values[pick (20)];
    }

    std::string attributes()
    {
        static const char* names[] = { "name", "pin", "input", "inputIdx", "output", "outputIdx", "base64:name", "x" };
        std::string text;
        for (int i = pick (5); i > 0; --i)
            text += std::string (" ") + names[pick (8)] + "=\"" + value() + "\"";
        return text;
    }

    std::string element (int depth)
    {
        static const char* tags[] = { "Config", "Device", "ChannelNames", "Names", "Name", "Macros", "Macro", "Node", "a" };
        const std::string tag = tags[pick (9)];
        auto text = "<" + tag + attributes();

        if (depth > 6 || pick (3) == 0)
            return text + "/>";

        text += ">";
        for (int i = pick (6); i > 0; --i)
            text += pick (8) == 0 ? std::string ("text &lt; &e; <![CDATA[x]]><!-- c -->") : element (depth + 1);
        return text + "</" + tag + ">";
    }

    std::string structured()
    {
        static const char* prologues[] = { "", "<?xml version=\"1.0\"?>", "<!-- note -->",
                                           "<!DOCTYPE Config [<!ENTITY e \"<Name name='x'/>&#x\">]>" };
        return prologues[pick (4)] + element (0);
    }

    std::string mutate (std::string text)
    {
        for (int i = 1 + pick (8); i > 0 && ! text.empty(); --i)
        {
            const auto at = static_cast<size_t> (pick (static_cast<int> (text.size())));
            switch (pick (4))
            {
                case 0:  text[at] = static_cast<char> (pick (256)); break;
                case 1:  text.erase (at, static_cast<size_t> (pick (64))); break;
                case 2:  text.insert (at, text.substr (static_cast<size_t> (pick (static_cast<int> (text.size()))), 40)); break;
                default: text.resize (at); break;
            }
        }
        return text;
    }

    std::mt19937 rng;
};
} // namespace

TEST (ConfigurationFuzz, ArbitraryDocumentsNeitherCrashNorHang)
{
    DocumentMaker maker (20240611u);
    const juce::TemporaryFile file ("fuzz.config");
    auto settings = std::make_unique<Settings>();
    const auto started = juce::Time::getMillisecondCounterHiRes();

    for (int round = 0; round < 2000; ++round)
    {
        if (round % 100 == 0)
            settings = std::make_unique<Settings>();

        const auto bytes = maker.next();
        ASSERT_TRUE (file.getFile().replaceWithData (bytes.data(), bytes.size()));
        settings->loadConfigFile (file.getFile());

        for (int i = 0; i < 3; ++i)
            settings->loadDeviceConfig (juce::String::fromUTF8 (maker.deviceName().c_str()));

        for (const auto& [kind, names] : settings->channelNames)
        {
            EXPECT_EQ (settings->getChannelName ({ kind, -1 }), "Unnamed -1");
            EXPECT_EQ (settings->getChannelName ({ kind, names.size() }), "Unnamed " + juce::String (names.size()));
        }
    }

    // A generous bound: the whole run takes well under a second on a normal machine.
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - started, 60000.0);
}
