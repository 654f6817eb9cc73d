#include "simulator/SimulatorEnvironment.h"

#ifdef _WIN32
 #include <windows.h>

bool SimulatorEnvironment::read (const char* name, std::string& value)
{
    if (name == nullptr)
        return false;

    ::SetLastError (ERROR_SUCCESS);
    const auto size = ::GetEnvironmentVariableA (name, nullptr, 0);

    if (size == 0)
    {
        value.clear();
        return ::GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    }

    std::string buffer (size, '\0');
    const auto length = ::GetEnvironmentVariableA (name, buffer.data(), size);
    value.assign (buffer.data(), length < size ? length : 0);
    return true;
}

#else
 #include <cstdlib>

bool SimulatorEnvironment::read (const char* name, std::string& value)
{
    const char* text = name != nullptr ? std::getenv (name) : nullptr;

    if (text == nullptr)
        return false;

    value = text;
    return true;
}
#endif
