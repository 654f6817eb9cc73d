#pragma once

// A user profile of its own for a test process under Wine.

#include <string>

namespace win
{
/** Under Wine only: gives this process a user profile of its own, C:\users\<name> with its
    application-data folders, in place of the one that all programs of the Wine prefix share (as a
    HOME of its own does elsewhere). Returns the profile folder in UTF-8, or an empty string when
    not running under Wine or when the folders cannot be made. */
std::string useOwnWineUserProfile (const std::string& name);
} // namespace win
