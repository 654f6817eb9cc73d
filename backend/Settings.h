#pragma once

#include "backend/Hardware.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <unordered_map>
#include <vector>

/** The program's shared look and remembered state: the two Barlow fonts, the palette, the user
    settings file, the configuration tree and the channel names and macros of the open interface.

    One object lives while anybody holds it; everybody reaches it through getInstance().
*/
class Settings
{
public:
    Settings();
    ~Settings();

    /** The live object, created when none is alive. */
    static std::shared_ptr<Settings> getInstance();

    /** Puts the program's typeface name and colours on a look-and-feel. */
    void applyToLookAndFeel (juce::LookAndFeel& lookAndFeel) const;

    /** The serial number stored under "device" in the user settings, or an empty string. */
    juce::String getLastDevice();

    /** The names of the two view modes, simple first. */
    juce::StringArray getModeNames() const;

    /** The display name of a channel, or "Unnamed <index>" when the configuration has none. */
    juce::String getChannelName (Hardware::Channel channel) const;

    /** Replaces the configuration tree with the document in the file, if it reads and parses. */
    void loadConfigFile (const juce::File& file);

    /** Takes the channel names and macros of the named device from the configuration tree. */
    void loadDeviceConfig (const juce::String& deviceName);

    /** Makes the compiled-in default document the configuration tree. */
    void loadDefaultConfig();

    /** Loads the file "config" beside the executable, when there is one. */
    void loadConfigBesideExecutable();

    /** The start-up order: the compiled-in default, then the file beside the executable. */
    void loadStartupConfig();

    juce::Font regularFont;
    juce::Font boldFont;

    juce::Colour lightGrey;
    juce::Colour coral;
    juce::Colour midGrey;
    juce::Colour ebony;
    juce::Colour soot;
    juce::Colour charcoal;
    juce::Colour sand;
    juce::Colour green;
    juce::Colour slate;

    juce::ApplicationProperties appProperties;
    juce::ValueTree config;
    std::unordered_map<Hardware::ChannelKind, juce::StringArray> channelNames;
    std::vector<Hardware::Macro> macros;

private:
    /** Hands out the shared object without keeping it alive itself. */
    struct InstanceHolder
    {
        std::shared_ptr<Settings> get();

        juce::SpinLock lock;
        std::weak_ptr<Settings> instance;
    };

    void setConfigFromText (const juce::String& text);

    JUCE_DECLARE_NON_COPYABLE (Settings)
};
