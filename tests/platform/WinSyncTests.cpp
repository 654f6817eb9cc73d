#include "support/platform/WinSyncEntry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST (WinSync, CriticalSectionIsRecursiveAndExclusive)
{
    win::CRITICAL_SECTION section;
    win::InitializeCriticalSection (&section);

    win::EnterCriticalSection (&section);
    win::EnterCriticalSection (&section); // the owner may enter again
    EXPECT_EQ (section.RecursionCount, 2);

    std::atomic<bool> entered { false };
    std::thread other ([&]
    {
        win::EnterCriticalSection (&section);
        entered = true;
        win::LeaveCriticalSection (&section);
    });

    std::this_thread::sleep_for (std::chrono::milliseconds (50));
    EXPECT_FALSE (entered);

    win::LeaveCriticalSection (&section);
    std::this_thread::sleep_for (std::chrono::milliseconds (50));
    EXPECT_FALSE (entered); // still held once

    win::LeaveCriticalSection (&section);
    other.join();
    EXPECT_TRUE (entered);
    EXPECT_EQ (section.RecursionCount, 0);

    win::DeleteCriticalSection (&section);
    EXPECT_EQ (section.LockSemaphore, nullptr);
}
