#include <gtest/gtest.h>

#include "BinaryData.h"
#include "app/MainComponent.h"
#include "backend/HardwareBackend.h"
#include "backend/Settings.h"
#include "driver/TUsbAudioApiDll.h"
#include "support/platform/TestEnvironment.h"
#include "support/SimulatorHarness.h"
#include "ui/SettingsComponent.h"
#include "ui/UiTestEvents.h"

#include <cstdlib>
#include <memory>
#include <vector>

namespace
{
using Rect = juce::Rectangle<int>;

std::vector<int> itemIds (const juce::ComboBox& box)
{
    std::vector<int> ids;

    for (int i = 0; i < box.getNumItems(); ++i)
        ids.push_back (box.getItemId (i));

    return ids;
}

juce::StringArray itemTexts (const juce::ComboBox& box)
{
    juce::StringArray texts;

    for (int i = 0; i < box.getNumItems(); ++i)
        texts.add (box.getItemText (i));

    return texts;
}

/** A main view over the simulated interfaces; the panel under test is its settingsComponent. */
class SettingsPanel : public ::testing::Test
{
protected:
    void start (const char* devices = "Sulka,Pexa")
    {
        win::setEnvironmentVariable ("KELVARO_SIM_DEVICES", devices);
        sim = std::make_unique<SimulatorHarness>();
        ASSERT_TRUE (sim->isReady());

        view = std::make_unique<MainComponent> (nullptr);
        backend = HardwareBackend::getInstance();
        ASSERT_NE (backend, nullptr);
    }

    // The backend is made once per process; ctest runs each test in a process of its own.
    void TearDown() override
    {
        view.reset();
        HardwareBackend::deleteInstance();
        win::setEnvironmentVariable ("KELVARO_SIM_DEVICES", nullptr);
    }

    SettingsComponent& panel() { return view->settingsComponent; }

    TUsbAudioAsioInstanceInfo asioInfo()
    {
        TUsbAudioAsioInstanceInfo info {};
        EXPECT_EQ (sim->api.TUSBAUDIO_GetASIOInstanceInfo (backend->getAsioInstanceIndex(), &info), 0u);
        return info;
    }

    std::uint32_t currentSampleRate()
    {
        std::uint32_t rate = 0;
        EXPECT_EQ (sim->api.TUSBAUDIO_GetCurrentSampleRate (backend->getDeviceHandle(), &rate), 0u);
        return rate;
    }

    std::unique_ptr<SimulatorHarness> sim;
    std::unique_ptr<MainComponent> view;
    HardwareBackend* backend = nullptr;
};

// Stand-ins for driver entry points that report more than they were given room for.
std::uint32_t reportedBufferSizeCount = 0;
std::vector<std::uint32_t> sentBufferSizes;

TUsbAudioStatus tooManyRates (TUsbAudioHandle, std::uint32_t capacity, std::uint32_t* rates, std::uint32_t* count)
{
    for (std::uint32_t i = 0; i < capacity; ++i)
        rates[i] = 1000 + i;

    *count = 1000;
    return 0;
}

TUsbAudioStatus asioInfoWithCount (std::uint32_t, TUsbAudioAsioInstanceInfo* info)
{
    *info = {};
    info->instanceId = 77;
    info->currentBufferSize = 64;
    info->bufferSizeCount = reportedBufferSizeCount;

    for (std::uint32_t i = 0; i < TUsbAudioAsioInstanceInfo::maxBufferSizes; ++i)
        info->bufferSizes[i] = 16 * (i + 1);

    return 0;
}

TUsbAudioStatus recordBufferSize (std::uint32_t flags, std::uint32_t instanceId, std::uint32_t size, std::uint32_t reserved)
{
    if (flags == 0 && instanceId == 77 && reserved == 0)
        sentBufferSizes.push_back (size);

    return 0;
}
} // namespace

TEST (SettingsPanelLayout, PanelOf200By550)
{
    const auto layout = SettingsComponent::computeLayout (200, 550);

    EXPECT_EQ (layout.modeRow, Rect (10, 20, 180, 78));
    EXPECT_EQ (layout.sampleRateRow, Rect (10, 98, 180, 78));
    EXPECT_EQ (layout.bufferSizeRow, Rect (10, 176, 180, 78));
    EXPECT_EQ (layout.resetRow, Rect (10, 264, 180, 55));
    EXPECT_EQ (layout.resetButton, Rect (10, 264, 64, 55));
    EXPECT_EQ (layout.resetTextArea, Rect (80, 264, 110, 45));
    EXPECT_EQ (layout.aboutButton, Rect (61, 462, 78, 78));
    EXPECT_EQ (layout.logoArea, Rect (30, 389, 140, 68));

    const auto firstRow = SettingsComponent::splitRow (layout.modeRow);
    EXPECT_EQ (firstRow.first, Rect (19, 26, 162, 23));
    EXPECT_EQ (firstRow.second, Rect (19, 55, 162, 37));
}

TEST (SettingsPanelLayout, PanelTooShortForItsRowsClampsEveryPart)
{
    // r = 100 / 7 = 14.28: rows of 14, a reset row cut to the 18 pixels left, About 14 square.
    const auto layout = SettingsComponent::computeLayout (200, 100);

    EXPECT_EQ (layout.modeRow, Rect (10, 20, 180, 14));
    EXPECT_EQ (layout.bufferSizeRow, Rect (10, 48, 180, 14));
    EXPECT_EQ (layout.resetRow, Rect (10, 72, 180, 18));
    EXPECT_EQ (layout.resetButton, Rect (10, 72, 64, 18));
    EXPECT_EQ (layout.resetTextArea, Rect (80, 72, 110, 8));
    EXPECT_EQ (layout.aboutButton, Rect (93, 83, 14, 14));
    EXPECT_EQ (layout.logoArea, Rect (30, 95, 140, 0));

    const auto row = SettingsComponent::splitRow (layout.modeRow);
    EXPECT_EQ (row.first, Rect (19, 26, 162, 0));
    EXPECT_EQ (row.second, Rect (19, 29, 162, 0));

    // Far too small: nothing negative anywhere, the About button still s by s.
    for (const auto size : { juce::Point<int> (15, 30), juce::Point<int> (200, 20), juce::Point<int> (0, 0) })
    {
        const auto tiny = SettingsComponent::computeLayout (size.x, size.y);

        for (const auto& rect : { tiny.modeRow, tiny.sampleRateRow, tiny.bufferSizeRow, tiny.resetRow,
                                  tiny.resetButton, tiny.resetTextArea, tiny.aboutButton, tiny.logoArea })
        {
            EXPECT_GE (rect.getWidth(), 0);
            EXPECT_GE (rect.getHeight(), 0);
        }

        for (const auto& part : { SettingsComponent::splitRow (tiny.modeRow).first, SettingsComponent::splitRow (tiny.modeRow).second })
        {
            EXPECT_GE (part.getWidth(), 0);
            EXPECT_GE (part.getHeight(), 0);
        }

        const auto s = (int) std::min ((float) size.y / 7.0f, 0.8f * (float) std::max (0, size.x - 20));
        EXPECT_EQ (tiny.aboutButton.getWidth(), s);
        EXPECT_EQ (tiny.aboutButton.getHeight(), s);
    }
}

TEST (SettingsPanelLogo, ModelIsRecognisedByTheEndOfTheProductNameIgnoringCase)
{
    EXPECT_EQ (SettingsComponent::getModelLogoResource ("VANTIQ SULKA").data, BinaryData::logovtqSulka_svg);
    EXPECT_EQ (SettingsComponent::getModelLogoResource ("VANTIQ SULKA").size, BinaryData::logovtqSulka_svgSize);
    EXPECT_EQ (SettingsComponent::getModelLogoResource ("Vantiq Pexa").data, BinaryData::logovtqPexa_svg);
    EXPECT_EQ (SettingsComponent::getModelLogoResource ("vantiq trovik").data, BinaryData::logovtqTrovik_svg);

    EXPECT_EQ (SettingsComponent::getModelLogoResource ("VANTIQ SULKA MK2").data, nullptr);
    EXPECT_EQ (SettingsComponent::getModelLogoResource ("Sulka Desk").data, nullptr);
    EXPECT_EQ (SettingsComponent::getModelLogoResource ("").data, nullptr);
}

TEST_F (SettingsPanel, LaysItsWidgetsOutAt200By550)
{
    start();
    auto& p = panel();
    p.setSize (200, 550);

    EXPECT_EQ (p.modeLabel.getBounds(), Rect (19, 26, 162, 23));
    EXPECT_EQ (p.modeBox.getBounds(), Rect (19, 55, 162, 37));
    EXPECT_EQ (p.sampleRateLabel.getBounds(), Rect (19, 104, 162, 23));
    EXPECT_EQ (p.sampleRateBox.getBounds(), Rect (19, 133, 162, 37));
    EXPECT_EQ (p.bufferSizeLabel.getBounds(), Rect (19, 182, 162, 23));
    EXPECT_EQ (p.bufferSizeBox.getBounds(), Rect (19, 211, 162, 37));
    EXPECT_EQ (p.resetButton.getBounds(), Rect (10, 264, 64, 55));
    EXPECT_EQ (p.resetTextArea, Rect (80, 264, 110, 45));
    EXPECT_EQ (p.aboutButton.getBounds(), Rect (61, 462, 78, 78));
    EXPECT_EQ (p.logoArea, Rect (30, 389, 140, 68));
}

TEST_F (SettingsPanel, LabelsAndModeList)
{
    start();
    auto& p = panel();

    EXPECT_EQ (p.sampleRateLabel.getText(), "SAMPLE RATE");
    EXPECT_EQ (p.bufferSizeLabel.getText(), "BUFFER SIZE");
    EXPECT_EQ (p.modeLabel.getText(), "MODE");
    EXPECT_EQ (itemTexts (p.modeBox), juce::StringArray ("Simple", "Advanced"));
    EXPECT_EQ (itemIds (p.modeBox), (std::vector<int> { 1, 2 }));
    EXPECT_EQ (p.aboutButton.getName(), "About Kelvaro Audio Mixer");
    EXPECT_EQ (p.resetButton.getName(), "Reset Mixer");
    EXPECT_EQ (p.aboutButton.getCommandID(), MainComponent::aboutCommand);
    EXPECT_EQ (p.resetButton.getCommandID(), MainComponent::resetCommand);
}

TEST_F (SettingsPanel, UpdateShowsTheStoredModeWithoutNotifying)
{
    start ("Sulka");
    UiTestEvents::runMessageLoop();   // the list's first notification: the simple mode, as stored
    auto& p = panel();
    ASSERT_EQ (p.modeBox.getSelectedId(), 1);
    ASSERT_TRUE (view->inputContainer.items.empty());

    // Stored elsewhere (as the keyboard command does): the list follows at the next update, and
    // its handler does not run, so the view is not switched by the list.
    auto* userSettings = Settings::getInstance()->appProperties.getUserSettings();
    userSettings->setValue ("advanced", true);
    p.update();
    EXPECT_EQ (p.modeBox.getSelectedId(), 2);
    UiTestEvents::runMessageLoop();
    EXPECT_TRUE (view->inputContainer.items.empty());

    userSettings->setValue ("advanced", false);
    p.update();
    EXPECT_EQ (p.modeBox.getSelectedId(), 1);
}

TEST_F (SettingsPanel, OpenSulkaShowsItsLogoRatesAndBufferSizes)
{
    start ("Sulka");
    auto& p = panel();
    p.update();

    ASSERT_TRUE (backend->isConnected());
    EXPECT_NE (p.modelLogo, nullptr);

    EXPECT_EQ (itemIds (p.sampleRateBox), (std::vector<int> { 44100, 48000, 88200, 96000, 176400, 192000 }));
    EXPECT_EQ (itemTexts (p.sampleRateBox), juce::StringArray ("44100", "48000", "88200", "96000", "176400", "192000"));
    EXPECT_EQ (p.sampleRateBox.getSelectedId(), 48000);

    EXPECT_EQ (itemIds (p.bufferSizeBox), (std::vector<int> { 1, 2, 3, 4, 5, 6, 7 }));
    EXPECT_EQ (itemTexts (p.bufferSizeBox), juce::StringArray ("32", "64", "128", "256", "512", "1024", "2048"));
    EXPECT_EQ (p.bufferSizeBox.getSelectedId(), 4);
}

TEST_F (SettingsPanel, ChoosingARateOrBufferSizeSendsItToTheDriver)
{
    start ("Sulka");
    auto& p = panel();
    p.update();

    p.sampleRateBox.setSelectedId (96000, juce::sendNotificationSync);
    EXPECT_EQ (currentSampleRate(), 96000u);
    EXPECT_EQ (p.sampleRateBox.getSelectedId(), 96000);

    p.bufferSizeBox.setSelectedId (6, juce::sendNotificationSync);
    EXPECT_EQ (asioInfo().currentBufferSize, 1024u);
    EXPECT_EQ (p.bufferSizeBox.getSelectedId(), 6);
    EXPECT_EQ (p.bufferSizeBox.getNumItems(), 7);
}

TEST_F (SettingsPanel, NoInterfaceLeavesBothListsEmpty)
{
    start ("");
    auto& p = panel();
    p.update();

    EXPECT_FALSE (backend->isConnected());
    EXPECT_EQ (p.sampleRateBox.getNumItems(), 0);
    EXPECT_EQ (p.sampleRateBox.getSelectedId(), 0);
    EXPECT_EQ (p.bufferSizeBox.getNumItems(), 0);
    EXPECT_EQ (p.bufferSizeBox.getSelectedId(), 0);
    EXPECT_EQ (p.modelLogo, nullptr);
}

TEST_F (SettingsPanel, CurrentRateMissingFromTheListSelectsNothing)
{
    start ("Sulka");
    auto& api = backend->getApi();
    const auto realRates = api.TUSBAUDIO_GetSupportedSampleRates;

    api.TUSBAUDIO_GetSupportedSampleRates = [] (TUsbAudioHandle, std::uint32_t, std::uint32_t* rates, std::uint32_t* count)
    {
        rates[0] = 44100;
        rates[1] = 0;       // never listed
        rates[2] = 96000;
        *count = 3;
        return TUsbAudioStatus { 0 };
    };

    panel().update();
    EXPECT_EQ (itemIds (panel().sampleRateBox), (std::vector<int> { 44100, 96000 }));
    EXPECT_EQ (panel().sampleRateBox.getSelectedId(), 0);

    api.TUSBAUDIO_GetSupportedSampleRates = realRates;
}

TEST_F (SettingsPanel, RateCountBeyondTheRoomGivenIsCut)
{
    start ("Sulka");
    auto& api = backend->getApi();
    const auto realRates = api.TUSBAUDIO_GetSupportedSampleRates;
    api.TUSBAUDIO_GetSupportedSampleRates = tooManyRates;

    panel().update();
    ASSERT_EQ (panel().sampleRateBox.getNumItems(), 32);
    EXPECT_EQ (panel().sampleRateBox.getItemId (0), 1000);
    EXPECT_EQ (panel().sampleRateBox.getItemId (31), 1031);

    api.TUSBAUDIO_GetSupportedSampleRates = realRates;
}

TEST_F (SettingsPanel, BufferSizeIsSentOnlyForAnEntryTheRecordHolds)
{
    start ("Sulka");
    auto& api = backend->getApi();
    const auto realInfo = api.TUSBAUDIO_GetASIOInstanceInfo;
    const auto realSet = api.TUSBAUDIO_SetASIOBufferPreferredSize;
    api.TUSBAUDIO_GetASIOInstanceInfo = asioInfoWithCount;
    api.TUSBAUDIO_SetASIOBufferPreferredSize = recordBufferSize;
    sentBufferSizes.clear();

    // A count beyond the record's room: 32 entries at most, the current 64 selected.
    reportedBufferSizeCount = 1000;
    auto& box = panel().bufferSizeBox;
    panel().update();
    ASSERT_EQ (box.getNumItems(), 32);
    EXPECT_EQ (box.getSelectedId(), 4);

    box.setSelectedId (32, juce::sendNotificationSync);
    EXPECT_EQ (sentBufferSizes, (std::vector<std::uint32_t> { 512 }));

    // The driver's list shrank after the panel was filled: items beyond it send nothing.
    reportedBufferSizeCount = 2;
    box.setSelectedId (5, juce::sendNotificationSync);
    box.setSelectedId (3, juce::sendNotificationSync);
    EXPECT_EQ (sentBufferSizes, (std::vector<std::uint32_t> { 512 }));

    box.setSelectedId (2, juce::sendNotificationSync);
    EXPECT_EQ (sentBufferSizes, (std::vector<std::uint32_t> { 512, 32 }));

    api.TUSBAUDIO_GetASIOInstanceInfo = realInfo;
    api.TUSBAUDIO_SetASIOBufferPreferredSize = realSet;
}

TEST_F (SettingsPanel, PlugAndPlayChangeReopensAnInterfaceAndTellsTheView)
{
    start ("Sulka,Pexa");
    ASSERT_EQ (backend->getCurrentDevice().productName, "VANTIQ SULKA");

    struct Counter : juce::ChangeListener
    {
        void changeListenerCallback (juce::ChangeBroadcaster*) override { ++changes; }
        int changes = 0;
    } counter;

    panel().addChangeListener (&counter);

    // Unplugging the open interface: the backend's poll notices it within a second.
    EXPECT_EQ (sim->KSIM_DetachDevice (0), 0u);
    UiTestEvents::runMessageLoop (2500);

    EXPECT_TRUE (backend->isConnected());
    EXPECT_EQ (backend->getCurrentDevice().productName, "Vantiq Pexa");
    EXPECT_NE (panel().modelLogo, nullptr);
    EXPECT_EQ (panel().sampleRateBox.getNumItems(), 6);
    EXPECT_EQ (counter.changes, 1);

    panel().removeChangeListener (&counter);
}
