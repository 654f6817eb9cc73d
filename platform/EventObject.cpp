#include "platform/EventObject.h"

#ifndef _WIN32
 #include <atomic>
 #include <cerrno>
 #include <cstdio>
 #include <cstring>
 #include <fcntl.h>
 #include <sys/mman.h>
 #include <sys/stat.h>
 #include <unistd.h>

namespace win
{
namespace
{
constexpr DWORD errorTooManyOpenFiles = 4;    // ERROR_TOO_MANY_OPEN_FILES
constexpr DWORD errorNotEnoughMemory  = 8;    // ERROR_NOT_ENOUGH_MEMORY
constexpr DWORD errorFilenameTooLong  = 206;  // ERROR_FILENAME_EXCED_RANGE

// The bytes of the lock file: one for whoever creates or opens the event, one for its holders.
constexpr off_t creatorByte = 0;
constexpr off_t holderByte = 1;

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

bool lockByte (int file, short type, off_t byte, bool wait) noexcept
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;

    int result = 0;

    do
        result = ::fcntl (file, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock);
    while (result != 0 && errno == EINTR);

    return result == 0;
}

// Opens the event's lock file and takes its creator's byte. A file that its last holder removed
// while this one waited for the byte is given up for the one that now carries the name.
int openLockFile (const char* name, bool mayCreate) noexcept
{
    for (;;)
    {
        const int file = ::shm_open (name, O_RDWR | (mayCreate ? O_CREAT : 0), 0600);

        if (file < 0)
            return -1;

        if (! lockByte (file, F_WRLCK, creatorByte, true))
        {
            const auto error = errno;
            ::close (file);
            errno = error;
            return -1;
        }

        struct stat status {};

        if (::fstat (file, &status) == 0 && status.st_nlink > 0)
            return file;

        ::close (file);
    }
}

// Leaves the lock file and its names when this holder was the last one (the creator's byte is
// held): the names go with it.
void closeLockFile (int file, const char* semaphoreName, const char* lockFileName) noexcept
{
    if (lockByte (file, F_WRLCK, holderByte, false))
    {
        ::sem_unlink (semaphoreName);
        ::shm_unlink (lockFileName);
    }

    ::close (file);
}
} // namespace

EventObject* EventObject::fromHandle (HANDLE handle) noexcept
{
    auto* event = static_cast<EventObject*> (handle);
    return event != nullptr && event->tag == liveTag ? event : nullptr;
}

HANDLE EventObject::open (const std::string& fullName, bool mayCreate, bool initialState, bool& created, DWORD& error)
{
    created = false;

    if (fullName.size() - 1 > maximumNameLength)
    {
        error = errorFilenameTooLong;
        return nullptr;
    }

    auto event = new EventObject();
    std::strncpy (event->semaphoreName, fullName.c_str(), sizeof (event->semaphoreName) - 1);
    std::snprintf (event->lockFileName, sizeof (event->lockFileName), "/event.%s", fullName.c_str() + 1);

    const int file = openLockFile (event->lockFileName, mayCreate);

    if (file < 0)
    {
        error = errorFromErrno (errno);
        delete event;
        return nullptr;
    }

    const bool held = ! lockByte (file, F_WRLCK, holderByte, false);

    if (held)
    {
        event->sem = ::sem_open (event->semaphoreName, 0);
    }
    else if (mayCreate)
    {
        // Nobody holds the event: whatever semaphore is left of it is a dead process's.
        ::sem_unlink (event->semaphoreName);
        event->sem = ::sem_open (event->semaphoreName, O_CREAT | O_EXCL, 0600, initialState ? 1u : 0u);
        created = true;
    }

    // From here on this handle is one of the holders (its exclusive lock becomes a shared one).
    if (event->sem == SEM_FAILED || event->sem == nullptr || ! lockByte (file, F_RDLCK, holderByte, false))
    {
        error = held || mayCreate ? errorFromErrno (errno) : ERROR_FILE_NOT_FOUND;

        if (event->sem != SEM_FAILED && event->sem != nullptr)
            ::sem_close (event->sem);

        closeLockFile (file, event->semaphoreName, event->lockFileName);
        delete event;
        return nullptr;
    }

    lockByte (file, F_UNLCK, creatorByte, false);
    event->lockFile = file;
    error = ERROR_SUCCESS;
    return event;
}

HANDLE EventObject::anonymous (bool initialState, DWORD& error)
{
    // A name that only this copy of the layer in this process makes, removed at once.
    static std::atomic<std::uint64_t> counter { 0 };
    const auto base = "/anonymous-" + std::to_string (::getpid()) + "-"
                    + std::to_string (reinterpret_cast<std::uintptr_t> (&counter)) + "-";

    for (int attempt = 0; attempt < 100; ++attempt)
    {
        const auto name = base + std::to_string (counter++);
        auto* semaphore = ::sem_open (name.c_str(), O_CREAT | O_EXCL, 0600, initialState ? 1u : 0u);

        if (semaphore != SEM_FAILED)
        {
            ::sem_unlink (name.c_str());
            auto event = new EventObject();
            event->sem = semaphore;
            error = ERROR_SUCCESS;
            return event;
        }

        if (errno != EEXIST)
        {
            error = errorFromErrno (errno);
            return nullptr;
        }
    }

    error = ERROR_ALREADY_EXISTS;
    return nullptr;
}

void EventObject::close() noexcept
{
    tag = 0;
    ::sem_close (sem);

    if (lockFile >= 0 && lockByte (lockFile, F_WRLCK, creatorByte, true))
        closeLockFile (lockFile, semaphoreName, lockFileName);
    else if (lockFile >= 0)
        ::close (lockFile);

    delete this;
}
} // namespace win
#endif
