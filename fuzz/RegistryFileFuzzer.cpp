// Fuzz target: the stand-in registry file parser.
//
// Whatever the bytes, parse() must neither crash nor hang, and whatever it accepts must survive a
// round trip: the text that RegistryFileWriter::toText() writes parses again into the same keys and values and writes
// the same text once more. The loader reads the driver library's path through this parser, and a
// user may edit the file by hand.

#include "fuzz/FuzzTarget.h"

#include "platform/RegistryFile.h"
#include "support/platform/RegistryFileWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace
{
void require (bool condition, const char* what)
{
    if (! condition)
    {
        std::fprintf (stderr, "registry file round trip broken: %s\n", what);
        std::abort();
    }
}

bool sameKeys (const win::RegistryFile& a, const win::RegistryFile& b)
{
    const auto& x = a.getKeys();
    const auto& y = b.getKeys();

    if (x.size() != y.size())
        return false;

    for (std::size_t i = 0; i < x.size(); ++i)
    {
        if (x[i].path != y[i].path || x[i].values.size() != y[i].values.size())
            return false;

        for (std::size_t j = 0; j < x[i].values.size(); ++j)
        {
            const auto& v = x[i].values[j];
            const auto& w = y[i].values[j];

            if (v.name != w.name || v.type != w.type || v.data != w.data)
                return false;
        }
    }

    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes (reinterpret_cast<const char*> (data), size);

    win::RegistryFile registry;

    if (! registry.parse (bytes))
    {
        require (registry.getKeys().empty(), "a refused file left keys behind");
        require (! registry.getError().empty(), "a refused file gave no reason");
        return 0;
    }

    const auto text = win::RegistryFileWriter::toText (registry);

    win::RegistryFile again;
    require (again.parse (text), "the written text does not parse");
    require (sameKeys (registry, again), "the written text parses into other keys");
    require (win::RegistryFileWriter::toText (again) == text, "writing twice gives another text");

    // The lookups the loader makes, with every key and value name the file has, in other case.
    for (const auto& key : registry.getKeys())
    {
        std::string upper (key.path);

        for (auto& c : upper)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char> (c - 'a' + 'A');

        require (registry.hasKey (upper), "a listed key is not found ignoring case");
        const auto* found = registry.findKey (upper);
        require (found != nullptr, "a listed key cannot be looked up");

        for (const auto& value : key.values)
            require (win::RegistryFile::findValue (*found, value.name) != nullptr, "a listed value cannot be looked up");
    }

    // Removing every key from the last one leaves nothing, whatever their nesting.
    while (! again.getKeys().empty())
        again.removeKey (again.getKeys().back().path);

    return 0;
}
