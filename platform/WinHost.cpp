#include "platform/WinHost.h"

#ifdef _WIN32
 #include <windows.h>

namespace win
{
bool isRunningUnderWine()
{
    const auto ntdll = ::GetModuleHandleA ("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress (ntdll, "wine_get_version") != nullptr;
}
} // namespace win

#else

namespace win
{
bool isRunningUnderWine()
{
    return false;
}
} // namespace win
#endif
