#include "driver/DspMixerAccess.h"
#include "support/SimulatorHarness.h"

#include <gtest/gtest.h>

#include <algorithm>

using Hardware::Channel;

namespace
{
constexpr std::uint32_t unity = 0x01000000;

class DspMixerAccessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (sim.isReady());
        dsp.deviceHandle = sim.open (0);   // the TROVIK
        ASSERT_NE (dsp.deviceHandle, 0u);
    }

    /** Gives the first interface these counts (property order 100 to 105) and reads its layout. */
    void useCounts (std::array<std::uint32_t, 6> counts)
    {
        ASSERT_EQ (sim.KSIM_SetChannelCounts (0, counts.data()), 0u);
        ASSERT_EQ (dsp.queryLayout(), 0u);
        sim.KSIM_ClearJournal();
    }

    std::vector<std::string> sentHex() const
    {
        std::vector<std::string> sent;

        for (const auto& entry : sim.journal())
            sent.push_back (entry.entryPoint + " " + entry.hex());

        return sent;
    }

    std::int32_t storedCrosspoint (Channel input, Channel output) const
    {
        std::int32_t gain = -1;
        sim.KSIM_GetCrosspointGain (0, input.kind, std::uint32_t (input.index), output.kind, std::uint32_t (output.index), &gain);
        return gain;
    }

    SimulatorHarness sim;
    DspMixerAccess dsp { &sim.api };
};

using Strings = std::vector<std::string>;
} // namespace

//==============================================================================
TEST_F (DspMixerAccessTest, QueryLayoutReadsTheVersionAndTheSixCounts)
{
    sim.KSIM_ClearJournal();
    ASSERT_EQ (dsp.queryLayout(), 0u);

    EXPECT_EQ (dsp.protocolVersion, 2u);
    EXPECT_EQ (dsp.protocolWord2, 1u);
    EXPECT_EQ (dsp.counts, (std::array<std::uint32_t, 6> { 16, 14, 16, 14, 4, 4 }));
    EXPECT_EQ (sentHex(), (Strings { "GetDspProperty 4D0000002A0000000000000000000000",
                                     "GetDspProperty 4D0000006400000000000000",
                                     "GetDspProperty 4D0000006500000000000000",
                                     "GetDspProperty 4D0000006600000000000000",
                                     "GetDspProperty 4D0000006700000000000000",
                                     "GetDspProperty 4D0000006800000000000000",
                                     "GetDspProperty 4D0000006900000000000000" }));
}

TEST_F (DspMixerAccessTest, OtherProtocolVersionKeepsBothWordsAndLeavesTheCounts)
{
    sim.KSIM_SetProtocolVersion (3, 0xCAFE);
    dsp.counts = { 1, 2, 3, 4, 5, 6 };
    sim.KSIM_ClearJournal();

    EXPECT_EQ (dsp.queryLayout(), 0xEE000060u);
    EXPECT_EQ (dsp.protocolVersion, 3u);
    EXPECT_EQ (dsp.protocolWord2, 0xCAFEu);
    EXPECT_EQ (dsp.counts, (std::array<std::uint32_t, 6> { 1, 2, 3, 4, 5, 6 }));
    EXPECT_EQ (sim.journal().size(), 1u);
}

TEST_F (DspMixerAccessTest, RefusedVersionRequestIsReturnedAsIs)
{
    sim.KSIM_FailEntryPoint ("TUSBAUDIO_GetDspProperty", 0x1F);

    EXPECT_EQ (dsp.queryLayout(), 0x1Fu);
    EXPECT_EQ (dsp.protocolVersion, 0u);
}

TEST_F (DspMixerAccessTest, AbsurdCountsAreLimitedTo256)
{
    const std::array<std::uint32_t, 6> huge { 100000, 100000, 100000, 100000, 100000, 100000 };
    ASSERT_EQ (sim.KSIM_SetChannelCounts (0, huge.data()), 0u);

    ASSERT_EQ (dsp.queryLayout(), 0u);
    EXPECT_EQ (dsp.counts, (std::array<std::uint32_t, 6> { 256, 256, 256, 256, 256, 256 }));

    dsp.buildMeterRequest();
    ASSERT_EQ (dsp.meterBlock.size(), 8u + 8u * 1536u);
    // The last channel of each kind is index 255, the highest index a byte can carry.
    EXPECT_EQ (SimulatorHarness::hex (dsp.meterBlock.data() + dsp.meterBlock.size() - 8, 8), "0100000002FF0000");

    ASSERT_EQ (dsp.enableMeters (true), 0u);
    EXPECT_EQ (dsp.meterSpan (Hardware::VirtualRecording).count, 256u);
    EXPECT_EQ (sim.api.TUSBAUDIO_GetDspProperty (dsp.deviceHandle, dsp.meterBlock.data(),
                                                 std::uint32_t (dsp.meterBlock.size())), 0u);
}

TEST_F (DspMixerAccessTest, GetPropertyChangesTheValueOnlyOnSuccess)
{
    std::uint32_t value = 77;
    EXPECT_EQ (dsp.getProperty (101, value), 0u);
    EXPECT_EQ (value, 14u);

    value = 77;
    EXPECT_EQ (dsp.getProperty (199, value), 0xEE000041u);
    EXPECT_EQ (value, 77u);
}

//==============================================================================
TEST_F (DspMixerAccessTest, CrosspointRequestsAreLaidOutByteForByte)
{
    sim.KSIM_ClearJournal();

    EXPECT_EQ (dsp.setCrosspointGains ({ { { Hardware::DeviceInput, 3 }, { Hardware::DeviceOutput, 0 } } }, unity), 0u);
    EXPECT_EQ (dsp.setCrosspointGains ({ { { Hardware::ApplicationPlayback, 2 }, { Hardware::ApplicationRecording, 5 } },
                                         { { Hardware::VirtualPlayback, 1 }, { Hardware::VirtualRecording, 3 } } },
                                       -2),
               0u);

    EXPECT_EQ (sentHex(), (Strings { "SetDspProperty 4D000000C80000000103010000000001",
                                     "SetDspProperty 4D000000C800000000020005FEFFFFFF02010203FEFFFFFF" }));
    EXPECT_EQ (storedCrosspoint ({ Hardware::DeviceInput, 3 }, { Hardware::DeviceOutput, 0 }), 0x01000000);
    EXPECT_EQ (storedCrosspoint ({ Hardware::ApplicationPlayback, 2 }, { Hardware::ApplicationRecording, 5 }), -2);
    EXPECT_EQ (storedCrosspoint ({ Hardware::VirtualPlayback, 1 }, { Hardware::VirtualRecording, 3 }), -2);

    // The single request that the backend builds itself has the same layout.
    const auto single = DspMixerAccess::makeCrosspointRequest ({ Hardware::DeviceInput, 3 }, { Hardware::DeviceOutput, 0 }, unity);
    EXPECT_EQ (SimulatorHarness::hex (single.data(), single.size()), "4D000000C80000000103010000000001");
}

TEST_F (DspMixerAccessTest, IndexOf256TravelsAsByteZero)
{
    sim.KSIM_ClearJournal();
    EXPECT_EQ (dsp.setCrosspointGains ({ { { Hardware::DeviceInput, 256 }, { Hardware::DeviceOutput, 257 } } }, 0x123456), 0u);

    EXPECT_EQ (sentHex(), (Strings { "SetDspProperty 4D000000C80000000100010156341200" }));
    EXPECT_EQ (storedCrosspoint ({ Hardware::DeviceInput, 0 }, { Hardware::DeviceOutput, 1 }), 0x123456);
}

TEST_F (DspMixerAccessTest, RouteThatIsNotInputToOutputSendsNothing)
{
    const Channel input { Hardware::DeviceInput, 0 };
    const Channel output { Hardware::DeviceOutput, 0 };
    sim.KSIM_ClearJournal();

    const std::vector<DspMixerAccess::Route> invalid[] = {
        { { input, output }, { { Hardware::DeviceOutput, 0 }, output } },
        { { input, output }, { input, input } },
        { { input, { Hardware::ChannelKind (3), 0 } } },
        { { { Hardware::ChannelKind (-1), 0 }, output } },
        { { input, { Hardware::ChannelKind (7), 0 } } }
    };

    for (const auto& routes : invalid)
        EXPECT_EQ (dsp.setCrosspointGains (routes, 0), 0xEE000041u);

    EXPECT_TRUE (sim.journal().empty());
    EXPECT_EQ (storedCrosspoint (input, output), 0);
}

TEST_F (DspMixerAccessTest, EmptyRouteListSendsTheHeaderAlone)
{
    sim.KSIM_ClearJournal();
    EXPECT_EQ (dsp.setCrosspointGains ({}, unity), 0u);
    EXPECT_EQ (sentHex(), (Strings { "SetDspProperty 4D000000C8000000" }));
}

TEST_F (DspMixerAccessTest, OutputGainRequestIsLaidOutByteForByteAndReadsBack)
{
    const Channel output { Hardware::ApplicationRecording, 1 };
    auto request = DspMixerAccess::makeOutputGainRequest (output, 0x00800000);
    EXPECT_EQ (SimulatorHarness::hex (request.data(), request.size()), "4D000000C9000000000100008000");

    ASSERT_EQ (sim.api.TUSBAUDIO_SetDspProperty (dsp.deviceHandle, request.data(), std::uint32_t (request.size())), 0u);

    auto reply = DspMixerAccess::makeOutputGainRequest (output, 0);
    ASSERT_EQ (sim.api.TUSBAUDIO_GetDspProperty (dsp.deviceHandle, reply.data(), std::uint32_t (reply.size())), 0u);
    EXPECT_EQ (DspMixerAccess::gainOf (reply), 0x00800000);

    auto crosspoint = DspMixerAccess::makeCrosspointRequest ({ Hardware::ApplicationPlayback, 4 }, { Hardware::DeviceOutput, 4 }, 0);
    ASSERT_EQ (sim.api.TUSBAUDIO_GetDspProperty (dsp.deviceHandle, crosspoint.data(), std::uint32_t (crosspoint.size())), 0u);
    EXPECT_EQ (DspMixerAccess::gainOf (crosspoint), 0x01000000);
}

//==============================================================================
TEST_F (DspMixerAccessTest, MeterBlockFollowsTheMeterOrder)
{
    useCounts ({ 2, 2, 0, 1, 0, 0 });
    dsp.buildMeterRequest();

    EXPECT_EQ (SimulatorHarness::hex (dsp.meterBlock.data(), dsp.meterBlock.size()),
               "4D0000002D010000"
               "0000000001000000" "0000000001010000"
               "0100000001000000" "0100000001010000"
               "0100000000000000");

    EXPECT_EQ (dsp.meterSpan (Hardware::ApplicationRecording).entries, nullptr);   // meters still off

    ASSERT_EQ (dsp.enableMeters (true), 0u);
    const auto base = dsp.meterBlock.data();
    EXPECT_EQ (dsp.meterSpan (Hardware::ApplicationRecording).entries, base + 40);
    EXPECT_EQ (dsp.meterSpan (Hardware::ApplicationRecording).count, 1u);
    EXPECT_EQ (dsp.meterSpan (Hardware::DeviceInput).entries, base + 8);
    EXPECT_EQ (dsp.meterSpan (Hardware::DeviceOutput).entries, base + 24);
    EXPECT_EQ (dsp.meterSpan (Hardware::DeviceOutput).count, 2u);
    EXPECT_EQ (dsp.meterSpan (Hardware::VirtualRecording).count, 0u);
    EXPECT_EQ (dsp.meterSpan (Hardware::ChannelKind (3)).entries, nullptr);
    EXPECT_EQ (dsp.meterSpan (Hardware::ChannelKind (7)).entries, nullptr);
    EXPECT_EQ (dsp.meterSpan (Hardware::ChannelKind (3)).levelAt (0), -12000);
}

TEST_F (DspMixerAccessTest, MeterRefreshWritesOnlyTheLevels)
{
    useCounts ({ 2, 2, 0, 1, 0, 0 });
    sim.KSIM_SetInputLevel (0, Hardware::DeviceInput, 1, -1234);
    dsp.buildMeterRequest();
    ASSERT_EQ (dsp.enableMeters (true), 0u);
    const auto laidOut = dsp.meterBlock;

    ASSERT_EQ (sim.api.TUSBAUDIO_GetDspProperty (dsp.deviceHandle, dsp.meterBlock.data(),
                                                 std::uint32_t (dsp.meterBlock.size())), 0u);

    for (std::size_t entry = 8; entry < laidOut.size(); entry += 8)
    {
        for (std::size_t i = entry; i < entry + 6; ++i)
            EXPECT_EQ (dsp.meterBlock[i], laidOut[i]) << "byte " << i;
    }

    const auto inputs = dsp.meterSpan (Hardware::DeviceInput);
    EXPECT_EQ (inputs.levelAt (1), -1234);
    EXPECT_EQ (inputs.levelAt (2), -12000);
    // The factory mix routes nothing to device output 1 here.
    EXPECT_EQ (dsp.meterSpan (Hardware::DeviceOutput).levelAt (1), -12000);
}

TEST_F (DspMixerAccessTest, RestoringTheMeterLayoutUndoesWhatTheDeviceScribbledAndKeepsTheLevels)
{
    useCounts ({ 2, 1, 0, 0, 0, 0 });
    dsp.buildMeterRequest();

    // A device that wrote its reply over the whole request, header and channel fields included.
    std::fill (dsp.meterBlock.begin(), dsp.meterBlock.end(), std::uint8_t (0xAB));
    dsp.restoreMeterLayout();

    EXPECT_EQ (SimulatorHarness::hex (dsp.meterBlock.data(), dsp.meterBlock.size()),
               "4D0000002D010000"
               "000000000100ABAB"
               "010000000100ABAB" "010000000101ABAB");

    // A block that no longer matches the counts is left alone.
    dsp.counts[0] = 5;
    dsp.meterBlock[0] = 0;
    dsp.restoreMeterLayout();
    EXPECT_EQ (dsp.meterBlock[0], 0);
}

TEST_F (DspMixerAccessTest, CountsThatDisagreeWithTheMeterBlockGiveNoEntries)
{
    useCounts ({ 2, 2, 0, 1, 0, 0 });
    dsp.buildMeterRequest();
    ASSERT_EQ (dsp.enableMeters (true), 0u);

    // The device now reports more channels of every kind than the block was laid out for.
    useCounts ({ 4, 4, 2, 3, 2, 2 });
    const auto* begin = dsp.meterBlock.data();
    const auto* end = begin + dsp.meterBlock.size();
    ASSERT_EQ (dsp.meterBlock.size(), 48u);

    for (const auto kind : { Hardware::ApplicationPlayback, Hardware::DeviceInput, Hardware::VirtualPlayback,
                             Hardware::DeviceOutput, Hardware::ApplicationRecording, Hardware::VirtualRecording })
    {
        const auto span = dsp.meterSpan (kind);
        EXPECT_TRUE (span.count == 0 || (span.entries >= begin && span.entries + 8 * span.count <= end)) << "kind " << kind;

        for (std::uint32_t i = 0; i < 4; ++i)
            EXPECT_EQ (span.levelAt (i), -12000) << "kind " << kind << ", channel " << i;
    }

    // Fewer channels than the block holds: its entries are no longer where the counts put them.
    useCounts ({ 1, 0, 0, 0, 0, 0 });
    EXPECT_EQ (dsp.meterSpan (Hardware::DeviceOutput).entries, nullptr);

    // Laid out again for the counts, the entries are back.
    dsp.buildMeterRequest();
    EXPECT_EQ (dsp.meterSpan (Hardware::DeviceOutput).entries, dsp.meterBlock.data() + 8);
    EXPECT_EQ (dsp.meterSpan (Hardware::DeviceOutput).count, 1u);
}

TEST_F (DspMixerAccessTest, MetersAreOnOnlyWhenTheDeviceAgrees)
{
    sim.KSIM_ClearJournal();
    ASSERT_EQ (dsp.enableMeters (true), 0u);
    EXPECT_TRUE (dsp.metersEnabled);
    EXPECT_EQ (sim.KSIM_GetMetersEnabled (0), 1);

    sim.KSIM_FailEntryPoint ("SetDspProperty", 0x1F);
    EXPECT_EQ (dsp.enableMeters (true), 0x1Fu);
    EXPECT_FALSE (dsp.metersEnabled);

    sim.KSIM_FailEntryPoint ("SetDspProperty", 0);
    EXPECT_EQ (dsp.enableMeters (false), 0u);
    EXPECT_EQ (sim.KSIM_GetMetersEnabled (0), 0);
    EXPECT_EQ (sentHex(), (Strings { "SetDspProperty 4D0000002C01000001000000",
                                     "SetDspProperty 4D0000002C01000001000000",
                                     "SetDspProperty 4D0000002C01000000000000" }));
}

//==============================================================================
TEST_F (DspMixerAccessTest, UnboundEntryPointsSendNothing)
{
    sim.api.TUSBAUDIO_GetDspProperty = nullptr;
    sim.api.TUSBAUDIO_SetDspProperty = nullptr;
    dsp.metersEnabled = true;
    std::uint32_t value = 5;
    sim.KSIM_ClearJournal();

    EXPECT_EQ (dsp.queryLayout(), 0xEE000030u);
    EXPECT_EQ (dsp.getProperty (100, value), 0xEE000030u);
    EXPECT_EQ (dsp.setCrosspointGains ({}, 0), 0xEE000030u);
    EXPECT_EQ (dsp.enableMeters (true), 0xEE000030u);
    EXPECT_FALSE (dsp.metersEnabled);
    EXPECT_EQ (value, 5u);
    EXPECT_TRUE (sim.journal().empty());

    DspMixerAccess unbound;
    EXPECT_EQ (unbound.enableMeters (true), 0xEE000030u);
}

TEST_F (DspMixerAccessTest, CloseSwitchesTheMetersOffThroughTheHandleThenForgetsIt)
{
    ASSERT_EQ (dsp.queryLayout(), 0u);
    dsp.buildMeterRequest();
    ASSERT_EQ (dsp.enableMeters (true), 0u);
    sim.KSIM_ClearJournal();

    dsp.close();

    EXPECT_EQ (sim.journal().size(), 1u);
    EXPECT_EQ (sim.journal()[0].hex(), "4D0000002C01000000000000");
    EXPECT_EQ (sim.journal()[0].status, 0u);   // sent while the handle was still valid
    EXPECT_EQ (sim.KSIM_GetMetersEnabled (0), 0);
    EXPECT_EQ (dsp.deviceHandle, 0u);
    EXPECT_EQ (dsp.protocolVersion, 0u);
    EXPECT_EQ (dsp.protocolWord2, 0u);
    EXPECT_EQ (dsp.counts, (std::array<std::uint32_t, 6> {}));
    EXPECT_FALSE (dsp.metersEnabled);
    EXPECT_TRUE (dsp.meterBlock.empty());

    // Closed, it sends nothing more.
    dsp.close();
    EXPECT_EQ (sim.journal().size(), 1u);
}

TEST_F (DspMixerAccessTest, DestructionClosesToo)
{
    {
        DspMixerAccess other (&sim.api);
        other.deviceHandle = dsp.deviceHandle;
        ASSERT_EQ (other.enableMeters (true), 0u);
    }

    EXPECT_EQ (sim.journal().back().hex(), "4D0000002C01000000000000");
    EXPECT_EQ (sim.KSIM_GetMetersEnabled (0), 0);
}

//==============================================================================
namespace
{
// A driver that answers the version and the first two counts, then refuses.
TUsbAudioStatus answerTwoCounts (TUsbAudioHandle, void* request, std::uint32_t)
{
    auto* bytes = static_cast<std::uint8_t*> (request);
    const auto property = DspProtocol::readU32 (bytes + 4);

    if (property == 42)
        DspProtocol::writeU32 (bytes + 8, 2);
    else if (property < 102)
        DspProtocol::writeU32 (bytes + 8, 300 + property);
    else
        return 0x2A;

    return 0;
}
} // namespace

TEST (DspMixerAccess, RefusedCountEndsTheLayoutQueryAndKeepsTheLaterCounts)
{
    TUsbAudioApiDll api;
    api.TUSBAUDIO_GetDspProperty = answerTwoCounts;
    DspMixerAccess dsp (&api);
    dsp.counts = { 1, 2, 3, 4, 5, 6 };
    dsp.maxCounts[1] = 0xFFFFFFFF;

    EXPECT_EQ (dsp.queryLayout(), 0x2Au);
    EXPECT_EQ (dsp.counts, (std::array<std::uint32_t, 6> { 256, 401, 3, 4, 5, 6 }));
}
