#include "platform/EventName.h"
#include "platform/EventObject.h"
#include "platform/WinEvents.h"
#include "platform/WinModules.h"
#include "platform/driverside/WinEventSignals.h"
#include "support/EventHelperProcess.h"
#include "support/EventSharingRecord.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <future>
#include <iostream>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// The files behind named events on Linux: whose they may be, who may wait for whom, and that the
// handles open at any one time share one event. A file is "/dev/shm" followed by the event's full
// name; its byte 0 is locked by whoever creates, opens or closes the event (EventObject.h).

using namespace win;
using Milliseconds = std::chrono::milliseconds;

namespace
{
std::string eventFile (const char* name)
{
    return "/dev/shm" + EventName::of (name);
}

bool exists (const std::string& path)
{
    struct stat status {};
    return ::lstat (path.c_str(), &status) == 0;
}

DWORD pollEvent (HANDLE event)
{
    return WaitForMultipleObjects (1, &event, 0, 0);
}

bool lockCreatorByte (int file)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;
    return ::fcntl (file, F_OFD_SETLK, &lock) == 0;
}

/** Removes a file that a test put into /dev/shm when the test ends, however it ends. */
struct RemovedAtEnd
{
    ~RemovedAtEnd() { ::unlink (path.c_str()); }
    std::string path;
};

/** A process of this user that holds byte 0 of a file and is stopped there, as one stopped in the
    middle of creating an event would be. It ends with the object (or with the test process). */
class StoppedLockHolder
{
public:
    explicit StoppedLockHolder (const std::string& path)
    {
        const auto* file = path.c_str();
        const auto parent = ::getpid();
        pid = ::fork();

        if (pid == 0)
        {
            // Only calls that are safe after fork(). None of the parent's files (its events'
            // locks among them) live on in this process.
            ::prctl (PR_SET_PDEATHSIG, SIGKILL);

            if (::getppid() != parent)
                ::_exit (2);

            ::close_range (3, ~0u, 0);
            const int held = ::open (file, O_RDWR | O_NOFOLLOW);

            if (held < 0 || ! lockCreatorByte (held))
                ::_exit (1);

            ::raise (SIGSTOP);
            ::_exit (0);
        }

        int status = 0;
        holding = pid > 0 && ::waitpid (pid, &status, WUNTRACED) == pid && WIFSTOPPED (status);
    }

    ~StoppedLockHolder() { end(); }

    bool isHolding() const noexcept { return holding; }

    void end()
    {
        if (pid > 0)
        {
            ::kill (pid, SIGKILL);
            ::waitpid (pid, nullptr, 0);
            pid = -1;
        }
    }

    StoppedLockHolder (const StoppedLockHolder&) = delete;
    StoppedLockHolder& operator= (const StoppedLockHolder&) = delete;

private:
    pid_t pid = -1;
    bool holding = false;
};

template <typename Result>
struct Attempt
{
    Result result {};
    DWORD error = 0;
    Milliseconds took {};
    bool hung = false;
};

/** Calls `call` on a thread of its own. One that has not returned after 6 s hangs: then the holder
    is ended, which frees what it waits for, so that the test fails instead of hanging too. */
template <typename Result>
Attempt<Result> attempt (const std::function<Result()>& call, StoppedLockHolder& holder)
{
    auto future = std::async (std::launch::async, [&call]
    {
        Attempt<Result> a;
        const auto start = std::chrono::steady_clock::now();
        a.result = call();
        a.error = GetLastError();
        a.took = std::chrono::duration_cast<Milliseconds> (std::chrono::steady_clock::now() - start);
        return a;
    });

    const bool hung = future.wait_for (std::chrono::seconds (6)) != std::future_status::ready;

    if (hung)
        holder.end();

    auto a = future.get();
    a.hung = hung;
    return a;
}

Attempt<HANDLE> attemptCreate (const char* name, StoppedLockHolder& holder)
{
    auto a = attempt<HANDLE> ([name] { return CreateEventA (nullptr, 0, 0, name); }, holder);

    if (a.result != nullptr)
        CloseHandle (a.result);

    return a;
}

Attempt<HANDLE> attemptOpen (const char* name, StoppedLockHolder& holder)
{
    auto a = attempt<HANDLE> ([name] { return OpenEventA (EVENT_MODIFY_STATE, 0, name); }, holder);

    if (a.result != nullptr)
        CloseHandle (a.result);

    return a;
}

void expectRefusedAtOnce (const Attempt<HANDLE>& a)
{
    EXPECT_FALSE (a.hung) << "waited for the planted file's lock";
    EXPECT_EQ (a.result, nullptr);
    EXPECT_EQ (a.error, ERROR_ACCESS_DENIED);
    EXPECT_LT (a.took, Milliseconds (500));
}
} // namespace

TEST (EventObjectTests, AFileThatOthersMayOpenIsRefusedWithoutWaiting)
{
    const char* name = "PNPdeviceChange";
    const RemovedAtEnd planted { eventFile (name) };
    const int file = ::open (planted.path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    ASSERT_GE (file, 0) << std::strerror (errno);
    StoppedLockHolder holder (planted.path);
    ASSERT_TRUE (holder.isHolding());

    for (const mode_t mode : std::initializer_list<mode_t> { 0666, 0644, 0640, 0620, 0610, 0604, 0602, 0601 })
    {
        SCOPED_TRACE (testing::Message() << "mode 0" << std::oct << mode);
        ASSERT_EQ (::fchmod (file, mode), 0);
        expectRefusedAtOnce (attemptCreate (name, holder));
        expectRefusedAtOnce (attemptOpen (name, holder));
    }

    ::close (file);
    EXPECT_TRUE (exists (planted.path)) << "a refused file is not for this layer to remove";

    // A symbolic link in the file's place is not followed, not even to a file of the user's own.
    const RemovedAtEnd target { eventFile ("linkTarget") };
    const int targetFile = ::open (target.path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE (targetFile, 0);
    ::close (targetFile);
    ASSERT_EQ (::unlink (planted.path.c_str()), 0);
    ASSERT_EQ (::symlink (target.path.c_str(), planted.path.c_str()), 0);

    SetLastError (0);
    EXPECT_EQ (CreateEventA (nullptr, 0, 0, name), nullptr);
    EXPECT_EQ (GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ (OpenEventA (EVENT_MODIFY_STATE, 0, name), nullptr);
    EXPECT_EQ (GetLastError(), ERROR_ACCESS_DENIED);

    struct stat status {};
    ASSERT_EQ (::stat (target.path.c_str(), &status), 0);
    EXPECT_EQ (status.st_size, 0) << "the link's target was used";

    // Nor is a folder.
    ASSERT_EQ (::unlink (planted.path.c_str()), 0);
    ASSERT_EQ (::mkdir (planted.path.c_str(), 0700), 0);
    EXPECT_EQ (CreateEventA (nullptr, 0, 0, name), nullptr);
    EXPECT_EQ (GetLastError(), ERROR_ACCESS_DENIED);
    ::rmdir (planted.path.c_str());
}

TEST (EventObjectTests, AnotherUsersFileIsRefusedWithoutWaiting)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "planting a file of another user needs root; the files that others may open are tested";

    const char* name = "deviceSettingsChange";
    const RemovedAtEnd planted { eventFile (name) };
    const int file = ::open (planted.path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    ASSERT_GE (file, 0) << std::strerror (errno);
    ASSERT_EQ (::fchown (file, 65534, 65534), 0);
    ::close (file);
    StoppedLockHolder holder (planted.path);
    ASSERT_TRUE (holder.isHolding());

    expectRefusedAtOnce (attemptCreate (name, holder));
    expectRefusedAtOnce (attemptOpen (name, holder));
}

TEST (EventObjectTests, AProcessStoppedWhileCreatingHoldsUpOthersForTwoSecondsAtMost)
{
    const char* name = "PNPdeviceChange";
    const auto path = eventFile (name);
    auto* event = CreateEventA (nullptr, 0, 0, name);
    ASSERT_NE (event, nullptr);
    EXPECT_EQ (SetEvent (event), 1);   // a signal that a later event must not inherit

    StoppedLockHolder holder (path);
    ASSERT_TRUE (holder.isHolding());

    const auto created = attemptCreate (name, holder);
    EXPECT_FALSE (created.hung);
    EXPECT_EQ (created.result, nullptr);
    EXPECT_EQ (created.error, ERROR_TIMEOUT);
    EXPECT_GE (created.took, Milliseconds (EventObject::lockTimeLimitMs));
    EXPECT_LT (created.took, Milliseconds (3000));

    // The last holder closes all the same, and leaves the name to the next creator.
    const auto closed = attempt<BOOL> ([event] { return CloseHandle (event); }, holder);
    EXPECT_FALSE (closed.hung);
    EXPECT_EQ (closed.result, 1);
    EXPECT_LT (closed.took, Milliseconds (3000));
    EXPECT_TRUE (exists (path));

    holder.end();

    // Nobody holds the event left behind: the next creator sets it up afresh.
    auto* fresh = CreateEventA (nullptr, 0, 0, name);
    ASSERT_NE (fresh, nullptr);
    EXPECT_EQ (GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ (pollEvent (fresh), WAIT_TIMEOUT);
    EXPECT_EQ (CloseHandle (fresh), 1);
    EXPECT_FALSE (exists (path));
}

TEST (EventObjectTests, TheLastHolderLeavesTheNameToWhoeverIsJoining)
{
    const char* name = "deviceSettingsChange";
    const auto path = eventFile (name);
    auto* event = CreateEventA (nullptr, 0, 0, name);
    ASSERT_NE (event, nullptr);

    // Someone holds byte 0: it has found the event held and is about to join it.
    const int joiner = ::open (path.c_str(), O_RDWR);
    ASSERT_GE (joiner, 0);
    ASSERT_TRUE (lockCreatorByte (joiner));

    BOOL closed = 0;
    std::thread closer ([event, &closed] { closed = CloseHandle (event); });
    std::this_thread::sleep_for (Milliseconds (200));
    EXPECT_TRUE (exists (path)) << "the last holder removed the name of an event that is being joined";

    ::close (joiner);   // it went without joining after all
    closer.join();
    EXPECT_EQ (closed, 1);
    EXPECT_FALSE (exists (path));
}

TEST (EventObjectTests, ACreatorThatWaitedForARemovedFileUsesTheNameAfterwards)
{
    const char* name = "PNPdeviceChange";
    const RemovedAtEnd file { eventFile (name) };

    // An event whose last holder is closing it: it holds byte 0 and is about to remove the name.
    const int closing = ::open (file.path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE (closing, 0);
    ASSERT_TRUE (lockCreatorByte (closing));

    const int watch = ::inotify_init1 (IN_CLOEXEC);
    ASSERT_GE (watch, 0);
    ASSERT_GE (::inotify_add_watch (watch, file.path.c_str(), IN_OPEN), 0);

    HANDLE created = nullptr;
    DWORD error = 0;
    std::thread creator ([name, &created, &error]
    {
        created = CreateEventA (nullptr, 0, 0, name);
        error = GetLastError();
    });

    // Once the creator has the file open, the closer removes the name and goes.
    pollfd opened { watch, POLLIN, 0 };
    EXPECT_EQ (::poll (&opened, 1, 5000), 1) << "the creator never opened the file";
    ::close (watch);
    ::unlink (file.path.c_str());
    ::close (closing);
    creator.join();

    ASSERT_NE (created, nullptr);
    EXPECT_EQ (error, ERROR_SUCCESS);

    auto* other = OpenEventA (EVENT_MODIFY_STATE, 0, name);
    EXPECT_NE (other, nullptr) << "the creator's event is in the removed file, where nobody finds it";

    if (other != nullptr)
    {
        EXPECT_EQ (SetEvent (other), 1);
        EXPECT_EQ (pollEvent (created), WAIT_OBJECT_0);
        CloseHandle (other);
    }

    EXPECT_EQ (CloseHandle (created), 1);
}

TEST (EventObjectTests, HandlesOpenAtTheSameTimeShareOneEventWhileProcessesComeAndGo)
{
    const char* name = "deviceSettingsChange";
    const juce::TemporaryFile recordFile;
    ASSERT_TRUE (recordFile.getFile().replaceWithData (std::string (sizeof (EventSharingRecord), '\0').data(),
                                                      sizeof (EventSharingRecord)));
    juce::MemoryMappedFile mapping (recordFile.getFile(), juce::MemoryMappedFile::readWrite, false);
    ASSERT_NE (mapping.getData(), nullptr);
    auto& record = *static_cast<EventSharingRecord*> (mapping.getData());

    struct Worker
    {
        std::unique_ptr<juce::ChildProcess> process;
        int number = 0;
    };

    std::vector<Worker> workers;
    int started = 0;

    const auto startWorker = [&]
    {
        ++started;
        auto process = EventHelperProcess::start (EventHelperProcess::Action::comeAndGo, name,
                                                  { recordFile.getFile().getFullPathName(), juce::String (started) });
        ASSERT_NE (process, nullptr);
        workers.push_back ({ std::move (process), started });
    };

    for (int i = 0; i < 6; ++i)
        startWorker();

    // Every 100 ms one of them, chosen at random, is killed wherever it is (never inside the
    // record's lock) and another one comes.
    juce::Random random (0x4B455654);
    int kills = 0;

    for (int round = 0; round < 25; ++round)
    {
        std::this_thread::sleep_for (Milliseconds (100));
        auto victim = workers.begin() + random.nextInt (static_cast<int> (workers.size()));

        {
            const EventSharingRecord::ScopedLock lock (record);
            victim->process->kill();
            EXPECT_TRUE (victim->process->waitForProcessToFinish (5000));

            if (record.pendingSignaller == victim->number)
                record.pendingSignaller = 0;
        }

        workers.erase (victim);
        ++kills;
        startWorker();
    }

    // A slow machine (the sanitizers, a loaded host) starts the workers slowly: they go on until
    // they have checked often enough to tell, for 10 s more at the most.
    const auto checkedEnough = [&record]
    {
        const EventSharingRecord::ScopedLock lock (record);
        return record.checks >= 100;
    };

    for (int wait = 0; wait < 200 && ! checkedEnough(); ++wait)
        std::this_thread::sleep_for (Milliseconds (50));

    record.stop = 1;

    for (auto& worker : workers)
    {
        EXPECT_TRUE (worker.process->waitForProcessToFinish (10000));
        EXPECT_EQ (worker.process->getExitCode(), 0u);
    }

    EXPECT_EQ (record.misses, 0) << "handles open at the same time were on different events, in "
                                 << record.checks << " checks";
    EXPECT_EQ (record.failures, 0);
    EXPECT_GE (record.checks, 100) << "too few checks to tell";

    // Whatever the killed ones left behind, nobody holds it now: a creator sets it up afresh.
    auto* event = CreateEventA (nullptr, 0, 0, name);
    ASSERT_NE (event, nullptr);
    EXPECT_EQ (GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ (pollEvent (event), WAIT_TIMEOUT);
    EXPECT_EQ (CloseHandle (event), 1);
    EXPECT_FALSE (exists (eventFile (name)));

    std::cout << "[ sharing  ] " << record.rounds << " handles, " << record.checks << " checks, "
              << kills << " processes killed" << std::endl;
}
