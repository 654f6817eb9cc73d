#include "support/platform/TestEnvironment.h"

#ifdef _WIN32
 #include <cstdlib>
 #include <windows.h>

namespace win
{
bool setEnvironmentVariable (const char* name, const char* value)
{
    // _putenv_s updates the C runtime's copy and the process environment block alike, but takes
    // an empty value for a removal: the block then gets the empty value on its own.
    if (name == nullptr || ::_putenv_s (name, value != nullptr ? value : "") != 0)
        return false;

    return value == nullptr || *value != 0 || ::SetEnvironmentVariableA (name, "") != 0;
}
} // namespace win

#else
 #include <cstdlib>

namespace win
{
bool setEnvironmentVariable (const char* name, const char* value)
{
    if (name == nullptr)
        return false;

    return (value != nullptr ? ::setenv (name, value, 1) : ::unsetenv (name)) == 0;
}
} // namespace win
#endif
