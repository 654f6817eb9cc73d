#pragma once

// What an event handle points at elsewhere than on Windows (on Windows this header declares
// nothing): a POSIX named semaphore with the semantics of an auto-reset event, and, for a named
// event, the lock file through which its holders in every process know of each other.
//
// A semaphore of value 1 is a signalled event, 0 an unsignalled one. Setting posts only when the
// value is 0, and a satisfied wait takes the value back to 0 (it drains what two racing posts may
// have added), so the event behaves as if it were at most 1.
//
// Like Windows, the system forgets a named event once no process holds a handle to it, also when
// the last holder crashed: the semaphore "/<name>" and the lock file "/event.<name>" (both in
// /dev/shm on Linux) that a dead process leaves behind are taken for nothing. Every handle keeps
// a shared lock on byte 1 of the lock file (an open-file-description lock, which the system drops
// with the process). Whoever creates or opens the event first takes the exclusive lock on byte 0,
// which serialises them, and then tries to lock byte 1 exclusively: when that succeeds no live
// process holds the event, so a creator makes the semaphore afresh (unsignalled, or as asked) and
// an opener finds no event. The last handle to close removes both names.
//
// A handle is a plain record that every copy of this layer in the process can use (the driver
// library links a copy of its own and may be given a handle created by the program), so it is
// recognised by its tag rather than through a table of one copy.

#ifndef _WIN32
 #include "platform/WinTypes.h"

 #include <climits>
 #include <cstdint>
 #include <semaphore.h>
 #include <string>

namespace win
{
class EventObject
{
public:
    /** The longest event name (with its prefix) that fits the names of the semaphore and the lock file. */
    static constexpr std::size_t maximumNameLength = NAME_MAX - 6;

    /** The record behind a handle that a copy of this layer made and has not closed; null otherwise. */
    static EventObject* fromHandle (HANDLE handle) noexcept;

    /** A handle to the event with this full name (EventName::of), or null with `error` set. With
        `mayCreate` an event that no live process holds is made afresh with the given state and
        `created` is set; without it there is then no such event (ERROR_FILE_NOT_FOUND). */
    static HANDLE open (const std::string& fullName, bool mayCreate, bool initialState, bool& created, DWORD& error);

    /** An event without a name, which no other process can reach. */
    static HANDLE anonymous (bool initialState, DWORD& error);

    sem_t* semaphore() const noexcept { return sem; }

    /** Drops this handle; the last one of a named event removes its names. */
    void close() noexcept;

private:
    EventObject() = default;

    static constexpr std::uint32_t liveTag = 0x4B455654;   // "KEVT"

    std::uint32_t tag = liveTag;
    sem_t* sem = nullptr;
    int lockFile = -1;                                      // -1 for an event without a name
    char semaphoreName[NAME_MAX + 1] = {};                  // "/<name>"
    char lockFileName[NAME_MAX + 2] = {};                   // "/event.<name>"; the file name is at most NAME_MAX
};
} // namespace win
#endif
