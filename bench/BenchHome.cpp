#include "bench/BenchHome.h"

#include "support/platform/TestEventNames.h"

#include <juce_core/juce_core.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

BenchHome::BenchHome (const char* simulatedDevices)
{
    char pattern[] = "/tmp/kelvaro-bench-home-XXXXXX";

    if (const char* home = ::mkdtemp (pattern))
    {
        folder = home;
        ::setenv ("HOME", home, 1);
    }

    win::TestEventNames::useOwn ("bench");
    ::setenv ("KELVARO_SIM_DEVICES", simulatedDevices, 1);

    const auto settings = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".config/Kelvaro");
    settings.createDirectory();

    const auto library = juce::String (KELVARO_SIMULATOR_PATH).replace ("\\", "\\\\").replace ("\"", "\\\"");
    settings.getChildFile ("registry.reg")
        .replaceWithText ("Windows Registry Editor Version 5.00\r\n\r\n"
                          "[HKEY_CLASSES_ROOT\\CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}\\InprocServer32]\r\n"
                          "@=\"" + library + "\"\r\n", false, false, nullptr);
}

BenchHome::~BenchHome()
{
    if (! folder.empty())
        juce::File (folder).deleteRecursively();
}
