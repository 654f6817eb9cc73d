#include "platform/EventName.h"
#include "platform/WinEvents.h"
#include "platform/WinModules.h"
#include "platform/driverside/WinEventSignals.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <string>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

// What else than a regular file may be found where a named event's file belongs on Linux: a FIFO,
// a socket or a device node of the user's own (and with the mode of an event's file) is refused
// with ERROR_ACCESS_DENIED, left where it is and not even opened, by a creator and an opener
// alike; and the last holder of an event leaves such a node alone when it has taken the name.

using namespace win;

namespace
{
enum class NodeKind
{
    fifo,
    socket,
    device
};

std::string kindName (NodeKind kind)
{
    switch (kind)
    {
        case NodeKind::fifo:   return "Fifo";
        case NodeKind::socket: return "Socket";
        case NodeKind::device: return "Device";
    }

    return "Unknown";
}

void PrintTo (NodeKind kind, std::ostream* out)
{
    *out << kindName (kind);
}

mode_t typeOf (NodeKind kind)
{
    switch (kind)
    {
        case NodeKind::fifo:   return S_IFIFO;
        case NodeKind::socket: return S_IFSOCK;
        case NodeKind::device: return S_IFCHR;
    }

    return 0;
}

/** A node of the given kind in a path's place, of this user and with mode 0600, so that only its
    kind tells it from an event's file. The device is the null device's (1, 3). A FIFO is kept
    open for reading by the object, so that anything written to it stays there to be found. The
    node is removed with the object. */
class PlantedNode
{
public:
    PlantedNode (NodeKind kind, std::string where) : path (std::move (where))
    {
        ::unlink (path.c_str());
        planted = plant (kind) && ::chmod (path.c_str(), 0600) == 0 && ::lstat (path.c_str(), &status) == 0;

        if (! planted)
            failure = std::strerror (errno);
    }

    ~PlantedNode()
    {
        if (reader >= 0)
            ::close (reader);

        if (bound >= 0)
            ::close (bound);

        ::unlink (path.c_str());
    }

    PlantedNode (const PlantedNode&) = delete;
    PlantedNode& operator= (const PlantedNode&) = delete;

    bool isPlanted() const noexcept { return planted; }
    const std::string& whyNot() const noexcept { return failure; }
    const struct stat& statusWhenPlanted() const noexcept { return status; }

    /** The bytes that were written to the FIFO since it was planted (0 for the other kinds). */
    ssize_t bytesWritten() const
    {
        if (reader < 0)
            return 0;

        char buffer[64];
        const auto n = ::read (reader, buffer, sizeof (buffer));
        return n < 0 && errno == EAGAIN ? 0 : n;
    }

private:
    bool plant (NodeKind kind)
    {
        switch (kind)
        {
            case NodeKind::fifo:
                if (::mkfifo (path.c_str(), 0600) != 0)
                    return false;

                reader = ::open (path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
                return reader >= 0;

            case NodeKind::socket:
            {
                sockaddr_un address {};
                address.sun_family = AF_UNIX;

                if (path.size() >= sizeof (address.sun_path))
                {
                    errno = ENAMETOOLONG;
                    return false;
                }

                std::memcpy (address.sun_path, path.c_str(), path.size() + 1);
                bound = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
                return bound >= 0 && ::bind (bound, reinterpret_cast<const sockaddr*> (&address), sizeof (address)) == 0;
            }

            case NodeKind::device:
                return ::mknod (path.c_str(), S_IFCHR | 0600, makedev (1, 3)) == 0;
        }

        return false;
    }

    std::string path;
    struct stat status {};
    bool planted = false;
    std::string failure;
    int reader = -1;
    int bound = -1;
};

/** Records what is done to one file (opened, read, written, changed, moved, removed) from now on. */
class FileWatch
{
public:
    explicit FileWatch (const std::string& path)
        : watch (::inotify_init1 (IN_NONBLOCK | IN_CLOEXEC)),
          watching (watch >= 0 && ::inotify_add_watch (watch, path.c_str(), IN_ALL_EVENTS) >= 0)
    {
    }

    ~FileWatch()
    {
        if (watch >= 0)
            ::close (watch);
    }

    FileWatch (const FileWatch&) = delete;
    FileWatch& operator= (const FileWatch&) = delete;

    bool isWatching() const noexcept { return watching; }

    /** What was done since the last call, as the events' masks ORed together (0 for nothing). */
    std::uint32_t takeEvents()
    {
        std::uint32_t masks = 0;
        alignas (inotify_event) char buffer[4096];

        for (;;)
        {
            const auto n = ::read (watch, buffer, sizeof (buffer));

            if (n <= 0)
                return masks;

            for (ssize_t at = 0; at < n;)
            {
                const auto* event = reinterpret_cast<const inotify_event*> (buffer + at);
                masks |= event->mask;
                at += static_cast<ssize_t> (sizeof (inotify_event) + event->len);
            }
        }
    }

private:
    int watch;
    bool watching;
};

std::string eventFile (const std::string& name)
{
    return "/dev/shm" + EventName::of (name.c_str());
}

void expectSameNode (const std::string& path, const struct stat& before)
{
    struct stat after {};
    ASSERT_EQ (::lstat (path.c_str(), &after), 0) << "the node was removed: " << std::strerror (errno);
    EXPECT_EQ (after.st_mode & S_IFMT, before.st_mode & S_IFMT) << "a node of another kind is in its place";
    EXPECT_EQ (after.st_ino, before.st_ino) << "another node is in its place";
    EXPECT_EQ (after.st_mode, before.st_mode);
}

class EventObjectNodeTests : public testing::TestWithParam<NodeKind>
{
protected:
    void SetUp() override
    {
        if (GetParam() == NodeKind::device && ::geteuid() != 0)
            GTEST_SKIP() << "making a device node needs root; the FIFO and the socket are tested";
    }
};
} // namespace

TEST_P (EventObjectNodeTests, ANodeInTheEventsPlaceIsRefusedWithoutBeingOpened)
{
    const auto name = "nodeInPlace" + kindName (GetParam());
    const auto path = eventFile (name);
    const PlantedNode node (GetParam(), path);
    ASSERT_TRUE (node.isPlanted()) << node.whyNot();
    ASSERT_EQ (node.statusWhenPlanted().st_mode & S_IFMT, typeOf (GetParam()));

    FileWatch watch (path);
    ASSERT_TRUE (watch.isWatching()) << std::strerror (errno);

    SetLastError (0);
    EXPECT_EQ (CreateEventA (nullptr, 0, 0, name.c_str()), nullptr);
    EXPECT_EQ (GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ (watch.takeEvents(), 0u) << "the creator opened or changed the node";

    SetLastError (0);
    EXPECT_EQ (OpenEventA (EVENT_MODIFY_STATE, 0, name.c_str()), nullptr);
    EXPECT_EQ (GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ (watch.takeEvents(), 0u) << "the opener opened or changed the node";

    expectSameNode (path, node.statusWhenPlanted());
    EXPECT_EQ (node.bytesWritten(), 0);
}

TEST_P (EventObjectNodeTests, ANodeThatTookTheEventsNameIsLeftByItsLastHolder)
{
    const auto name = "nodeTookName" + kindName (GetParam());
    const auto path = eventFile (name);
    auto* event = CreateEventA (nullptr, 0, 0, name.c_str());
    ASSERT_NE (event, nullptr);
    ASSERT_EQ (GetLastError(), ERROR_SUCCESS);

    // Someone else removes the event's name and puts a node of its own there.
    ASSERT_EQ (::unlink (path.c_str()), 0);
    const PlantedNode node (GetParam(), path);
    ASSERT_TRUE (node.isPlanted()) << node.whyNot();
    FileWatch watch (path);
    ASSERT_TRUE (watch.isWatching()) << std::strerror (errno);

    EXPECT_EQ (CloseHandle (event), 1);
    EXPECT_EQ (watch.takeEvents(), 0u) << "the last holder opened, changed or removed the node";
    expectSameNode (path, node.statusWhenPlanted());
    EXPECT_EQ (node.bytesWritten(), 0);
}

INSTANTIATE_TEST_SUITE_P (Kinds, EventObjectNodeTests,
                          testing::Values (NodeKind::fifo, NodeKind::socket, NodeKind::device),
                          [] (const testing::TestParamInfo<NodeKind>& kind) { return kindName (kind.param); });
