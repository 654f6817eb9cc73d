#include "platform/WinHost.h"

#ifdef _WIN32
 #include <cstdlib>
 #include <windows.h>

namespace win
{
bool isRunningUnderWine()
{
    const auto ntdll = ::GetModuleHandleA ("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress (ntdll, "wine_get_version") != nullptr;
}

bool setEnvironmentVariable (const char* name, const char* value)
{
    // _putenv_s updates the C runtime's copy and the process environment block alike; an empty
    // value removes the variable.
    return name != nullptr && ::_putenv_s (name, value != nullptr ? value : "") == 0;
}
} // namespace win

#else
 #include <cstdlib>

namespace win
{
bool isRunningUnderWine()
{
    return false;
}

bool setEnvironmentVariable (const char* name, const char* value)
{
    if (name == nullptr)
        return false;

    return (value != nullptr ? ::setenv (name, value, 1) : ::unsetenv (name)) == 0;
}
} // namespace win
#endif
