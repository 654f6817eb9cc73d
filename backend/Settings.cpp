#include "backend/Settings.h"

#include "BinaryData.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace
{
// JUCE would put the file straight into the home folder on Linux; there it belongs in ~/.config.
#if JUCE_WINDOWS
constexpr const char* userSettingsFolder = "Kelvaro";
#else
constexpr const char* userSettingsFolder = ".config/Kelvaro";
#endif

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

/** Far deeper than any configuration (which nests five deep), and shallow enough that the XML
    parser and the tree conversion, which recurse once per level, stay well inside the stack of
    any thread on any platform. */
constexpr int maximumNestingDepth = 256;

/** A quick scan, not a parser, for the two kinds of document that JUCE's XML parser cannot
    finish: one nested so deep that its recursion overflows the stack, and one whose element
    content has a processing instruction followed by text ("<a><?pi?>text</a>"), on which it loops
    for ever. It skips comments, CDATA sections, declarations and quoted attribute values, and
    counts start tags up and end tags down. Text that is not XML at all may be counted wrongly;
    the parser refuses that anyway. */
bool parserWouldNotFinish (const juce::String& text)
{
    auto p = text.getCharPointer();
    int depth = 0;

    const auto startsWith = [&p] (const char* prefix)
    {
        return p.compareUpTo (juce::CharPointer_UTF8 (prefix), static_cast<int> (std::strlen (prefix))) == 0;
    };

    // Moves past the terminator; false (at the end) when there is none.
    const auto skipPast = [&p] (const char* terminator)
    {
        const auto found = p.indexOf (juce::CharPointer_UTF8 (terminator));

        if (found < 0)
        {
            p = p.findTerminatingNull();
            return false;
        }

        p += found + static_cast<int> (std::strlen (terminator));
        return true;
    };

    while (! p.isEmpty())
    {
        if (*p != '<')
        {
            ++p;
            continue;
        }

        if (startsWith ("<!--"))
        {
            skipPast ("-->");
        }
        else if (startsWith ("<![CDATA["))
        {
            skipPast ("]]>");
        }
        else if (startsWith ("<?"))
        {
            skipPast ("?>");

            // The parser skips white space, comments and instructions here, then takes anything
            // but a tag as text starting back at the instruction, which it skips again...
            if (depth > 0)
            {
                auto q = p;

                for (;;)
                {
                    q.incrementToEndOfWhitespace();

                    const auto afterComment = q.compareUpTo (juce::CharPointer_UTF8 ("<!--"), 4) == 0 ? q.indexOf (juce::CharPointer_UTF8 ("-->")) : -1;
                    const auto afterInstruction = q.compareUpTo (juce::CharPointer_UTF8 ("<?"), 2) == 0 ? q.indexOf (juce::CharPointer_UTF8 ("?>")) : -1;

                    if (afterComment >= 0)
                        q += afterComment + 3;
                    else if (afterInstruction >= 0)
                        q += afterInstruction + 2;
                    else
                        break;
                }

                if (! q.isEmpty() && *q != '<')
                    return true;
            }
        }
        else if (startsWith ("<!"))
        {
            // A DOCTYPE with its internal subset: to the '>' outside brackets.
            for (int brackets = 0; ! p.isEmpty(); ++p)
            {
                const auto c = *p;

                if (c == '[')
                    ++brackets;
                else if (c == ']')
                    --brackets;
                else if (c == '>' && brackets <= 0)
                    break;
            }
        }
        else if (startsWith ("</"))
        {
            depth = juce::jmax (0, depth - 1);
            ++p;
        }
        else
        {
            // A start tag: to its '>', over quoted attribute values; "/>" closes it at once.
            juce::juce_wchar quote = 0, previous = 0;

            for (++p; ! p.isEmpty(); ++p)
            {
                const auto c = *p;

                if (quote != 0)
                {
                    if (c == quote)
                        quote = 0;
                }
                else if (c == '"' || c == '\'')
                {
                    quote = c;
                }
                else if (c == '>')
                {
                    break;
                }

                previous = c;
            }

            if (previous != '/' && ++depth > maximumNestingDepth)
                return true;
        }
    }

    return false;
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
    // A document that would overflow the stack or never finish parsing is refused like any other
    // that does not parse.
    if (parserWouldNotFinish (text))
        return;

    // JUCE's parser steps one character past a broken hexadecimal character reference ("&#x" at
    // the very end would take it beyond the text). Trailing spaces, which XML ignores after the
    // root element and which cannot complete an unfinished one, keep that step inside the text.
    if (auto xml = juce::parseXML (text + "  "))
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
