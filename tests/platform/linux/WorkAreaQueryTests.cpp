#include "platform/desktop/WorkArea.h"
#include "support/linux/XvfbServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// The work area as a window manager announces it on the root window of an X server of the test's
// own, without the framework.

namespace win
{
inline void PrintTo (const WorkArea::Rect& r, std::ostream* os)
{
    *os << r.x << ", " << r.y << ", " << r.width << " x " << r.height;
}
} // namespace win

namespace
{
class WorkAreaQueryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (! server.isRunning())
            GTEST_SKIP() << "Xvfb is not installed or did not start";
    }

    std::optional<win::WorkArea::Rect> query() const
    {
        return win::WorkArea::query (server.getDisplayName().toRawUTF8());
    }

    XvfbServer server { 1920, 1200 };
};
} // namespace

TEST_F (WorkAreaQueryTest, IsTheCurrentDesktopsEntryOfTheRootWindowsWorkArea)
{
    ASSERT_TRUE (server.setRootCardinals ("_NET_WORKAREA", { 0, 0, 1920, 1160, 60, 40, 1860, 1160 }));
    ASSERT_TRUE (server.setRootCardinals ("_NET_CURRENT_DESKTOP", { 1 }));
    EXPECT_EQ (query(), (win::WorkArea::Rect { 60, 40, 1860, 1160 }));

    // Without a current desktop, desktop 0's.
    ASSERT_TRUE (server.deleteRootProperty ("_NET_CURRENT_DESKTOP"));
    EXPECT_EQ (query(), (win::WorkArea::Rect { 0, 0, 1920, 1160 }));
}

TEST_F (WorkAreaQueryTest, IsNothingWithoutAWindowManagerThatAnnouncesOne)
{
    EXPECT_FALSE (query());

    // A current desktop alone is none.
    ASSERT_TRUE (server.setRootCardinals ("_NET_CURRENT_DESKTOP", { 0 }));
    EXPECT_FALSE (query());
}

TEST_F (WorkAreaQueryTest, AsksTheDisplayThatDisplayNamesByDefault)
{
    ASSERT_TRUE (server.setRootCardinals ("_NET_WORKAREA", { 0, 0, 1920, 1160 }));

    const auto* previous = std::getenv ("DISPLAY");
    const std::string saved = previous != nullptr ? previous : "";
    ::setenv ("DISPLAY", server.getDisplayName().toRawUTF8(), 1);
    const auto named = win::WorkArea::query();
    ::unsetenv ("DISPLAY");
    const auto none = win::WorkArea::query();

    if (previous != nullptr)
        ::setenv ("DISPLAY", saved.c_str(), 1);

    EXPECT_EQ (named, (win::WorkArea::Rect { 0, 0, 1920, 1160 }));
    EXPECT_FALSE (none);
}
