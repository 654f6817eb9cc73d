#include "platform/WinDebug.h"

#ifdef _WIN32
 #include <windows.h>
#else
 #include <cstdio>
#endif

namespace win
{
void OutputDebugStringA (LPCSTR text)
{
    if (text == nullptr)
        return;

   #ifdef _WIN32
    ::OutputDebugStringA (text);
   #else
    std::fputs (text, stderr);
   #endif
}
} // namespace win
