#include "platform/WinProcess.h"

#include <gtest/gtest.h>

#include <ctime>
#include <thread>
#include <unistd.h>

TEST (WinProcess, IdsAndLocalTime)
{
    EXPECT_EQ (win::GetCurrentProcessId(), static_cast<win::DWORD> (::getpid()));

    const auto mainThread = win::GetCurrentThreadId();
    EXPECT_EQ (win::GetCurrentThreadId(), mainThread);

    win::DWORD otherThread = 0;
    std::thread ([&] { otherThread = win::GetCurrentThreadId(); }).join();
    EXPECT_NE (otherThread, 0u);
    EXPECT_NE (otherThread, mainThread);

    // std::time may read a coarser clock than the one GetLocalTime reads, so compare seconds of
    // the same clock.
    const auto seconds = []
    {
        timespec t {};
        ::clock_gettime (CLOCK_REALTIME, &t);
        return t.tv_sec;
    };

    const auto before = seconds();
    win::SYSTEMTIME now {};
    win::GetLocalTime (&now);
    const auto after = seconds();

    // Compared field by field only when no second boundary fell between the readings.
    if (before == after)
    {
        tm local {};
        ::localtime_r (&before, &local);
        EXPECT_EQ (now.wYear, local.tm_year + 1900);
        EXPECT_EQ (now.wMonth, local.tm_mon + 1);
        EXPECT_EQ (now.wDay, local.tm_mday);
        EXPECT_EQ (now.wDayOfWeek, local.tm_wday);
        EXPECT_EQ (now.wHour, local.tm_hour);
        EXPECT_EQ (now.wMinute, local.tm_min);
        EXPECT_EQ (now.wSecond, local.tm_sec);
    }
    EXPECT_LT (now.wMilliseconds, 1000);
}
