#include "platform/WinEvents.h"

#ifdef _WIN32
 #include <windows.h>

namespace win
{
HANDLE CreateEventA (void* securityAttributes, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    return ::CreateEventA (static_cast<LPSECURITY_ATTRIBUTES> (securityAttributes), manualReset, initialState, name);
}

HANDLE OpenEventA (DWORD desiredAccess, BOOL inheritHandle, LPCSTR name)
{
    return ::OpenEventA (static_cast<::DWORD> (desiredAccess), inheritHandle, name);
}

BOOL SetEvent (HANDLE event)
{
    return static_cast<BOOL> (::SetEvent (event));
}

DWORD WaitForMultipleObjects (DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    return static_cast<DWORD> (::WaitForMultipleObjects (static_cast<::DWORD> (count), handles, waitAll,
                                                         static_cast<::DWORD> (milliseconds)));
}

BOOL CloseHandle (HANDLE handle)
{
    return static_cast<BOOL> (::CloseHandle (handle));
}
} // namespace win

#else // POSIX named semaphores with the semantics of an auto-reset event

 #include "platform/WinModules.h"

 #include <atomic>
 #include <cerrno>
 #include <chrono>
 #include <climits>
 #include <cstdint>
 #include <cstdlib>
 #include <cstring>
 #include <fcntl.h>
 #include <semaphore.h>
 #include <string>
 #include <thread>
 #include <unistd.h>

// A semaphore of value 1 is a signalled event, 0 an unsignalled one. SetEvent posts only when
// the value is 0, and a satisfied wait takes the value back to 0 (it drains what two racing
// SetEvent calls may have posted), so the event behaves as if it were at most 1.
//
// Only auto-reset events exist here: CreateEventA with manualReset fails with ERROR_NOT_SUPPORTED.
// The access and inheritance arguments of OpenEventA are ignored.
//
// The semaphore's name is "/" + $KELVARO_EVENT_PREFIX + the event's name, with '/' and control
// characters replaced by '_'. The handle that created the name removes it (sem_unlink) when it is
// closed; handles still open keep working, but the name can no longer be opened. A name left
// behind by a run that crashed is simply opened again by the next CreateEventA (which then
// reports ERROR_ALREADY_EXISTS) together with any signal still pending in it: one spurious
// wake-up, which the event's users tolerate anyway.
//
// A handle is a plain record that every copy of this code in the process can use (the driver
// library links a copy of its own and may be given a handle created by the program), so it is
// recognised by its tag rather than through a table of one copy.

namespace win
{
namespace
{
constexpr DWORD errorTooManyOpenFiles = 4;    // ERROR_TOO_MANY_OPEN_FILES
constexpr DWORD errorNotEnoughMemory  = 8;    // ERROR_NOT_ENOUGH_MEMORY
constexpr DWORD errorFilenameTooLong  = 206;  // ERROR_FILENAME_EXCED_RANGE

// Linux keeps semaphores as "sem.<name>" files in /dev/shm, whose names are at most NAME_MAX.
constexpr std::size_t maximumNameLength = NAME_MAX - 4;

struct EventHandle
{
    static constexpr std::uint32_t liveTag = 0x4B455654;   // "KEVT"

    std::uint32_t tag = liveTag;
    sem_t* semaphore = nullptr;
    char nameToRemove[NAME_MAX + 1] = {};                   // set for the handle that created the name
};

EventHandle* toEvent (HANDLE handle) noexcept
{
    auto* event = static_cast<EventHandle*> (handle);
    return event != nullptr && event->tag == EventHandle::liveTag ? event : nullptr;
}

DWORD errorFromErrno (int error) noexcept
{
    switch (error)
    {
        case ENOENT:       return ERROR_FILE_NOT_FOUND;
        case EACCES:       return ERROR_ACCESS_DENIED;
        case EMFILE:
        case ENFILE:       return errorTooManyOpenFiles;
        case ENOMEM:
        case ENOSPC:       return errorNotEnoughMemory;
        case ENAMETOOLONG: return errorFilenameTooLong;
        default:           return ERROR_INVALID_PARAMETER;
    }
}

void appendSanitised (std::string& out, const char* text)
{
    for (; *text != 0; ++text)
    {
        const auto c = static_cast<unsigned char> (*text);
        out += (c == '/' || c < 0x20 || c == 0x7F) ? '_' : static_cast<char> (c);
    }
}

std::string semaphoreName (const char* eventName)
{
    std::string name = "/";

    if (const char* prefix = std::getenv ("KELVARO_EVENT_PREFIX"))
        appendSanitised (name, prefix);

    appendSanitised (name, eventName);
    return name;
}

HANDLE makeHandle (sem_t* semaphore, const std::string& nameToRemove)
{
    auto* event = new EventHandle();
    event->semaphore = semaphore;
    std::strncpy (event->nameToRemove, nameToRemove.c_str(), sizeof (event->nameToRemove) - 1);
    return event;
}

HANDLE fail (DWORD error)
{
    SetLastError (error);
    return nullptr;
}

// An event without a name: a semaphore whose name is removed at once.
HANDLE createAnonymousEvent (BOOL initialState)
{
    static const std::string base = semaphoreName ("anonymous-") + std::to_string (::getpid()) + "-";
    static std::atomic<std::uint64_t> counter { 0 };
    const auto copyId = std::to_string (reinterpret_cast<std::uintptr_t> (&counter));   // one per copy of this code

    for (int attempt = 0; attempt < 100; ++attempt)
    {
        const auto name = base + copyId + "-" + std::to_string (counter++);
        auto* semaphore = ::sem_open (name.c_str(), O_CREAT | O_EXCL, 0600, initialState ? 1u : 0u);

        if (semaphore != SEM_FAILED)
        {
            ::sem_unlink (name.c_str());
            SetLastError (ERROR_SUCCESS);
            return makeHandle (semaphore, {});
        }

        if (errno != EEXIST)
            return fail (errorFromErrno (errno));
    }

    return fail (ERROR_ALREADY_EXISTS);
}
} // namespace

HANDLE CreateEventA (void*, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    if (manualReset)
        return fail (ERROR_NOT_SUPPORTED);

    if (name == nullptr || *name == 0)
        return createAnonymousEvent (initialState);

    const auto fullName = semaphoreName (name);

    if (fullName.size() - 1 > maximumNameLength)
        return fail (errorFilenameTooLong);

    // Creating and opening are two steps; a creator that closes its handle in between removes
    // the name, and then creating is tried again.
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        auto* semaphore = ::sem_open (fullName.c_str(), O_CREAT | O_EXCL, 0600, initialState ? 1u : 0u);

        if (semaphore != SEM_FAILED)
        {
            SetLastError (ERROR_SUCCESS);
            return makeHandle (semaphore, fullName);
        }

        if (errno != EEXIST)
            return fail (errorFromErrno (errno));

        semaphore = ::sem_open (fullName.c_str(), 0);

        if (semaphore != SEM_FAILED)
        {
            SetLastError (ERROR_ALREADY_EXISTS);
            return makeHandle (semaphore, {});
        }

        if (errno != ENOENT)
            return fail (errorFromErrno (errno));
    }

    return fail (ERROR_ACCESS_DENIED);
}

HANDLE OpenEventA (DWORD, BOOL, LPCSTR name)
{
    if (name == nullptr || *name == 0)
        return fail (ERROR_INVALID_PARAMETER);

    const auto fullName = semaphoreName (name);

    if (fullName.size() - 1 > maximumNameLength)
        return fail (errorFilenameTooLong);

    auto* semaphore = ::sem_open (fullName.c_str(), 0);

    if (semaphore == SEM_FAILED)
        return fail (errorFromErrno (errno));

    SetLastError (ERROR_SUCCESS);
    return makeHandle (semaphore, {});
}

BOOL SetEvent (HANDLE handle)
{
    auto* event = toEvent (handle);

    if (event == nullptr)
    {
        SetLastError (ERROR_INVALID_HANDLE);
        return 0;
    }

    int value = 0;

    if (::sem_getvalue (event->semaphore, &value) == 0 && value > 0)
        return 1;

    if (::sem_post (event->semaphore) != 0)
    {
        SetLastError (errorFromErrno (errno));
        return 0;
    }

    return 1;
}

DWORD WaitForMultipleObjects (DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr)
    {
        SetLastError (ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }

    // Waiting for all of several semaphores at once cannot be done atomically here.
    if (waitAll && count > 1)
    {
        SetLastError (ERROR_NOT_SUPPORTED);
        return WAIT_FAILED;
    }

    EventHandle* events[MAXIMUM_WAIT_OBJECTS] = {};

    for (DWORD i = 0; i < count; ++i)
    {
        events[i] = toEvent (handles[i]);

        if (events[i] == nullptr)
        {
            SetLastError (ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (milliseconds);

    while (true)
    {
        for (DWORD i = 0; i < count; ++i)
        {
            if (::sem_trywait (events[i]->semaphore) == 0)
            {
                // Reset: also take what a racing SetEvent may have added.
                while (::sem_trywait (events[i]->semaphore) == 0)
                {
                }

                return WAIT_OBJECT_0 + i;
            }
        }

        if (milliseconds != INFINITE && std::chrono::steady_clock::now() >= deadline)
            return WAIT_TIMEOUT;

        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }
}

BOOL CloseHandle (HANDLE handle)
{
    auto* event = toEvent (handle);

    if (event == nullptr)
    {
        SetLastError (ERROR_INVALID_HANDLE);
        return 0;
    }

    event->tag = 0;
    ::sem_close (event->semaphore);

    if (event->nameToRemove[0] != 0)
        ::sem_unlink (event->nameToRemove);

    delete event;
    return 1;
}
} // namespace win
#endif
