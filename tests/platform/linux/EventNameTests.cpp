#include "platform/EventName.h"
#include "support/platform/TestEventNames.h"

#include <gtest/gtest.h>

#include <unistd.h>

using win::EventName;

TEST (EventNameTests, EveryUserHasNamesOfTheirOwn)
{
    const auto prefix = win::TestEventNames::prefix();
    ASSERT_FALSE (prefix.empty());

    EXPECT_EQ (EventName::of ("PNPdeviceChange"), "/event." + std::to_string (::geteuid()) + "." + prefix + "PNPdeviceChange");
    EXPECT_EQ (EventName::ofUser ("PNPdeviceChange", 1000), "/event.1000." + prefix + "PNPdeviceChange");
    EXPECT_NE (EventName::ofUser ("PNPdeviceChange", 1000), EventName::ofUser ("PNPdeviceChange", 1001));

    // The user's id ends at the first dot: a name cannot make it look like another user's.
    win::TestEventNames::use ("");
    EXPECT_NE (EventName::ofUser ("0.PNPdeviceChange", 1), EventName::ofUser ("PNPdeviceChange", 10));
    EXPECT_EQ (EventName::ofUser ("Local/a\tb", 0), "/event.0.Local_a_b");
    win::TestEventNames::use (prefix);
}
