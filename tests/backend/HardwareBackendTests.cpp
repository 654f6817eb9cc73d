#include "backend/HardwareBackend.h"
#include "backend/HardwareBackendPimpl.h"
#include "backend/Settings.h"
#include "support/HardwareBackendTestAccess.h"
#include "support/SimulatorHarness.h"
#include "platform/WinEvents.h"
#include "platform/WinModules.h"
#include "platform/WinProcess.h"
#include "support/platform/DebuggerOutputCapture.h"
#include "support/platform/TestEventNames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using Hardware::Channel;

namespace
{
using Strings = std::vector<std::string>;

struct CountingListener final : HardwareBackend::Listener
{
    void deviceChanged() override
    {
        ++changes;

        if (reopen)
            HardwareBackend::getInstance()->selectDevice ({});
    }

    void deviceSettingsChanged() override { ++settingsChanges; }

    int changes = 0, settingsChanges = 0;
    bool reopen = false;
};

// The backend is created at most once per process (each test runs in a process of its own), after
// the test has set up the simulator, and deleted at the end of the test.
class HardwareBackendTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE (sim.isReady()); }

    void TearDown() override
    {
        if (backend != nullptr)
            backend->removeListener (&listener);

        HardwareBackend::deleteInstance();
    }

    HardwareBackend& create()
    {
        backend = HardwareBackend::getInstance();
        EXPECT_NE (backend, nullptr) << "the backend can only be created once per process";
        backend->addListener (&listener);
        return *backend;
    }

    HardwareBackend& open (const juce::String& serial = {})
    {
        create().selectDevice (serial);
        sim.KSIM_ClearJournal();
        return *backend;
    }

    HardwareBackend::Pimpl& pimpl() { return HardwareBackendTestAccess::pimpl (*backend); }
    void poll() { pimpl().timerCallback(); }

    Strings sent() const
    {
        Strings result;

        for (const auto& entry : sim.journal())
            result.push_back (entry.entryPoint.substr (0, 3) + " " + entry.hex());

        return result;
    }

    std::int32_t storedCrosspoint (Channel in, Channel out) const
    {
        std::int32_t gain = -1;
        sim.KSIM_GetCrosspointGain (0, in.kind, std::uint32_t (in.index), out.kind, std::uint32_t (out.index), &gain);
        return gain;
    }

    SimulatorHarness sim;
    HardwareBackend* backend = nullptr;
    CountingListener listener;
};

juce::String productOf (HardwareBackend& backend) { return backend.getCurrentDevice().productName; }

/** Channels of every mixer kind, as many of each as the largest simulated interface has and more. */
std::vector<Channel> everyChannel()
{
    std::vector<Channel> channels;

    for (auto kind : { Hardware::ApplicationPlayback, Hardware::DeviceInput, Hardware::VirtualPlayback,
                       Hardware::ApplicationRecording, Hardware::DeviceOutput, Hardware::VirtualRecording })
        for (std::int32_t index = 0; index < 20; ++index)
            channels.push_back ({ kind, index });

    return channels;
}

/** The channels whose meter does not read exactly `level`, as "kind:index" texts. */
Strings metersNotReading (const HardwareBackend& backend, const std::vector<Channel>& channels, float level)
{
    Strings others;

    for (const auto& channel : channels)
        if (backend.getMeterLevel (channel) != level)
            others.push_back (std::to_string (channel.kind) + ":" + std::to_string (channel.index));

    return others;
}
} // namespace

//==============================================================================
TEST_F (HardwareBackendTest, ListsTheDefaultInterfacesAndOpensTheFirst)
{
    auto& hw = create();
    const auto& devices = pimpl().devices;
    ASSERT_EQ (devices.size(), 2u);
    EXPECT_EQ (devices[0].manufacturer, "Kelvaro");
    EXPECT_EQ (devices[0].productName, "VANTIQ TROVIK");
    EXPECT_EQ (devices[0].serialNumber, "TROVIK-0001");
    EXPECT_EQ (devices[1].productName, "Vantiq Pexa");
    EXPECT_EQ (devices[1].serialNumber, "PEXA-0002");
    EXPECT_FALSE (hw.isConnected());
    EXPECT_TRUE (pimpl().isTimerRunning());
    EXPECT_EQ (pimpl().getTimerInterval(), 1000);
    EXPECT_EQ (sim.KSIM_GetPnpRegistered(), 1);
    EXPECT_EQ (sim.KSIM_GetOpenHandleCount(), 0u);   // the scan's handles are closed again

    hw.selectDevice ({});
    ASSERT_TRUE (hw.isConnected());
    EXPECT_EQ (productOf (hw), "VANTIQ TROVIK");
    EXPECT_NE (hw.getDeviceHandle(), 0u);
    EXPECT_EQ (hw.getAsioInstanceIndex(), 1u);
    EXPECT_EQ (sim.KSIM_GetOpenHandleCount(), 1u);
    EXPECT_EQ (sim.KSIM_GetSettingsRegistered (0), 1);
    EXPECT_EQ (sim.KSIM_GetMetersEnabled (0), 1);

    const auto inputs = hw.getInputs(), outputs = hw.getOutputs();
    ASSERT_EQ (inputs.size(), 34u);
    ASSERT_EQ (outputs.size(), 34u);
    EXPECT_EQ (inputs[15].kind, Hardware::ApplicationPlayback);
    EXPECT_EQ (inputs[16].kind, Hardware::DeviceInput);
    EXPECT_EQ (inputs[16].index, 0);
    EXPECT_EQ (inputs[33].kind, Hardware::VirtualPlayback);
    EXPECT_EQ (inputs[33].index, 3);
    EXPECT_EQ (outputs[0].kind, Hardware::DeviceOutput);
    EXPECT_EQ (outputs[16].kind, Hardware::ApplicationRecording);
    EXPECT_EQ (outputs[30].kind, Hardware::VirtualRecording);
    EXPECT_EQ (hw.getBufferSizes(), (std::vector<std::uint32_t> { 32, 64, 128, 256, 512, 1024, 2048 }));
}

TEST_F (HardwareBackendTest, ShutDownEndsEveryRegistrationAndSwitchesTheMetersOff)
{
    open();
    HardwareBackend::deleteInstance();
    backend = nullptr;

    EXPECT_EQ (sim.KSIM_GetPnpRegistered(), 0);
    EXPECT_EQ (sim.KSIM_GetSettingsRegistered (0), 0);
    EXPECT_EQ (sim.KSIM_GetMetersEnabled (0), 0);
    EXPECT_EQ (sim.KSIM_GetOpenHandleCount(), 0u);
    EXPECT_EQ (sent(), (Strings { "Set 4D0000002C01000000000000", "Set 4D0000002C01000000000000" }));
    EXPECT_EQ (HardwareBackend::getInstance(), nullptr);   // and none is created again
}

TEST_F (HardwareBackendTest, SavedSerialNumberChoosesTheInterface)
{
    auto& hw = open ("PEXA-0002");
    EXPECT_EQ (productOf (hw), "Vantiq Pexa");
    EXPECT_EQ (hw.getInputs().size(), 16u);

    hw.selectDevice ("pexa-0002");   // case matters: no match, so the first
    EXPECT_EQ (productOf (hw), "VANTIQ TROVIK");
    hw.selectDevice ("PEXA-0002");
    hw.selectDevice ("UNKNOWN");
    EXPECT_EQ (productOf (hw), "VANTIQ TROVIK");
}

TEST_F (HardwareBackendTest, DuplicatedSerialNumberOpensTheFirstMatch)
{
    ASSERT_EQ (sim.KSIM_AttachDevice ("Sulka"), 2);
    ASSERT_EQ (sim.KSIM_SetSerialNumber (2, "PEXA-0002"), 0u);
    EXPECT_EQ (productOf (open ("PEXA-0002")), "Vantiq Pexa");
}

TEST_F (HardwareBackendTest, InterfaceWithoutPropertiesIsListedEmptyAndOpens)
{
    sim.KSIM_FailEntryPoint ("GetDeviceProperties", 31);
    auto& hw = create();
    ASSERT_EQ (pimpl().devices.size(), 2u);
    EXPECT_TRUE (pimpl().devices[1].productName.isEmpty());
    EXPECT_TRUE (pimpl().devices[1].serialNumber.isEmpty());
    EXPECT_EQ (sim.KSIM_GetOpenHandleCount(), 0u);

    hw.openDevice (1);
    EXPECT_TRUE (hw.isConnected());
    EXPECT_EQ (hw.getOutputs().size(), 16u);
}

TEST_F (HardwareBackendTest, FailedOpenKeepsTheLastInterface)
{
    auto& hw = open();
    const auto handle = hw.getDeviceHandle();
    sim.KSIM_FailEntryPoint ("OpenDeviceByIndex", 5);
    hw.openDevice (1);

    EXPECT_FALSE (hw.isConnected());
    EXPECT_EQ (productOf (hw), "VANTIQ TROVIK");
    EXPECT_EQ (hw.getDeviceHandle(), handle);
    EXPECT_EQ (sent(), (Strings { "Set 4D0000002C01000000000000" }));   // the accessor was closed
    EXPECT_TRUE (hw.getInputs().empty());
}

//==============================================================================
TEST_F (HardwareBackendTest, PlugAndPlayGoesFirstAndSettingsFollowOneTickLater)
{
    auto& hw = open();
    ASSERT_EQ (hw.getApi().TUSBAUDIO_SetSampleRate (hw.getDeviceHandle(), 96000), 0u);
    ASSERT_EQ (sim.KSIM_AttachDevice ("Sulka"), 2);

    poll();
    EXPECT_EQ (listener.changes, 1);
    EXPECT_EQ (listener.settingsChanges, 0);
    EXPECT_FALSE (hw.isConnected());
    EXPECT_EQ (hw.getDeviceHandle(), 0u);
    EXPECT_EQ (pimpl().devices.size(), 3u);
    EXPECT_EQ (sim.KSIM_GetOpenHandleCount(), 0u);

    poll();
    EXPECT_EQ (listener.changes, 1);
    EXPECT_EQ (listener.settingsChanges, 1);
    poll();
    EXPECT_EQ (listener.settingsChanges, 1);
}

TEST_F (HardwareBackendTest, NothingGoesThroughTheClosedHandleUntilTheNextOpen)
{
    auto& hw = open();
    sim.KSIM_DetachDevice (1);
    poll();
    ASSERT_EQ (listener.changes, 1);

    EXPECT_EQ (hw.getCrosspointGain ({ Hardware::DeviceInput, 0 }, { Hardware::DeviceOutput, 0 }), 0.0f);
    hw.setCrosspointGains ({ { 1, 0, 5, 0 } }, 1.0f);
    hw.selectDevice ({});   // closing the accessor sends no meters-off through the dead handle
    EXPECT_EQ (sent(), (Strings { "Get 4D0000002A0000000000000000000000", "Get 4D0000006400000000000000",
                                  "Get 4D0000006500000000000000", "Get 4D0000006600000000000000",
                                  "Get 4D0000006700000000000000", "Get 4D0000006800000000000000",
                                  "Get 4D0000006900000000000000", "Set 4D0000002C01000001000000" }));
    EXPECT_TRUE (hw.isConnected());
    EXPECT_EQ (sim.KSIM_GetMetersEnabled (0), 1);
}

TEST_F (HardwareBackendTest, UnpluggingTheLastInterfaceLeavesNothingOpen)
{
    listener.reopen = true;
    auto& hw = open();
    sim.KSIM_DetachDevice (1);
    sim.KSIM_DetachDevice (0);
    poll();

    EXPECT_EQ (listener.changes, 1);
    EXPECT_TRUE (pimpl().devices.empty());
    EXPECT_FALSE (hw.isConnected());
    EXPECT_EQ (hw.getAsioInstanceIndex(), 0u);
    EXPECT_EQ (productOf (hw), "VANTIQ TROVIK");
}

TEST_F (HardwareBackendTest, ListenersAreCalledOnceAndNotAfterRemoval)
{
    auto& hw = open();
    hw.addListener (&listener);
    hw.getApi().TUSBAUDIO_SetSampleRate (hw.getDeviceHandle(), 44100);
    poll();
    EXPECT_EQ (listener.settingsChanges, 1);

    hw.removeListener (&listener);
    hw.getApi().TUSBAUDIO_SetSampleRate (hw.getDeviceHandle(), 48000);
    poll();
    EXPECT_EQ (listener.settingsChanges, 1);
}

//==============================================================================
TEST_F (HardwareBackendTest, GainsGoOutRoundedForCrosspointsAndTruncatedForOutputs)
{
    auto& hw = open();
    const Channel in { Hardware::DeviceInput, 3 }, out { Hardware::DeviceOutput, 0 }, rec { Hardware::ApplicationRecording, 1 };

    hw.setCrosspointGain (in, out, 0.5f);
    EXPECT_EQ (storedCrosspoint (in, out), 8388608);
    EXPECT_EQ (hw.getCrosspointGain (in, out), 0.5f);
    hw.setCrosspointGain (in, out, 0.1f);
    hw.setCrosspointGains ({ { 1, 3, 5, 0 }, { 0, 2, 4, 1 } }, 0.1f);
    hw.setOutputGain (rec, 0.5f);
    hw.setOutputGain (rec, 0.1f);
    EXPECT_EQ (hw.getOutputGain (rec), 1677721 * 5.9604645e-8f);

    EXPECT_EQ (sent(), (Strings { "Set 4D000000C80000000103010000008000",
                                  "Get 4D000000C80000000103010000000000",
                                  "Set 4D000000C8000000010301009A991900",
                                  "Set 4D000000C8000000010301009A99190000020001" "9A991900",
                                  "Set 4D000000C90000000001000080" "00",
                                  "Set 4D000000C9000000000199991900",
                                  "Get 4D000000C9000000000100000000" }));
}

TEST_F (HardwareBackendTest, GainsBeyondTheFixedPointRangeSaturate)
{
    auto& hw = open();
    const Channel in { Hardware::DeviceInput, 3 }, out { Hardware::DeviceOutput, 0 };
    const auto nan = std::numeric_limits<float>::quiet_NaN();
    const auto inf = std::numeric_limits<float>::infinity();

    for (const auto gain : { 200.0f, -200.0f, nan, inf, -inf, 128.0f, -128.0f, std::nextafter (128.0f, 0.0f) })
        hw.setCrosspointGain (in, out, gain);

    // Scaled ties: 2.5 and -2.5 go to the even neighbour, 3.5 too.
    for (const auto scaled : { 2.5f, -2.5f, 3.5f })
        hw.setCrosspointGain (in, out, scaled / 16777216.0f);

    hw.setCrosspointGains ({ { 1, 3, 5, 0 } }, 200.0f);
    hw.setCrosspointGains ({ { 1, 3, 5, 0 } }, nan);

    EXPECT_EQ (sent(), (Strings { "Set 4D000000C800000001030100FFFFFF7F",
                                  "Set 4D000000C80000000103010000000080",
                                  "Set 4D000000C80000000103010000000000",
                                  "Set 4D000000C800000001030100FFFFFF7F",
                                  "Set 4D000000C80000000103010000000080",
                                  "Set 4D000000C800000001030100FFFFFF7F",
                                  "Set 4D000000C80000000103010000000080",
                                  "Set 4D000000C80000000103010080FFFF7F",
                                  "Set 4D000000C80000000103010002000000",
                                  "Set 4D000000C800000001030100FEFFFFFF",
                                  "Set 4D000000C80000000103010004000000",
                                  "Set 4D000000C800000001030100FFFFFF7F",
                                  "Set 4D000000C80000000103010000000000" }));

    // The output gains saturate the same way.
    sim.KSIM_ClearJournal();

    for (const auto gain : { 200.0f, -200.0f, nan })
        hw.setOutputGain (out, gain);

    EXPECT_EQ (sent(), (Strings { "Set 4D000000C90000000100FFFFFF7F",
                                  "Set 4D000000C9000000010000000080",
                                  "Set 4D000000C9000000010000000000" }));
}

TEST_F (HardwareBackendTest, KindThreeAndOtherNonMixerKindsSendNothing)
{
    auto& hw = open();
    const Channel three { Hardware::ChannelKind (3), 0 }, in { Hardware::DeviceInput, 0 }, out { Hardware::DeviceOutput, 0 };

    hw.setCrosspointGain (three, out, 1.0f);
    hw.setCrosspointGain (in, three, 1.0f);
    hw.setCrosspointGain (out, in, 1.0f);
    hw.setCrosspointGains ({ { 1, 0, 5, 0 }, { 1, 0, 3, 0 } }, 1.0f);
    hw.setOutputGain (three, 1.0f);
    hw.setOutputGain ({ Hardware::ChannelKind (-1), 0 }, 1.0f);
    EXPECT_EQ (hw.getCrosspointGain (three, out), 0.0f);
    EXPECT_EQ (hw.getCrosspointGain (in, three), 0.0f);
    EXPECT_EQ (hw.getOutputGain (three), 0.0f);
    EXPECT_TRUE (sent().empty());
    EXPECT_EQ (hw.getMeterLevel (three), -120.0f);
}

TEST_F (HardwareBackendTest, NotConnectedGettersGiveFixedValuesAndSettersSendNothing)
{
    auto& hw = create();
    sim.KSIM_ClearJournal();
    const Channel in { Hardware::DeviceInput, 0 }, out { Hardware::DeviceOutput, 0 };

    EXPECT_TRUE (hw.getInputs().empty());
    EXPECT_TRUE (hw.getOutputs().empty());
    EXPECT_TRUE (hw.getBufferSizes().empty());
    EXPECT_EQ (hw.getMeterLevel (in), -120.0f);
    EXPECT_EQ (hw.getOutputGain (out), 0.0f);
    hw.setCrosspointGain (in, out, 1.0f);
    hw.setOutputGain (out, 1.0f);
    hw.refreshMeters();
    EXPECT_TRUE (sent().empty());

    // The crosspoint getter and the macro setter go out with the accessor's handle, none here.
    EXPECT_EQ (hw.getCrosspointGain (in, out), 0.0f);
    hw.setCrosspointGains ({ { 1, 0, 5, 0 } }, 1.0f);
    const auto journal = sim.journal();
    ASSERT_EQ (journal.size(), 2u);
    EXPECT_EQ (journal[0].status, simulatorInvalidHandle);
    EXPECT_EQ (journal[1].hex(), "4D000000C80000000100010000000001");
}

TEST_F (HardwareBackendTest, MetersReadMinus120UntilTheFirstRefreshAndThenTheDevice)
{
    auto& hw = open();
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::DeviceInput, 0 }), -120.0f);
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::VirtualRecording, 3 }), -120.0f);
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::DeviceInput, 14 }), -120.0f);
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::DeviceInput, -1 }), -120.0f);

    sim.KSIM_SetInputLevel (0, Hardware::DeviceInput, 2, -600);
    hw.refreshMeters();
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::DeviceInput, 2 }), -6.0f);
    const auto journal = sim.journal();
    ASSERT_EQ (journal.size(), 1u);
    EXPECT_EQ (journal[0].bytes.size(), 8u + 8u * 68u);
}

TEST_F (HardwareBackendTest, MetersStayDarkUntilTheFirstReadWhichSendsTheBlockAsLaidOut)
{
    const std::uint32_t counts[] { 2, 1, 1, 1, 1, 1 };   // device outputs 2, one of every other kind
    ASSERT_EQ (sim.KSIM_SetChannelCounts (0, counts), 0u);
    auto& hw = open();
    EXPECT_EQ (metersNotReading (hw, everyChannel(), -120.0f), Strings {});
    EXPECT_TRUE (sent().empty());

    sim.KSIM_SetInputLevel (0, Hardware::DeviceInput, 0, -600);
    sim.KSIM_SetInputLevel (0, Hardware::ApplicationPlayback, 0, 0);
    hw.refreshMeters();
    EXPECT_EQ (sent(), (Strings { "Get 4D0000002D010000"
                                  "0000000000000000"      // application playback 0
                                  "0000000001000000"      // device input 0
                                  "0000000002000000"      // virtual playback 0
                                  "0100000001000000"      // device output 0
                                  "0100000001010000"      // device output 1
                                  "0100000000000000"      // application recording 0
                                  "0100000002000000" }));   // virtual recording 0
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::DeviceInput, 0 }), -6.0f);
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::DeviceOutput, 0 }), 0.0f);   // application playback 0 at unity
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::DeviceOutput, 2 }), -120.0f);
}

TEST_F (HardwareBackendTest, MetersStayDarkAfterAFailedFirstReadAndKeepTheirLevelsAfterALaterOne)
{
    auto& hw = open();
    const auto channels = everyChannel();

    // A failed read leaves the block's zeros, which are no levels.
    sim.KSIM_FailEntryPoint ("GetDspProperty", 31);
    hw.refreshMeters();
    EXPECT_EQ (metersNotReading (hw, channels, -120.0f), Strings {});

    sim.KSIM_FailEntryPoint ("GetDspProperty", 0);
    sim.KSIM_SetInputLevel (0, Hardware::DeviceInput, 2, -600);
    hw.refreshMeters();
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::DeviceInput, 2 }), -6.0f);

    // Once read, a failed read keeps the last levels.
    sim.KSIM_SetInputLevel (0, Hardware::DeviceInput, 2, -1200);
    sim.KSIM_FailEntryPoint ("GetDspProperty", 31);
    hw.refreshMeters();
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::DeviceInput, 2 }), -6.0f);

    // Opening again starts dark.
    sim.KSIM_FailEntryPoint ("GetDspProperty", 0);
    hw.selectDevice ({});
    ASSERT_TRUE (hw.isConnected());
    EXPECT_EQ (metersNotReading (hw, channels, -120.0f), Strings {});
    hw.refreshMeters();
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::DeviceInput, 2 }), -12.0f);
}

TEST_F (HardwareBackendTest, MetersReadMinus120WithoutAnInterface)
{
    const auto channels = everyChannel();

    // A library without interfaces.
    sim.KSIM_DetachDevice (1);
    sim.KSIM_DetachDevice (0);
    auto& hw = create();
    hw.selectDevice ({});
    ASSERT_FALSE (hw.isConnected());
    EXPECT_EQ (metersNotReading (hw, channels, -120.0f), Strings {});

    // And after the interface that showed levels was unplugged.
    ASSERT_EQ (sim.KSIM_AttachDevice ("Pexa"), 0);
    poll();
    hw.selectDevice ({});
    ASSERT_TRUE (hw.isConnected());
    sim.KSIM_SetInputLevel (0, Hardware::ApplicationPlayback, 0, 0);
    hw.refreshMeters();
    ASSERT_EQ (hw.getMeterLevel ({ Hardware::DeviceOutput, 0 }), 0.0f);

    sim.KSIM_DetachDevice (0);
    poll();
    ASSERT_FALSE (hw.isConnected());
    EXPECT_EQ (metersNotReading (hw, channels, -120.0f), Strings {});
    hw.refreshMeters();
    EXPECT_EQ (metersNotReading (hw, channels, -120.0f), Strings {});
}

TEST_F (HardwareBackendTest, MetersThatDidNotSwitchOnReadMinus120)
{
    sim.KSIM_FailEntryPoint ("SetDspProperty", 31);
    auto& hw = open();
    EXPECT_TRUE (hw.isConnected());
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::DeviceInput, 0 }), -120.0f);
    hw.refreshMeters();
    EXPECT_TRUE (sent().empty());
}

TEST_F (HardwareBackendTest, FailedLayoutQueryStaysConnectedWithoutChannels)
{
    sim.KSIM_SetProtocolVersion (3, 0);
    auto& hw = open();
    EXPECT_TRUE (hw.isConnected());
    EXPECT_TRUE (hw.getInputs().empty());
    EXPECT_TRUE (hw.getOutputs().empty());
}

TEST_F (HardwareBackendTest, HugeChannelCountsAreClampedTo256)
{
    const std::uint32_t counts[] { 100000, 100000, 100000, 100000, 100000, 100000 };
    ASSERT_EQ (sim.KSIM_SetChannelCounts (0, counts), 0u);
    auto& hw = open();
    const auto inputs = hw.getInputs();
    ASSERT_EQ (inputs.size(), 768u);
    EXPECT_EQ (inputs[255].index, 255);
    EXPECT_EQ (hw.getOutputs().size(), 768u);

    sim.KSIM_SetInputLevel (0, Hardware::VirtualPlayback, 255, -600);
    hw.refreshMeters();
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::VirtualPlayback, 255 }), -6.0f);
    EXPECT_EQ (hw.getMeterLevel ({ Hardware::VirtualRecording, 256 }), -120.0f);
}

TEST_F (HardwareBackendTest, NoMoreThan256InterfacesAreListed)
{
    for (int i = 0; i < 300; ++i)
        sim.KSIM_AttachDevice ("Pexa");

    create();
    EXPECT_EQ (pimpl().devices.size(), 256u);
    EXPECT_EQ (pimpl().devices[255].serialNumber, "PEXA-0256");
}

//==============================================================================
namespace
{
TUsbAudioStatus unterminatedProperties (TUsbAudioHandle, TUsbAudioDeviceProperties* properties)
{
    std::fill (std::begin (properties->serialNumber), std::end (properties->serialNumber), u'S');
    std::fill (std::begin (properties->manufacturer), std::end (properties->manufacturer), u'M');
    std::fill (std::begin (properties->product), std::end (properties->product), u'P');
    properties->product[0] = 0xD800;   // a lone surrogate
    properties->flags = 0x41414141;
    return 0;
}

TUsbAudioStatus oversizedAsioRecord (std::uint32_t, TUsbAudioAsioInstanceInfo* info)
{
    info->bufferSizeCount = 0xFFFFFFFF;
    std::fill (std::begin (info->bufferSizes), std::end (info->bufferSizes), 64u);
    return 0;
}

// A driver whose own record holds more buffer sizes than we read, and which writes them all.
constexpr std::uint32_t longSizeListCount = 64;

TUsbAudioStatus longBufferSizeList (std::uint32_t, TUsbAudioAsioInstanceInfo* info)
{
    auto* record = reinterpret_cast<std::uint8_t*> (info);
    DspProtocol::writeU32 (record + 28, 256);
    DspProtocol::writeU32 (record + 32, longSizeListCount);

    for (std::uint32_t i = 0; i < longSizeListCount; ++i)
        DspProtocol::writeU32 (record + 36 + 4 * i, 16 * (i + 1));

    return 0;
}
} // namespace

TEST_F (HardwareBackendTest, DriverRecordsAreReadOnlyWithinTheirFields)
{
    auto& hw = create();
    pimpl().api.TUSBAUDIO_GetDeviceProperties = unterminatedProperties;
    pimpl().scanDevices();
    const auto& device = pimpl().devices.at (0);
    EXPECT_EQ (device.serialNumber, juce::String::repeatedString ("S", 128));
    EXPECT_EQ (device.manufacturer, juce::String::repeatedString ("M", 128));
    EXPECT_EQ (device.productName, juce::String::charToString (0xFFFD) + juce::String::repeatedString ("P", 127));

    hw.selectDevice ({});
    pimpl().api.TUSBAUDIO_GetASIOInstanceInfo = oversizedAsioRecord;
    EXPECT_EQ (hw.getBufferSizes(), std::vector<std::uint32_t> (32, 64u));
}

TEST_F (HardwareBackendTest, LongerBufferSizeListsStayInsideTheRecordAndOnly32AreUsed)
{
    auto& hw = open();
    pimpl().api.TUSBAUDIO_GetASIOInstanceInfo = longBufferSizeList;

    std::vector<std::uint32_t> expected;

    for (std::uint32_t i = 0; i < TUsbAudioAsioInstanceInfo::maxBufferSizes; ++i)
        expected.push_back (16 * (i + 1));

    EXPECT_EQ (hw.getBufferSizes(), expected);
}

//==============================================================================
namespace
{
constexpr win::DWORD nameTooLong = 206;   // ERROR_FILENAME_EXCED_RANGE

/** Gives this process's events, and those that the simulator signals, another prefix for a while. */
class LongerEventNames
{
public:
    explicit LongerEventNames (SimulatorHarness& simulator)
        : sim (simulator), own (win::TestEventNames::prefix())
    {
    }

    ~LongerEventNames() { use (own); }

    /** Long enough that no event name fits. */
    void tooLongForEitherEvent() { use (own + std::string (1000, 'x')); }

    /** The shortest that "deviceSettingsChange" no longer fits, found by trying; "PNPdeviceChange",
        five characters shorter, still does. False when no such length was found. */
    bool tooLongForTheSettingsEventOnly()
    {
        for (auto prefix = own; prefix.size() < own.size() + 1000; prefix += 'x')
        {
            use (prefix);

            auto* event = win::CreateEventA (nullptr, 0, 0, "deviceSettingsChange");

            if (event == nullptr)
                return win::GetLastError() == nameTooLong;

            win::CloseHandle (event);
        }

        return false;
    }

private:
    void use (const std::string& prefix)
    {
        win::TestEventNames::use (prefix);
        sim.KSIM_SetEventPrefix (prefix.c_str());
    }

    SimulatorHarness& sim;
    const std::string own;
};

/** What the trace log says about an event that could not be created. */
std::string missingEventLine (const std::string& name)
{
    return "(" + std::to_string (win::GetCurrentThreadId()) + ") ERROR Could not create the event \""
           + name + "\" (error 206)\n";
}

// Every call of the driver's settings notification, passed on to the simulated driver.
struct NotificationCall
{
    TUsbAudioHandle handle;
    std::uint32_t categoryFilter;
    win::HANDLE event;
};

std::vector<NotificationCall> notificationCalls;
TUSBAUDIO_RegisterDeviceNotification_t simulatedRegisterDeviceNotification = nullptr;

TUsbAudioStatus recordedRegisterDeviceNotification (TUsbAudioHandle handle, std::uint32_t categoryFilter,
                                                    win::HANDLE event, std::uint32_t flags)
{
    notificationCalls.push_back ({ handle, categoryFilter, event });
    return simulatedRegisterDeviceNotification (handle, categoryFilter, event, flags);
}
} // namespace

class HardwareBackendWithoutEventsTest : public HardwareBackendTest
{
protected:
    /** Creates the backend, records its settings notifications and opens the first interface;
        returns what went to the debugger output while the backend was created. */
    std::string createAndOpen()
    {
        win::DebuggerOutputCapture capture;
        create();
        const auto traced = capture.finish();

        simulatedRegisterDeviceNotification = pimpl().api.TUSBAUDIO_RegisterDeviceNotification;
        pimpl().api.TUSBAUDIO_RegisterDeviceNotification = recordedRegisterDeviceNotification;
        backend->selectDevice ({});
        sim.KSIM_ClearJournal();
        return traced;
    }

    /** Gains and meters, through the open interface. */
    void expectTheMixerWorks()
    {
        ASSERT_TRUE (backend->isConnected());
        EXPECT_EQ (backend->getOutputs().size(), 34u);

        const Channel in { Hardware::DeviceInput, 3 }, out { Hardware::DeviceOutput, 0 };
        backend->setCrosspointGain (in, out, 0.5f);
        EXPECT_EQ (storedCrosspoint (in, out), 8388608);
        backend->setOutputGain (out, 0.5f);
        EXPECT_EQ (backend->getOutputGain (out), 0.5f);

        sim.KSIM_SetInputLevel (0, Hardware::DeviceInput, 2, -600);
        backend->refreshMeters();
        EXPECT_EQ (backend->getMeterLevel ({ Hardware::DeviceInput, 2 }), -6.0f);
    }

    LongerEventNames names { sim };
};

TEST_F (HardwareBackendWithoutEventsTest, WithoutEitherEventTheMixerWorksAndLooksForNoDeviceChanges)
{
    names.tooLongForEitherEvent();
    EXPECT_EQ (createAndOpen(), missingEventLine ("PNPdeviceChange") + missingEventLine ("deviceSettingsChange"));

    EXPECT_EQ (pimpl().pnpEvent, nullptr);
    EXPECT_EQ (pimpl().settingsEvent, nullptr);
    EXPECT_FALSE (pimpl().isTimerRunning());
    EXPECT_EQ (sim.KSIM_GetPnpRegistered(), 0);
    EXPECT_EQ (sim.KSIM_GetSettingsRegistered (0), 0);
    expectTheMixerWorks();

    // A poll has nothing to wait for.
    win::SetLastError (0);
    poll();
    EXPECT_EQ (win::GetLastError(), 0u);

    HardwareBackend::deleteInstance();
    backend = nullptr;
    EXPECT_TRUE (notificationCalls.empty());
    EXPECT_EQ (sim.KSIM_GetMetersEnabled (0), 0);
}

TEST_F (HardwareBackendWithoutEventsTest, WithoutTheSettingsEventPlugAndPlayIsStillNoticed)
{
    ASSERT_TRUE (names.tooLongForTheSettingsEventOnly());
    EXPECT_EQ (createAndOpen(), missingEventLine ("deviceSettingsChange"));

    EXPECT_NE (pimpl().pnpEvent, nullptr);
    EXPECT_EQ (pimpl().settingsEvent, nullptr);
    EXPECT_TRUE (pimpl().isTimerRunning());
    EXPECT_EQ (sim.KSIM_GetPnpRegistered(), 1);
    EXPECT_EQ (sim.KSIM_GetSettingsRegistered (0), 0);
    expectTheMixerWorks();

    // No settings notification was asked for, so a changed sample rate goes unnoticed...
    ASSERT_EQ (backend->getApi().TUSBAUDIO_SetSampleRate (backend->getDeviceHandle(), 96000), 0u);
    poll();
    EXPECT_EQ (listener.settingsChanges, 0);
    EXPECT_EQ (listener.changes, 0);

    // ...but an interface plugged in is seen.
    ASSERT_EQ (sim.KSIM_AttachDevice ("Sulka"), 2);
    poll();
    EXPECT_EQ (listener.changes, 1);
    EXPECT_FALSE (backend->isConnected());
    EXPECT_EQ (pimpl().devices.size(), 3u);

    listener.reopen = true;
    sim.KSIM_DetachDevice (2);
    poll();
    EXPECT_EQ (listener.changes, 2);
    EXPECT_TRUE (backend->isConnected());

    HardwareBackend::deleteInstance();
    backend = nullptr;
    EXPECT_TRUE (notificationCalls.empty());
    EXPECT_EQ (sim.KSIM_GetPnpRegistered(), 0);
}

//==============================================================================
TEST (HardwareBackendWithoutDriverTest, CreatedUnconnectedAndStillLoadsTheConfiguration)
{
    auto settings = Settings::getInstance();
    settings->config = juce::ValueTree::fromXml ("<Config><Device name=\"\"><ChannelNames>"
                                                 "<Names pin=\"DeviceInput\"><Name name=\"Mic\"/></Names>"
                                                 "</ChannelNames></Device></Config>");
    auto* backend = HardwareBackend::getInstance();
    ASSERT_NE (backend, nullptr);
    EXPECT_EQ (HardwareBackend::getInstance(), backend);
    EXPECT_EQ (backend->getApi().module, nullptr);
    EXPECT_FALSE (HardwareBackendTestAccess::pimpl (*backend).isTimerRunning());

    backend->selectDevice ("TROVIK-0001");
    EXPECT_FALSE (backend->isConnected());
    EXPECT_TRUE (backend->getInputs().empty());
    EXPECT_EQ (metersNotReading (*backend, everyChannel(), -120.0f), Strings {});
    EXPECT_EQ (settings->channelNames[Hardware::DeviceInput], juce::StringArray ("Mic"));

    HardwareBackend::deleteInstance();
    EXPECT_EQ (HardwareBackend::getInstance(), nullptr);
}
