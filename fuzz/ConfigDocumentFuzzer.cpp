// Fuzz target: the configuration document, the file "config" that a user may put beside the
// executable.
//
// The bytes go through the program's own path: Settings::loadConfigFile reads them from a file,
// then Settings::loadDeviceConfig takes every device entry the document names (and the three
// models of the compiled-in default), and the widgets' name lookups run over the result. Whatever
// the bytes, nothing may crash or hang, and a document that does not load leaves the default tree
// in force.

#include "fuzz/FuzzTarget.h"

#include "backend/Settings.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{
void require (bool condition, const char* what)
{
    if (! condition)
    {
        std::fprintf (stderr, "configuration document: %s\n", what);
        std::abort();
    }
}

struct Fixture
{
    Fixture()
    {
        // tmpfs when there is one: the target writes a file per input.
        const juce::File shm ("/dev/shm");
        const auto folder = shm.isDirectory() ? shm : juce::File::getSpecialLocation (juce::File::tempDirectory);
        file = folder.getNonexistentChildFile ("kelvaro-fuzz-config", ".xml", false);

        settings->loadDefaultConfig();
        defaultTree = settings->config;
    }

    ~Fixture()
    {
        file.deleteFile();
        settings.reset();
        juce::DeletedAtShutdown::deleteAll();   // the typeface caches, as the framework's shut-down would
    }

    std::shared_ptr<Settings> settings = Settings::getInstance();
    juce::ValueTree defaultTree;
    juce::File file;
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void checkLookups (const Settings& settings)
{
    for (const auto& [kind, names] : settings.channelNames)
    {
        require (settings.getChannelName ({ kind, names.size() }).startsWith ("Unnamed "), "a name beyond the list");
        require (settings.getChannelName ({ kind, -1 }) == "Unnamed -1", "a name for a negative index");

        for (int i = 0; i < names.size(); ++i)
            require (settings.getChannelName ({ kind, i }) == names[i], "a listed name not found");
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto& f = fixture();
    auto& settings = *f.settings;

    if (! f.file.replaceWithData (data, size))
        return 0;

    settings.config = f.defaultTree;
    settings.channelNames.clear();
    settings.macros.clear();

    settings.loadConfigFile (f.file);
    require (settings.config.isValid(), "the configuration tree became invalid");


    int devices = 0;

    for (const auto& entry : settings.config)
    {
        if (++devices > 64)
            break;

        settings.loadDeviceConfig (entry.getProperty ("name").toString());
        checkLookups (settings);
    }

    for (auto* name : { "Vantiq Pexa", "VANTIQ SULKA", "VANTIQ TROVIK", "" })
    {
        settings.loadDeviceConfig (name);
        checkLookups (settings);
    }

    return 0;
}
