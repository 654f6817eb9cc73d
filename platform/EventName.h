#pragma once

// The name under which an event lives in the operating system: the host's prefix
// (LayerHost::eventNamePrefix) and the event's own name. On Windows a backslash in the prefix
// becomes '_' (it would name a namespace), and the session keeps each user's names apart.
// Elsewhere the name is that of the file in /dev/shm that holds the event (EventObject):
// "/event.<user id>." followed by prefix and name with '/' and control characters replaced by
// '_'. The effective user's id keeps the events of users who share the machine apart, as a
// session does on Windows; it ends at the first '.', so the names of two users never coincide.

#include <string>

namespace win
{
class EventName
{
public:
    /** The full name of the event called `name` (not null, not empty). */
    static std::string of (const char* name);

   #ifndef _WIN32
    /** The full name of the event called `name` for the user with this id (`of` takes the
        effective user's). */
    static std::string ofUser (const char* name, unsigned int userId);
   #endif
};
} // namespace win
