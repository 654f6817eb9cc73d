#include "platform/EventObject.h"

#ifndef _WIN32
 #include <cerrno>
 #include <chrono>
 #include <cstdio>
 #include <fcntl.h>
 #include <sys/mman.h>
 #include <sys/stat.h>
 #include <thread>
 #include <unistd.h>

namespace win
{
namespace
{
constexpr DWORD errorTooManyOpenFiles = 4;    // ERROR_TOO_MANY_OPEN_FILES
constexpr DWORD errorNotEnoughMemory  = 8;    // ERROR_NOT_ENOUGH_MEMORY
constexpr DWORD errorFilenameTooLong  = 206;  // ERROR_FILENAME_EXCED_RANGE

// The bytes of the file that are locked: one for whoever creates, opens or closes the event, one
// for its holders. The file's content is the semaphore alone.
constexpr off_t creatorByte = 0;
constexpr off_t holderByte = 1;
constexpr off_t fileSize = sizeof (sem_t);

using Clock = std::chrono::steady_clock;

DWORD errorFromErrno (int error) noexcept
{
    switch (error)
    {
        case ENOENT:       return ERROR_FILE_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR:       // EISDIR, ELOOP, ENXIO: a folder, a symbolic link, a socket in the file's place
        case ELOOP:
        case ENXIO:        return ERROR_ACCESS_DENIED;
        case ETIMEDOUT:    return ERROR_TIMEOUT;
        case EMFILE:
        case ENFILE:       return errorTooManyOpenFiles;
        case ENOMEM:
        case ENOSPC:       return errorNotEnoughMemory;
        case ENAMETOOLONG: return errorFilenameTooLong;
        default:           return ERROR_INVALID_PARAMETER;
    }
}

bool lockByte (int file, short type, off_t byte) noexcept
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;

    int result = 0;

    do
        result = ::fcntl (file, F_OFD_SETLK, &lock);
    while (result != 0 && errno == EINTR);

    return result == 0;
}

// Takes the exclusive lock on the byte, trying again until the deadline (then errno is ETIMEDOUT).
bool lockByteBefore (int file, off_t byte, Clock::time_point deadline) noexcept
{
    for (;;)
    {
        if (lockByte (file, F_WRLCK, byte))
            return true;

        if (errno != EAGAIN && errno != EACCES)
            return false;

        if (Clock::now() >= deadline)
        {
            errno = ETIMEDOUT;
            return false;
        }

        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }
}

Clock::time_point lockDeadline() noexcept
{
    return Clock::now() + std::chrono::milliseconds (EventObject::lockTimeLimitMs);
}

// A regular file of the effective user that neither group nor others may open.
bool isUsersOwn (const struct stat& status) noexcept
{
    return S_ISREG (status.st_mode) && status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

// Whether the name still leads to this file. Once someone else has removed it, whatever carries
// the name now (another event's file, or anything else put there) is not this file's to remove.
bool carriesName (int file, const char* path) noexcept
{
    struct stat own {};
    struct stat named {};
    return ::fstat (file, &own) == 0 && ::lstat (path, &named) == 0
        && own.st_dev == named.st_dev && own.st_ino == named.st_ino;
}

int closeFailing (int file, int error) noexcept
{
    ::close (file);
    errno = error;
    return -1;
}

// Opens the event's file and takes its creator's byte; `status` is the file's after that. The file
// is checked before anything else is done with it. A file that its last holder removed while
// this one waited for the byte is given up for the one that now carries the name.
//
// Whatever is in the file's place is looked at before it is opened, and only a file of the user's
// own is: opening a FIFO lets through a process that waits at its other end, opening a device
// node calls its driver, and a socket cannot be opened at all. Something put there between the
// look and the open is opened without waiting (O_NONBLOCK, which changes nothing for a regular
// file) and without becoming the process's terminal (O_NOCTTY), and then refused by the check of
// the descriptor.
int openFile (const char* path, bool mayCreate, struct stat& status) noexcept
{
    const auto deadline = lockDeadline();
    const int flags = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (mayCreate ? O_CREAT : 0);

    for (;;)
    {
        if (::lstat (path, &status) == 0 && ! isUsersOwn (status))
        {
            errno = EACCES;
            return -1;
        }

        const int file = ::open (path, flags, 0600);

        if (file < 0)
            return -1;

        if (::fstat (file, &status) != 0)
            return closeFailing (file, errno);

        if (! isUsersOwn (status))
            return closeFailing (file, EACCES);

        if (! lockByteBefore (file, creatorByte, deadline) || ::fstat (file, &status) != 0)
            return closeFailing (file, errno);

        if (status.st_nlink > 0)
            return file;

        ::close (file);
    }
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
    std::snprintf (event->path, sizeof (event->path), "%s%s", folder, fullName.c_str());

    struct stat status {};
    const int file = openFile (event->path, mayCreate, status);

    if (file < 0)
    {
        error = errorFromErrno (errno);
        delete event;
        return nullptr;
    }

    event->file = file;

    const bool held = ! lockByte (file, F_WRLCK, holderByte);
    bool usable = true;

    if (held && status.st_size < fileSize)
    {
        errno = EINVAL;
        usable = false;
    }
    else if (! held && ! mayCreate)
    {
        errno = ENOENT;
        usable = false;
    }
    else if (! held)
    {
        usable = ::ftruncate (file, fileSize) == 0;
    }

    if (usable)
    {
        void* memory = ::mmap (nullptr, static_cast<std::size_t> (fileSize), PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
        usable = memory != MAP_FAILED;
        event->sem = usable ? static_cast<sem_t*> (memory) : nullptr;
    }

    if (usable && ! held)
    {
        // Nobody holds the event: whatever the file holds is a dead process's.
        usable = ::sem_init (event->sem, 1, initialState ? 1u : 0u) == 0;
        created = usable;
    }

    // From here on this handle is one of the holders (its exclusive lock becomes a shared one).
    if (! usable || ! lockByte (file, F_RDLCK, holderByte))
    {
        error = errorFromErrno (errno);
        created = false;
        event->close();   // removes the name when nobody holds the event
        return nullptr;
    }

    lockByte (file, F_UNLCK, creatorByte);
    error = ERROR_SUCCESS;
    return event;
}

HANDLE EventObject::anonymous (bool initialState, DWORD& error)
{
    void* memory = ::mmap (nullptr, sizeof (sem_t), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);

    if (memory == MAP_FAILED)
    {
        error = errorFromErrno (errno);
        return nullptr;
    }

    auto* semaphore = static_cast<sem_t*> (memory);
    ::sem_init (semaphore, 0, initialState ? 1u : 0u);

    auto event = new EventObject();
    event->sem = semaphore;
    error = ERROR_SUCCESS;
    return event;
}

void EventObject::close() noexcept
{
    tag = 0;

    if (file < 0)
    {
        ::sem_destroy (sem);
        ::munmap (sem, sizeof (sem_t));
    }
    else
    {
        if (sem != nullptr)
            ::munmap (sem, static_cast<std::size_t> (fileSize));

        // The last holder removes the name, under the creator's byte so that nobody is joining
        // meanwhile. Without that byte in time the name stays: the next creator finds no holder.
        if (lockByteBefore (file, creatorByte, lockDeadline()) && lockByte (file, F_WRLCK, holderByte)
            && carriesName (file, path))
            ::unlink (path);

        ::close (file);
    }

    delete this;
}
} // namespace win
#endif
