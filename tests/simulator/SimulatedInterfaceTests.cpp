#include "platform/WinEvents.h"
#include "support/platform/TestEnvironment.h"
#include "support/SimulatorHarness.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <cstdlib>

namespace
{
using Bytes = std::vector<std::uint8_t>;

class SimulatedInterfaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (sim.isReady());
        trovik = sim.open (0);
        ASSERT_NE (trovik, 0u);
        sim.KSIM_ClearJournal();
    }

    TUsbAudioStatus get (Bytes& request, TUsbAudioHandle handle = 0)
    {
        return sim.api.TUSBAUDIO_GetDspProperty (handle != 0 ? handle : trovik, request.data(), std::uint32_t (request.size()));
    }

    TUsbAudioStatus set (const std::string& hex, TUsbAudioHandle handle = 0)
    {
        const auto request = SimulatorHarness::bytes (hex);
        return sim.api.TUSBAUDIO_SetDspProperty (handle != 0 ? handle : trovik, request.data(), std::uint32_t (request.size()));
    }

    std::int32_t crosspoint (std::int32_t inKind, std::uint32_t in, std::int32_t outKind, std::uint32_t out, std::uint32_t device = 0)
    {
        std::int32_t gain = -1;
        EXPECT_EQ (sim.KSIM_GetCrosspointGain (device, inKind, in, outKind, out, &gain), 0u);
        return gain;
    }

    std::int32_t outputGain (std::int32_t kind, std::uint32_t index)
    {
        std::int32_t gain = -1;
        EXPECT_EQ (sim.KSIM_GetOutputGain (0, kind, index, &gain), 0u);
        return gain;
    }

    /** The level bytes 6-7 of meter entry i of a replied meter block. */
    static std::int16_t levelOf (const Bytes& block, std::size_t i)
    {
        return std::int16_t (block[8 + 8 * i + 6] | (block[8 + 8 * i + 7] << 8));
    }

    SimulatorHarness sim;
    TUsbAudioHandle trovik = 0;
};

std::string text (const win::WCHAR* units)
{
    std::string result;

    while (*units != 0)
        result += char (*units++);

    return result;
}
} // namespace

//==============================================================================
TEST_F (SimulatedInterfaceTest, ServesApi512WithEveryEntryPointBound)
{
    EXPECT_EQ (sim.api.apiVersion, 0x0005000Cu);
    EXPECT_NE (sim.api.TUSBAUDIO_CheckApiVersion (5, 12), 0u);
    EXPECT_EQ (sim.api.TUSBAUDIO_CheckApiVersion (5, 13), 0u);
    ASSERT_NE (sim.api.TUSBAUDIO_SetVirtualSoundDeviceProfile, nullptr);
    EXPECT_EQ (sim.api.TUSBAUDIO_GetVolume(), 0xEE000050u);

    sim.KSIM_SetApiVersion (5, 9);
    EXPECT_EQ (sim.api.TUSBAUDIO_GetApiVersion(), 0x00050009u);
    EXPECT_EQ (sim.api.TUSBAUDIO_CheckApiVersion (5, 12), 0u);
}

TEST_F (SimulatedInterfaceTest, DefaultInterfacesAreATrovikAndAPexa)
{
    ASSERT_EQ (sim.api.TUSBAUDIO_GetDeviceCount(), 2u);
    ASSERT_GE (sim.KSIM_AttachDevice ("sulka"), 0);
    EXPECT_EQ (sim.KSIM_AttachDevice ("Vantiq"), -1);
    ASSERT_EQ (sim.api.TUSBAUDIO_EnumerateDevices(), 0u);

    const char* expected[][2] = { { "VANTIQ TROVIK", "TROVIK-0001" }, { "Vantiq Pexa", "PEXA-0002" }, { "VANTIQ SULKA", "SULKA-0003" } };

    for (std::uint32_t i = 0; i < 3; ++i)
    {
        const auto handle = sim.open (i);
        TUsbAudioDeviceProperties record {};
        ASSERT_EQ (sim.api.TUSBAUDIO_GetDeviceProperties (handle, &record), 0u);
        EXPECT_EQ (text (record.manufacturer), "Kelvaro");
        EXPECT_EQ (text (record.product), expected[i][0]);
        EXPECT_EQ (text (record.serialNumber), expected[i][1]);
    }

    Bytes request = SimulatorHarness::bytes ("4D0000006600000000000000");   // application playback count
    EXPECT_EQ (get (request, sim.open (1)), 0u);
    EXPECT_EQ (SimulatorHarness::hex (request.data(), request.size()), "4D0000006600000006000000");
}

TEST_F (SimulatedInterfaceTest, InterfaceListComesFromTheEnvironment)
{
    win::setEnvironmentVariable ("KELVARO_SIM_DEVICES", " sulka,bogus, PEXA");
    sim.KSIM_Reset();
    win::setEnvironmentVariable ("KELVARO_SIM_DEVICES", nullptr);

    ASSERT_EQ (sim.api.TUSBAUDIO_GetDeviceCount(), 2u);
    TUsbAudioDeviceProperties record {};
    ASSERT_EQ (sim.api.TUSBAUDIO_GetDeviceProperties (sim.open (0), &record), 0u);
    EXPECT_EQ (text (record.product), "VANTIQ SULKA");
    EXPECT_EQ (text (record.serialNumber), "SULKA-0001");
}

TEST_F (SimulatedInterfaceTest, HandlesAreUniqueAndTracked)
{
    const auto second = sim.open (0);
    EXPECT_NE (second, trovik);
    EXPECT_EQ (sim.KSIM_GetOpenHandleCount(), 2u);

    EXPECT_EQ (sim.api.TUSBAUDIO_CloseDevice (second), 0u);
    EXPECT_EQ (sim.api.TUSBAUDIO_CloseDevice (second), simulatorInvalidHandle);
    EXPECT_EQ (set ("4D0000002C01000001000000", second), simulatorInvalidHandle);
    EXPECT_EQ (sim.api.TUSBAUDIO_OpenDeviceByIndex (2, nullptr), 0xEE000041u);

    // A detached interface answers no more, but its handle can still be closed.
    ASSERT_EQ (sim.KSIM_DetachDevice (0), 0u);
    EXPECT_EQ (set ("4D0000002C01000001000000"), simulatorDeviceGone);
    TUsbAudioHandle stale = 0;
    EXPECT_EQ (sim.api.TUSBAUDIO_OpenDeviceByIndex (0, &stale), simulatorDeviceGone);   // not enumerated again yet
    EXPECT_EQ (sim.api.TUSBAUDIO_CloseDevice (trovik), 0u);
    EXPECT_EQ (sim.KSIM_GetOpenHandleCount(), 0u);

    EXPECT_EQ (sim.journal().back().status, simulatorDeviceGone);
}

//==============================================================================
TEST_F (SimulatedInterfaceTest, MalformedRequestsAreRefusedAndChangeNothing)
{
    const char* malformedSets[] = {
        "4D000000C800000001030100000000",                     // one byte short of an entry
        "4E000000C80000000103010000000001",                   // property set 78
        "4D000000CA0000000103010000000001",                   // property 202
        "4D0000002A0000000200000000000000",                   // the version cannot be set
        "4D000000640000000E000000",                           // nor a count
        "4D000000C80000000300010000000001",                   // input kind code 3
        "4D000000C80000000100030000000001",                   // output kind code 3
        "4D000000C8000000010E010000000001",                   // device input 14 of 14
        "4D000000C80000000100011000000001",                   // device output 16 of 16
        "4D000000C800000001000100000000010300010000000001",   // a good entry, then a bad one
        "4D000000C90000000100000080",                         // output gain one byte short
        "4D000000C9000000011000008000",                       // output gain of device output 16
        "4D0000002C01000002000000",                           // meter switch 2
        "4D0000002C010000010000"                              // meter switch one byte short
    };

    for (const auto* request : malformedSets)
        EXPECT_EQ (set (request), 0xEE000041u) << request;

    const char* malformedGets[] = {
        "4D0000002A00000000000000",                           // version request too short
        "4D0000006A00000000000000",                           // property 106
        "4D000000C800000001000100000000000200020000000000",   // crosspoint get of two entries
        "4D000000C8000000",                                   // crosspoint get of none
        "4D0000002C01000000000000",                           // the meter switch cannot be read
        "4D0000002D0100000000000000000000"                    // meter block while the meters are off
    };

    for (const auto* hex : malformedGets)
    {
        auto request = SimulatorHarness::bytes (hex);
        EXPECT_EQ (get (request), 0xEE000041u) << hex;
        EXPECT_EQ (SimulatorHarness::hex (request.data(), request.size()), hex);
    }

    EXPECT_EQ (crosspoint (1, 0, 5, 0), 0);
    EXPECT_EQ (crosspoint (1, 3, 5, 0), 0);
    EXPECT_EQ (crosspoint (0, 0, 5, 0), 0x01000000);
    EXPECT_EQ (outputGain (5, 0), 0x01000000);
    EXPECT_EQ (sim.KSIM_GetMetersEnabled (0), 0);
    EXPECT_EQ (sim.journal().size(), std::size (malformedSets) + std::size (malformedGets));
}

TEST_F (SimulatedInterfaceTest, GainsReadBackExactly)
{
    EXPECT_EQ (set ("4D000000C800000000020005FFFFFF7F" "0201020300000080"), 0u);
    EXPECT_EQ (set ("4D000000C9000000020301000080"), 0u);

    EXPECT_EQ (crosspoint (0, 2, 4, 5), 0x7FFFFFFF);
    EXPECT_EQ (crosspoint (2, 1, 6, 3), std::int32_t (0x80000000));
    EXPECT_EQ (outputGain (6, 3), std::int32_t (0x80000001));

    auto reply = SimulatorHarness::bytes ("4D000000C80000000201020300000000");
    EXPECT_EQ (get (reply), 0u);
    EXPECT_EQ (SimulatorHarness::hex (reply.data(), reply.size()), "4D000000C80000000201020300000080");

    reply = SimulatorHarness::bytes ("4D000000C9000000020300000000");
    EXPECT_EQ (get (reply), 0u);
    EXPECT_EQ (SimulatorHarness::hex (reply.data(), reply.size()), "4D000000C9000000020301000080");

    // Gains belong to their interface.
    EXPECT_EQ (crosspoint (0, 2, 4, 5, 1), 0);
}

TEST_F (SimulatedInterfaceTest, FactoryMixRoutesPlaybackToOutputsAndInputsToRecording)
{
    EXPECT_EQ (crosspoint (0, 15, 5, 15), 0x01000000);
    EXPECT_EQ (crosspoint (1, 13, 4, 13), 0x01000000);
    EXPECT_EQ (crosspoint (0, 1, 5, 0), 0);
    EXPECT_EQ (crosspoint (1, 0, 5, 0), 0);
    EXPECT_EQ (crosspoint (2, 0, 6, 0), 0);
    EXPECT_EQ (outputGain (4, 13), 0x01000000);
}

TEST_F (SimulatedInterfaceTest, AbsurdCountsAreReportedAsSet)
{
    const std::uint32_t counts[] = { 100000, 7, 0, 1, 2, 3 };
    ASSERT_EQ (sim.KSIM_SetChannelCounts (0, counts), 0u);

    auto request = SimulatorHarness::bytes ("4D0000006400000000000000");
    ASSERT_EQ (get (request), 0u);
    EXPECT_EQ (SimulatorHarness::hex (request.data(), request.size()), "4D00000064000000A0860100");
    EXPECT_EQ (set ("4D000000C9000000 01FF 00000001"), 0u);
}

//==============================================================================
TEST_F (SimulatedInterfaceTest, MeterRepliesWriteOnlyTheLevels)
{
    ASSERT_EQ (set ("4D0000002C01000001000000"), 0u);

    // Application playback 0 and 1, device output 0 and 1; odd first six bytes stay as sent.
    const auto laidOut = SimulatorHarness::bytes ("4D0000002D010000"
                                                  "0000000000005555" "0000000000015555"
                                                  "0100000001005555" "0100000001015555");
    auto block = laidOut;

    for (int refresh = 0; refresh < 3; ++refresh)
    {
        ASSERT_EQ (get (block), 0u);

        for (std::size_t i = 0; i < block.size(); ++i)
        {
            const auto levelByte = i >= 8 && (i - 8) % 8 >= 6;
            EXPECT_TRUE (levelByte || block[i] == laidOut[i]) << "byte " << i;
        }
    }

    EXPECT_EQ (set ("4D0000002C01000000000000"), 0u);
    EXPECT_EQ (get (block), 0xEE000041u);
}

TEST_F (SimulatedInterfaceTest, MetersAnswerTheMixer)
{
    ASSERT_EQ (set ("4D0000002C01000001000000"), 0u);
    auto block = SimulatorHarness::bytes ("4D0000002D010000" "0000000000000000" "0000000000010000"
                                          "0100000001000000" "0100000001010000");

    ASSERT_EQ (get (block), 0u);
    const auto moving = levelOf (block, 1);
    EXPECT_GE (moving, -3600);
    EXPECT_LE (moving, -1200);
    ASSERT_EQ (get (block), 0u);
    EXPECT_NE (levelOf (block, 1), moving);
    EXPECT_EQ (levelOf (block, 3), levelOf (block, 1));   // playback 1 reaches output 1 at unity

    sim.KSIM_SetInputLevel (0, 0, 0, -600);
    ASSERT_EQ (get (block), 0u);
    EXPECT_EQ (levelOf (block, 0), -600);
    EXPECT_EQ (levelOf (block, 2), -600);

    ASSERT_EQ (set ("4D000000C9000000010000008000"), 0u);   // output gain 0.5
    ASSERT_EQ (get (block), 0u);
    EXPECT_EQ (levelOf (block, 2), -1202);

    ASSERT_EQ (set ("4D000000C80000000000010000000000"), 0u);   // crosspoint off
    ASSERT_EQ (get (block), 0u);
    EXPECT_EQ (levelOf (block, 2), -12000);

    sim.KSIM_SetInputLevel (0, 0, 1, -900);
    ASSERT_EQ (set ("4D000000C80000000001010000000001"), 0u);   // playback 1 also into output 0
    ASSERT_EQ (get (block), 0u);
    EXPECT_EQ (levelOf (block, 2), -1502);   // -9 dB, halved
}

//==============================================================================
TEST_F (SimulatedInterfaceTest, SampleRatesAndBufferSizes)
{
    std::uint32_t rates[32] {};
    std::uint32_t count = 0;
    ASSERT_EQ (sim.api.TUSBAUDIO_GetSupportedSampleRates (trovik, 32, rates, &count), 0u);
    EXPECT_EQ (std::vector<std::uint32_t> (rates, rates + count),
               (std::vector<std::uint32_t> { 44100, 48000, 88200, 96000, 176400, 192000 }));

    std::uint32_t rate = 0;
    EXPECT_EQ (sim.api.TUSBAUDIO_GetCurrentSampleRate (trovik, &rate), 0u);
    EXPECT_EQ (rate, 48000u);
    EXPECT_EQ (sim.api.TUSBAUDIO_SetSampleRate (trovik, 96000), 0u);
    EXPECT_EQ (sim.api.TUSBAUDIO_SetSampleRate (trovik, 12345), 0xEE000041u);
    EXPECT_EQ (sim.api.TUSBAUDIO_GetCurrentSampleRate (trovik, &rate), 0u);
    EXPECT_EQ (rate, 96000u);

    std::uint32_t instance = 0;
    ASSERT_EQ (sim.api.TUSBAUDIO_GetASIORelation (trovik, &instance), 0u);
    TUsbAudioAsioInstanceInfo info {};
    ASSERT_EQ (sim.api.TUSBAUDIO_GetASIOInstanceInfo (instance, &info), 0u);
    EXPECT_EQ (info.currentBufferSize, 256u);
    EXPECT_EQ (std::vector<std::uint32_t> (info.bufferSizes, info.bufferSizes + info.bufferSizeCount),
               (std::vector<std::uint32_t> { 32, 64, 128, 256, 512, 1024, 2048 }));

    EXPECT_EQ (sim.api.TUSBAUDIO_SetASIOBufferPreferredSize (0, instance, 512, 0), 0xEE000041u);   // not word 0
    EXPECT_EQ (sim.api.TUSBAUDIO_SetASIOBufferPreferredSize (0, info.instanceId, 500, 0), 0xEE000041u);
    EXPECT_EQ (sim.api.TUSBAUDIO_SetASIOBufferPreferredSize (0, info.instanceId, 512, 0), 0u);
    ASSERT_EQ (sim.api.TUSBAUDIO_GetASIOInstanceInfo (instance, &info), 0u);
    EXPECT_EQ (info.currentBufferSize, 512u);
}

TEST_F (SimulatedInterfaceTest, EventsAreSignalledByNameWhenRegistered)
{
    const win::HANDLE events[] = { win::CreateEventA (nullptr, 0, 0, "PNPdeviceChange"),
                                   win::CreateEventA (nullptr, 0, 0, "deviceSettingsChange") };
    ASSERT_NE (events[0], nullptr);
    ASSERT_NE (events[1], nullptr);
    const auto poll = [&] { return win::WaitForMultipleObjects (2, events, 0, 0); };

    sim.api.TUSBAUDIO_SetSampleRate (trovik, 44100);
    sim.KSIM_AttachDevice ("Pexa");
    EXPECT_EQ (poll(), win::WAIT_TIMEOUT);

    ASSERT_EQ (sim.api.TUSBAUDIO_RegisterDeviceNotification (trovik, 33, events[1], 0), 0u);
    ASSERT_EQ (sim.api.TUSBAUDIO_SetSampleRate (trovik, 88200), 0u);
    EXPECT_EQ (poll(), win::WAIT_OBJECT_0 + 1);
    EXPECT_EQ (poll(), win::WAIT_TIMEOUT);

    ASSERT_EQ (sim.api.TUSBAUDIO_RegisterPnpNotification (events[0], events[0], nullptr, 0, 0), 0u);
    ASSERT_EQ (sim.KSIM_DetachDevice (2), 0u);
    EXPECT_EQ (poll(), win::WAIT_OBJECT_0);

    sim.api.TUSBAUDIO_RegisterDeviceNotification (trovik, 0, events[1], 0);
    sim.api.TUSBAUDIO_UnregisterPnpNotification();
    sim.api.TUSBAUDIO_SetSampleRate (trovik, 48000);
    sim.KSIM_AttachDevice ("Pexa");
    EXPECT_EQ (poll(), win::WAIT_TIMEOUT);

    win::CloseHandle (events[1]);
    win::CloseHandle (events[0]);
}

//==============================================================================
TEST_F (SimulatedInterfaceTest, ChosenEntryPointFailsUntilCleared)
{
    ASSERT_EQ (sim.KSIM_FailEntryPoint ("TUSBAUDIO_SetDspProperty", 0x1F), 0u);
    ASSERT_EQ (sim.KSIM_FailEntryPoint ("GetDeviceCount", 5), 0u);

    EXPECT_EQ (set ("4D000000C80000000100010000000001"), 0x1Fu);
    EXPECT_EQ (crosspoint (1, 0, 5, 0), 0);
    EXPECT_EQ (sim.api.TUSBAUDIO_GetDeviceCount(), 0u);
    EXPECT_EQ (sim.journal().back().status, 0x1Fu);

    sim.KSIM_FailEntryPoint ("SetDspProperty", 0);
    EXPECT_EQ (set ("4D000000C80000000100010000000001"), 0u);
    EXPECT_EQ (crosspoint (1, 0, 5, 0), 0x01000000);
}

TEST_F (SimulatedInterfaceTest, JournalKeepsRequestsAsTheyArrived)
{
    auto request = SimulatorHarness::bytes ("4D0000006500000000000000");
    ASSERT_EQ (get (request), 0u);
    EXPECT_EQ (set ("4D000000C8000000"), 0u);

    const auto journal = sim.journal();
    ASSERT_EQ (journal.size(), 2u);
    EXPECT_EQ (journal[0].entryPoint, "GetDspProperty");
    EXPECT_EQ (journal[0].hex(), "4D0000006500000000000000");
    EXPECT_EQ (journal[1].entryPoint, "SetDspProperty");
    EXPECT_EQ (journal[1].hex(), "4D000000C8000000");

    char name[4] {};
    std::uint8_t bytes[4] {};
    std::uint32_t size = 0, status = 1;
    EXPECT_EQ (sim.KSIM_GetJournalEntry (0, name, sizeof (name), bytes, sizeof (bytes), &size, &status), 234u);
    EXPECT_STREQ (name, "Get");
    EXPECT_EQ (size, 12u);
    EXPECT_EQ (status, 0u);
    EXPECT_EQ (sim.KSIM_GetJournalEntry (2, name, sizeof (name), bytes, sizeof (bytes), &size, &status), 0xEE000041u);
}

TEST_F (SimulatedInterfaceTest, JournalFileGetsOneLinePerRequest)
{
    const auto file = juce::File::createTempFile (".journal");
    win::setEnvironmentVariable ("KELVARO_SIM_JOURNAL", file.getFullPathName().toRawUTF8());
    set ("4D000000C80000000103010000000001");
    set ("4D000000C80000000300010000000001");
    win::setEnvironmentVariable ("KELVARO_SIM_JOURNAL", nullptr);
    set ("4D000000C8000000");

    EXPECT_EQ (file.loadFileAsString(), "SetDspProperty 4D000000C80000000103010000000001 status=00000000\n"
                                        "SetDspProperty 4D000000C80000000300010000000001 status=EE000041\n");
    file.deleteFile();
}

TEST (SimulatorHarness, RegistryLeadsTheLoaderToTheSimulator)
{
    SimulatorHarness::registerLibrary();
    TUsbAudioApiDll api;

    ASSERT_EQ (api.LoadFromRegistry(), 0u);
    ASSERT_NE (api.TUSBAUDIO_GetDspProperty, nullptr);
    EXPECT_EQ (api.TUSBAUDIO_GetDeviceCount(), 2u);
}
