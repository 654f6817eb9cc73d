#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

/**
    What the processes of a sharing run (EventHelperProcess::Action::comeAndGo) and the test that
    starts them keep in a file that they all map. A file of zero bytes is a record to begin with.

    Each worker creates or opens the event, then under the lock looks for the signal that the
    worker before it left (when that one still holds its handle, both handles are open at the same
    time and must be the same event), sets the event itself and names itself the pending
    signaller; before it closes its handle it stops being that one. The test takes the lock to
    end a worker, so no worker ever dies holding it.
*/
struct EventSharingRecord
{
    std::atomic<std::int32_t> lock;
    std::atomic<std::int32_t> stop;     // set by the test: the workers end their round and exit
    std::int32_t pendingSignaller;      // the worker (from 1) whose signal waits in the event while it holds its handle; 0 none
    std::int32_t checks;                // times a worker looked for that signal
    std::int32_t misses;                // times it was not there: two handles open at once on two events
    std::int32_t failures;              // creations, opens (but for "no such event"), signals or closes that failed
    std::int32_t rounds;                // handles that a worker got and closed again

    static_assert (std::atomic<std::int32_t>::is_always_lock_free, "the lock must work across processes");

    class ScopedLock
    {
    public:
        explicit ScopedLock (EventSharingRecord& r) : record (r)
        {
            while (record.lock.exchange (1, std::memory_order_acquire) != 0)
                std::this_thread::yield();
        }

        ~ScopedLock() { record.lock.store (0, std::memory_order_release); }

        ScopedLock (const ScopedLock&) = delete;
        ScopedLock& operator= (const ScopedLock&) = delete;

    private:
        EventSharingRecord& record;
    };
};
