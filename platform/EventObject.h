#pragma once

// What an event handle points at elsewhere than on Windows (on Windows this header declares
// nothing): a process-shared POSIX semaphore with the semantics of an auto-reset event. A named
// event's semaphore lies in a file of its own in /dev/shm, "/dev/shm" followed by the full name
// (EventName: "event.<user id>.<prefix and name>"), which also carries the locks through which
// its holders in every process know of each other.
//
// A semaphore of value 1 is a signalled event, 0 an unsignalled one. Setting posts only when the
// value is 0, and a satisfied wait takes the value back to 0 (it drains what two racing posts may
// have added), so the event behaves as if it were at most 1.
//
// Every user can put files into /dev/shm, so the file of an event must be a regular file of the
// effective user that neither group nor others may open; any other (also a symbolic link, a
// folder, a FIFO, a socket or a device node in its place) is refused with ERROR_ACCESS_DENIED and
// left as it is. What the name leads to is looked at before it is opened, so that a FIFO or a
// device node is not even opened; the checks that count look at the open descriptor, and the
// semaphore and the locks are in that one file, so nothing can be swapped in between. (A named
// POSIX semaphore would be a second file in /dev/shm, opened by name only, which could not be
// checked that way.)
//
// Like Windows, the system forgets a named event once no process holds a handle to it, also when
// the last holder crashed: a file that a dead process leaves behind is taken for nothing. Every
// handle keeps a shared lock on byte 1 of the file (an open-file-description lock, which the
// system drops with the process). Whoever creates or opens the event takes the exclusive lock on
// byte 0 first, which serialises them, and then tries to lock byte 1 exclusively: when that
// succeeds no live process holds the event, so a creator sets the semaphore up afresh
// (unsignalled, or as asked) and an opener finds no event and removes the name. The last handle
// to close removes the name, also under the lock on byte 0, if the name still leads to its file
// (what else carries it by then is not the handle's to remove). (The locks are on ranges of the
// file; they have nothing to do with the semaphore stored at its start.)
//
// Nobody waits for byte 0 without a limit, since a process of the same user may hold it and be
// stopped: whoever has not got it within lockTimeLimitMs gives up. A creator or opener then fails
// with ERROR_TIMEOUT (1460); a closer closes its handle all the same and leaves the name, which
// the next creator finds without holders and sets up afresh.
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
    /** The longest full name (EventName::of) without its leading '/': the name of the file. */
    static constexpr std::size_t maximumNameLength = NAME_MAX;

    /** How long a creator, opener or closer tries to get the lock that serialises them. */
    static constexpr int lockTimeLimitMs = 2000;

    /** The record behind a handle that a copy of this layer made and has not closed; null otherwise. */
    static EventObject* fromHandle (HANDLE handle) noexcept;

    /** A handle to the event with this full name (EventName::of), or null with `error` set. With
        `mayCreate` an event that no live process holds is made afresh with the given state and
        `created` is set; without it there is then no such event (ERROR_FILE_NOT_FOUND). A file
        that is not the user's own or that others may open gives ERROR_ACCESS_DENIED, a lock not
        granted in time ERROR_TIMEOUT. */
    static HANDLE open (const std::string& fullName, bool mayCreate, bool initialState, bool& created, DWORD& error);

    /** An event without a name, which no other process can reach. */
    static HANDLE anonymous (bool initialState, DWORD& error);

    sem_t* semaphore() const noexcept { return sem; }

    /** Drops this handle; the last one of a named event removes its name. */
    void close() noexcept;

private:
    EventObject() = default;

    static constexpr std::uint32_t liveTag = 0x4B455654;   // "KEVT"
    static constexpr char folder[] = "/dev/shm";            // where the files of named events are

    std::uint32_t tag = liveTag;
    sem_t* sem = nullptr;                                   // in a shared mapping of the file, or of memory for an event without a name
    int file = -1;                                          // -1 for an event without a name
    char path[sizeof (folder) + NAME_MAX + 1] = {};         // the folder and the full name
};
} // namespace win
#endif
