#pragma once

// The name under which an event lives in the operating system: the host's prefix
// (LayerHost::eventNamePrefix) and the event's own name. On Windows a backslash in the prefix
// becomes '_' (it would name a namespace); elsewhere the name is that of a POSIX semaphore, "/"
// followed by prefix and name with '/' and control characters replaced by '_'.

#include <string>

namespace win
{
class EventName
{
public:
    /** The full name of the event called `name` (not null, not empty). */
    static std::string of (const char* name);
};
} // namespace win
