#pragma once

// Event names of its own for a test, benchmark or fuzz process, so that processes running side
// by side (and the real program, which uses the driver's names) never share an event: their copy
// of the stand-in layer puts this prefix before every event name (LayerHost::eventNamePrefix).
// The prefix is empty until the process's main function sets it.
//
//     win::TestEventNames::useOwn ("test");    // "kelvaro-test-<pid>-"

#include <string>

namespace win
{
class TestEventNames
{
public:
    /** Gives this process the prefix "kelvaro-<kind>-<process id>-" and returns it. */
    static std::string useOwn (const std::string& kind);

    /** Uses exactly this prefix from now on, as a helper process takes its parent's; an empty one
        gives the plain names. */
    static void use (const std::string& prefix);

    static std::string prefix();
};
} // namespace win
