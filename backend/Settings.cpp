#include "backend/Settings.h"

#include "backend/XmlParserGuard.h"
#include "platform/WinHost.h"

#include "BinaryData.h"

#include <cstdint>
#include <limits>

namespace
{
// JUCE would put the file straight into the home folder on Linux; there it belongs in ~/.config.
constexpr const char* userSettingsFolder = win::isWindowsBuild ? "Kelvaro" : ".config/Kelvaro";

constexpr std::uint32_t transparent = 0x00000000;

juce::Font makeFont (const char* data, int size)
{
    return juce::Font (juce::Typeface::createSystemTypefaceFor (data, static_cast<size_t> (size)));
}

/** Reads decimal text the way the C library's atoi does: leading white space, one sign, then
    digits up to the first other character; no digits give 0. Values beyond the 32-bit range
    saturate instead of being undefined. */
std::int32_t readIndex (const juce::String& text)
{
    auto p = text.toRawUTF8();

    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')
        ++p;

    const bool negative = (*p == '-');

    if (*p == '-' || *p == '+')
        ++p;

    constexpr std::int64_t limit = std::int64_t { std::numeric_limits<std::int32_t>::max() } + 1;
    std::int64_t value = 0;

    for (; *p >= '0' && *p <= '9'; ++p)
        value = juce::jmin (limit, value * 10 + (*p - '0'));

    if (negative)
        return static_cast<std::int32_t> (-value);

    return static_cast<std::int32_t> (juce::jmin (value, limit - 1));
}

/** Text content means nothing in the document; dropping it first keeps ValueTree's conversion,
    which has no place for it, from complaining. The resulting tree is the same. */
void removeTextContent (juce::XmlElement& element)
{
    element.deleteAllTextElements();

    for (auto* child : element.getChildIterator())
        removeTextContent (*child);
}

juce::ValueTree firstChildOfType (const juce::ValueTree& parent, const juce::Identifier& type)
{
    for (const auto& child : parent)
        if (child.hasType (type))
            return child;

    return {};
}

juce::String attribute (const juce::ValueTree& element, const juce::Identifier& name)
{
    return element.getProperty (name).toString();
}
} // namespace

Settings::Settings()
{
    // The bold font is the one that painting code uses most, so it is made first.
    boldFont = makeFont (BinaryData::BARLOWBOLD_TTF, BinaryData::BARLOWBOLD_TTFSize);
    regularFont = makeFont (BinaryData::BARLOWREGULAR_TTF, BinaryData::BARLOWREGULAR_TTFSize);

    lightGrey = juce::Colour (0xFFE5E5E5);
    coral     = juce::Colour (0xFFF68B68);
    midGrey   = juce::Colour (0xFF666666);
    ebony     = juce::Colour (0xFF000000);
    soot      = juce::Colour (0xFF1A1819);
    charcoal  = juce::Colour (0xFF282627);
    sand      = juce::Colour (0xFFE2A36E);
    green     = juce::Colour (0xFF7CDB73);
    slate     = juce::Colour (0xFF282B2E);

    juce::PropertiesFile::Options options;
    options.applicationName          = "Kelvaro-Mixer";
    options.filenameSuffix           = {};
    options.folderName               = userSettingsFolder;
    options.osxLibrarySubFolder      = "Application Support";
    options.commonToAllUsers         = false;
    options.ignoreCaseOfKeyNames     = false;
    options.doNotSave                = false;
    options.millisecondsBeforeSaving = 3000;
    options.storageFormat            = juce::PropertiesFile::storeAsXML;
    options.processLock              = nullptr;
    appProperties.setStorageParameters (options);
}

Settings::~Settings() = default;

std::shared_ptr<Settings> Settings::getInstance()
{
    static InstanceHolder holder;
    return holder.get();
}

std::shared_ptr<Settings> Settings::InstanceHolder::get()
{
    const juce::SpinLock::ScopedLockType scope (lock);

    if (auto live = instance.lock())
        return live;

    // Not make_shared: the holder's weak reference must not keep the object's memory alive.
    std::shared_ptr<Settings> created (new Settings());
    instance = created;
    return created;
}

void Settings::applyToLookAndFeel (juce::LookAndFeel& lookAndFeel) const
{
    lookAndFeel.setDefaultSansSerifTypefaceName ("BARLOW-BOLD");

    lookAndFeel.setColour (juce::ComboBox::outlineColourId, juce::Colour (transparent));
    lookAndFeel.setColour (juce::ComboBox::textColourId, coral);
    lookAndFeel.setColour (juce::ComboBox::backgroundColourId, ebony);
    lookAndFeel.setColour (juce::PopupMenu::textColourId, coral);
    lookAndFeel.setColour (juce::PopupMenu::backgroundColourId, ebony);
    lookAndFeel.setColour (juce::PopupMenu::highlightedTextColourId, ebony);
    lookAndFeel.setColour (juce::PopupMenu::highlightedBackgroundColourId, coral);
    lookAndFeel.setColour (juce::Label::textColourId, lightGrey);
    lookAndFeel.setColour (juce::DrawableButton::backgroundColourId, juce::Colour (transparent));
    lookAndFeel.setColour (juce::DrawableButton::backgroundOnColourId, juce::Colour (transparent));
    lookAndFeel.setColour (juce::ScrollBar::thumbColourId, midGrey);
    lookAndFeel.setColour (juce::ScrollBar::trackColourId, juce::Colour (transparent));
    lookAndFeel.setColour (juce::ScrollBar::backgroundColourId, juce::Colour (0xFF1A1E1D));
    lookAndFeel.setColour (juce::TextEditor::backgroundColourId, charcoal);
    lookAndFeel.setColour (juce::TextEditor::textColourId, lightGrey);
}

juce::String Settings::getLastDevice()
{
    if (auto* userSettings = appProperties.getUserSettings())
        return userSettings->getValue ("device", {});

    return {};
}

juce::StringArray Settings::getModeNames() const
{
    return { juce::translate ("Simple"), juce::translate ("Advanced") };
}

juce::String Settings::getChannelName (Hardware::Channel channel) const
{
    const auto found = channelNames.find (channel.kind);

    // Compared unsigned, so that a negative index is out of range too.
    if (found != channelNames.end()
        && static_cast<std::uint32_t> (channel.index) < static_cast<std::uint32_t> (found->second.size()))
        return found->second[channel.index];

    return "Unnamed " + juce::String (channel.index);
}

void Settings::setConfigFromText (const juce::String& text)
{
    // JUCE's parser steps one character past a broken hexadecimal character reference ("&#x" at
    // the very end would take it beyond the text). Trailing spaces, which XML ignores after the
    // root element and which cannot complete an unfinished one, keep that step inside the text.
    const auto padded = text + "  ";

    // A text on which the parser would overflow the stack or never return is refused like any
    // other that does not parse.
    if (XmlParserGuard::check (padded) != XmlParserGuard::Verdict::safe)
        return;

    if (auto xml = juce::parseXML (padded))
    {
        removeTextContent (*xml);
        auto tree = juce::ValueTree::fromXml (*xml);

        if (tree.isValid())
            config = tree;
    }
}

void Settings::loadConfigFile (const juce::File& file)
{
    juce::FileInputStream stream (file);

    if (! stream.openedOk())
        return;

    setConfigFromText (stream.readEntireStreamAsString());
}

void Settings::loadDefaultConfig()
{
    setConfigFromText (juce::String::fromUTF8 (BinaryData::Default_config, BinaryData::Default_configSize));
}

void Settings::loadConfigBesideExecutable()
{
    const auto file = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("config");

    if (file.exists() && ! file.isDirectory())
        loadConfigFile (file);
}

void Settings::loadStartupConfig()
{
    loadDefaultConfig();
    loadConfigBesideExecutable();
}

void Settings::loadDeviceConfig (const juce::String& deviceName)
{
    if (! config.isValid())
        return;

    // Made once: an identifier made from text is looked up in the framework's string pool, which
    // would otherwise happen for every attribute of every entry.
    static const juce::Identifier nameId ("name"), pinId ("pin"), inputId ("input"), inputIdxId ("inputIdx"),
                                  outputId ("output"), outputIdxId ("outputIdx"),
                                  channelNamesId ("ChannelNames"), macrosId ("Macros");

    juce::ValueTree device;

    for (const auto& candidate : config)
    {
        // Exact, case-sensitive match: the entry is the interface's product name as reported.
        if (attribute (candidate, nameId) == deviceName)
        {
            device = candidate;
            break;
        }
    }

    if (! device.isValid())
        return; // names and macros of an earlier interface stay in force

    for (const auto& list : firstChildOfType (device, channelNamesId))
    {
        juce::StringArray names;

        for (const auto& entry : list)
            names.add (attribute (entry, nameId));

        channelNames[Hardware::channelKindFromString (attribute (list, pinId))] = std::move (names);
    }

    macros.clear();

    for (const auto& macroElement : firstChildOfType (device, macrosId))
    {
        Hardware::Macro macro;
        macro.name = attribute (macroElement, nameId);

        for (const auto& node : macroElement)
            macro.nodes.push_back ({ Hardware::channelKindFromString (attribute (node, inputId)),
                                     readIndex (attribute (node, inputIdxId)),
                                     Hardware::channelKindFromString (attribute (node, outputId)),
                                     readIndex (attribute (node, outputIdxId)) });

        macros.push_back (std::move (macro));
    }
}
