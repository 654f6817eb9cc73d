#include "platform/EventName.h"

#include "platform/LayerHost.h"

#ifndef _WIN32
 #include <unistd.h>
#endif

namespace win
{
namespace
{
#ifdef _WIN32
bool isReplaced (unsigned char c) noexcept { return c == '\\'; }
#else
bool isReplaced (unsigned char c) noexcept { return c == '/' || c < 0x20 || c == 0x7F; }
#endif

void appendSanitised (std::string& out, const std::string& text)
{
    for (const auto c : text)
        out += isReplaced (static_cast<unsigned char> (c)) ? '_' : c;
}
} // namespace

std::string EventName::of (const char* name)
{
   #ifdef _WIN32
    std::string result;
    appendSanitised (result, LayerHost::eventNamePrefix());
    return result + name;
   #else
    return ofUser (name, static_cast<unsigned int> (::geteuid()));
   #endif
}

#ifndef _WIN32
std::string EventName::ofUser (const char* name, unsigned int userId)
{
    std::string result = "/event." + std::to_string (userId) + ".";
    appendSanitised (result, LayerHost::eventNamePrefix() + name);
    return result;
}
#endif
} // namespace win
