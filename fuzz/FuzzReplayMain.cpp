// Runs a fuzz target without libFuzzer: every file named on the command line, and every file in
// every folder named there, is handed to LLVMFuzzerTestOneInput once. This keeps the targets
// building with any compiler and lets CTest replay the seed corpus and any crash file found.

#include "fuzz/FuzzTarget.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>


namespace
{
bool replay (const std::filesystem::path& file)
{
    std::ifstream stream (file, std::ios::binary);

    if (! stream)
    {
        std::fprintf (stderr, "cannot read %s\n", file.string().c_str());
        return false;
    }

    const std::vector<char> bytes { std::istreambuf_iterator<char> (stream), std::istreambuf_iterator<char>() };
    LLVMFuzzerTestOneInput (reinterpret_cast<const std::uint8_t*> (bytes.data()), bytes.size());
    return true;
}
} // namespace

int main (int argc, char** argv)
{
    int replayed = 0;
    bool ok = true;

    for (int i = 1; i < argc; ++i)
    {
        const std::filesystem::path path (argv[i]);

        if (std::filesystem::is_directory (path))
        {
            for (const auto& entry : std::filesystem::recursive_directory_iterator (path))
            {
                if (entry.is_regular_file())
                {
                    ok = replay (entry.path()) && ok;
                    ++replayed;
                }
            }
        }
        else
        {
            ok = replay (path) && ok;
            ++replayed;
        }
    }

    std::printf ("replayed %d inputs\n", replayed);
    return ok ? 0 : 1;
}
