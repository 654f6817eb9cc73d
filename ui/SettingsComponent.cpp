#include "ui/SettingsComponent.h"

#include "BinaryData.h"
#include "app/MainComponent.h"
#include "backend/Settings.h"
#include "driver/TUsbAudioApiDll.h"

#include <algorithm>
#include <array>

namespace
{
// The room the panel gives the driver for its supported sample rates.
constexpr std::size_t maxSampleRates = 32;

/** A drawable parsed from embedded SVG or PNG data, anew on every call. */
std::unique_ptr<juce::Drawable> createDrawableFromImageData (const void* data, int size)
{
    return juce::Drawable::createFromImageData (data, (size_t) size);
}

/** The Mode box's item for the stored mode: 2 "Advanced" when the user setting says so, else 1 "Simple". */
int storedModeId (Settings& settings)
{
    auto* userSettings = settings.appProperties.getUserSettings();
    return userSettings != nullptr && userSettings->getBoolValue ("advanced", false) ? 2 : 1;
}

/** Reads the backend's ASIO instance record; false when the driver cannot give it. */
bool readAsioInstanceInfo (HardwareBackend& backend, TUsbAudioAsioInstanceInfo& info)
{
    auto& api = backend.getApi();
    info = {};

    return api.TUSBAUDIO_GetASIOInstanceInfo != nullptr
        && api.TUSBAUDIO_GetASIOInstanceInfo (backend.getAsioInstanceIndex(), &info) == TUsbAudioStatusCode::success;
}
} // namespace

SettingsComponent::SettingsComponent (MainComponent& ownerToUse)
    : owner (ownerToUse),
      aboutButton (TRANS ("About Kelvaro Audio Mixer"), juce::DrawableButton::ImageFitted),
      resetButton (TRANS ("Reset Mixer"), juce::DrawableButton::ImageFitted)
{
    const auto settings = Settings::getInstance();

    const auto aboutImage = createDrawableFromImageData (BinaryData::logokrv_svg, BinaryData::logokrv_svgSize);
    aboutButton.setImages (aboutImage.get());
    addAndMakeVisible (aboutButton);

    const auto labelFont = settings->boldFont.withHeight (24.0f);
    sampleRateLabel.setFont (labelFont);
    bufferSizeLabel.setFont (labelFont);
    modeLabel.setFont (labelFont);

    addAndMakeVisible (sampleRateLabel);
    addAndMakeVisible (sampleRateBox);
    addAndMakeVisible (bufferSizeLabel);
    addAndMakeVisible (bufferSizeBox);
    addAndMakeVisible (modeLabel);
    addAndMakeVisible (modeBox);

    sampleRateLabel.setText (TRANS ("Sample Rate").toUpperCase(), juce::dontSendNotification);
    bufferSizeLabel.setText (TRANS ("Buffer Size").toUpperCase(), juce::dontSendNotification);
    modeLabel.setText (TRANS ("Mode").toUpperCase(), juce::dontSendNotification);

    // The stored mode is delivered once the message loop runs, so that the main view switches to it.
    modeBox.addItemList (settings->getModeNames(), 1);
    modeBox.setSelectedId (storedModeId (*settings), juce::sendNotificationAsync);

    addAndMakeVisible (resetButton);
    const auto resetNormal = createDrawableFromImageData (BinaryData::buttonreset_off_png, BinaryData::buttonreset_off_pngSize);
    const auto resetOver = createDrawableFromImageData (BinaryData::buttonreset_offhover_png, BinaryData::buttonreset_offhover_pngSize);
    const auto resetDown = createDrawableFromImageData (BinaryData::buttonreset_offclick_png, BinaryData::buttonreset_offclick_pngSize);
    resetButton.setImages (resetNormal.get(), resetOver.get(), resetDown.get());

    resetButton.setCommandToTrigger (&owner.commandManager, MainComponent::resetCommand, true);
    aboutButton.setCommandToTrigger (&owner.commandManager, MainComponent::aboutCommand, true);

    sampleRateBox.onChange = [this] { sampleRateChanged(); };
    bufferSizeBox.onChange = [this] { bufferSizeChanged(); };
    modeBox.onChange = [this] { modeChanged(); };

    if (auto* backend = HardwareBackend::getInstance())
        backend->addListener (this);
}

SettingsComponent::~SettingsComponent()
{
    if (auto* backend = HardwareBackend::getInstance())
        backend->removeListener (this);
}

SettingsComponent::LogoResource SettingsComponent::getModelLogoResource (const juce::String& productName)
{
    if (productName.endsWithIgnoreCase ("Pexa"))
        return { BinaryData::logovtqPexa_svg, BinaryData::logovtqPexa_svgSize };

    if (productName.endsWithIgnoreCase ("Sulka"))
        return { BinaryData::logovtqSulka_svg, BinaryData::logovtqSulka_svgSize };

    if (productName.endsWithIgnoreCase ("Trovik"))
        return { BinaryData::logovtqTrovik_svg, BinaryData::logovtqTrovik_svgSize };

    return {};
}

void SettingsComponent::update()
{
    // The Mode box shows the stored mode, also after a switch with the keyboard command. Nobody
    // is notified, and a notification still pending (the constructor's) is delivered as it was.
    modeBox.setSelectedId (storedModeId (*Settings::getInstance()), juce::dontSendNotification);

    auto* backend = HardwareBackend::getInstance();

    if (backend == nullptr)
        return;

    const auto logo = getModelLogoResource (backend->getCurrentDevice().productName);
    modelLogo = logo.data != nullptr ? createDrawableFromImageData (logo.data, logo.size) : nullptr;

    auto& api = backend->getApi();
    const bool connected = backend->isConnected();

    sampleRateBox.clear (juce::dontSendNotification);

    if (connected && api.TUSBAUDIO_GetSupportedSampleRates != nullptr)
    {
        std::array<std::uint32_t, maxSampleRates> rates {};
        std::uint32_t count = 0;
        api.TUSBAUDIO_GetSupportedSampleRates (backend->getDeviceHandle(), (std::uint32_t) rates.size(), rates.data(), &count);

        // The driver's count is not trusted beyond the room it was given.
        count = std::min (count, (std::uint32_t) rates.size());

        for (std::uint32_t i = 0; i < count; ++i)
        {
            const auto id = (int) rates[i];

            if (id > 0 && sampleRateBox.indexOfItemId (id) < 0)
                sampleRateBox.addItem (juce::String (rates[i]), id);
        }
    }

    std::uint32_t currentRate = 0;

    if (connected && api.TUSBAUDIO_GetCurrentSampleRate != nullptr
        && api.TUSBAUDIO_GetCurrentSampleRate (backend->getDeviceHandle(), &currentRate) == TUsbAudioStatusCode::success)
        sampleRateBox.setSelectedId ((int) currentRate, juce::dontSendNotification);
    else
        sampleRateBox.setSelectedId (0, juce::dontSendNotification);

    const auto sizes = backend->getBufferSizes();
    bufferSizeBox.clear (juce::dontSendNotification);

    for (size_t i = 0; i < sizes.size(); ++i)
        bufferSizeBox.addItem (juce::String (sizes[i]), (int) i + 1);

    TUsbAudioAsioInstanceInfo info;
    const auto currentSize = readAsioInstanceInfo (*backend, info) ? info.currentBufferSize : 0u;
    const auto found = std::find (sizes.begin(), sizes.end(), currentSize);

    if (found != sizes.end())
        bufferSizeBox.setSelectedId ((int) (found - sizes.begin()) + 1, juce::dontSendNotification);
}

void SettingsComponent::sampleRateChanged()
{
    auto* backend = HardwareBackend::getInstance();

    if (backend == nullptr)
        return;

    auto& api = backend->getApi();

    if (backend->isConnected() && api.TUSBAUDIO_SetSampleRate != nullptr)
        api.TUSBAUDIO_SetSampleRate (backend->getDeviceHandle(), (std::uint32_t) sampleRateBox.getSelectedId());

    update();
}

void SettingsComponent::bufferSizeChanged()
{
    auto* backend = HardwareBackend::getInstance();

    if (backend == nullptr)
        return;

    // Item k stands for the record's size at position k - 1; only sizes the record holds are sent.
    const auto k = bufferSizeBox.getSelectedId();
    auto& api = backend->getApi();
    TUsbAudioAsioInstanceInfo info;

    if (readAsioInstanceInfo (*backend, info) && api.TUSBAUDIO_SetASIOBufferPreferredSize != nullptr)
    {
        const auto count = std::min ((std::size_t) info.bufferSizeCount, TUsbAudioAsioInstanceInfo::maxBufferSizes);

        if (k >= 1 && (std::size_t) k <= count)
            api.TUSBAUDIO_SetASIOBufferPreferredSize (0, info.instanceId, info.bufferSizes[k - 1], 0);
    }

    update();
}

void SettingsComponent::modeChanged()
{
    owner.setAdvancedMode (modeBox.getSelectedId() == 2);
    update();
}

void SettingsComponent::deviceChanged()
{
    auto* backend = HardwareBackend::getInstance();

    // The backend closed the interface; open the saved one again, or the first.
    if (backend != nullptr && ! backend->isConnected())
        backend->selectDevice (Settings::getInstance()->getLastDevice());

    update();
    sendChangeMessage();
}

void SettingsComponent::deviceSettingsChanged()
{
    update();
}

void SettingsComponent::paint (juce::Graphics& g)
{
    const auto background = juce::ImageCache::getFromMemory (BinaryData::background_settings_png,
                                                             BinaryData::background_settings_pngSize);
    g.drawImage (background, getLocalBounds().toFloat(), juce::RectanglePlacement::stretchToFit);

    if (modelLogo != nullptr)
        modelLogo->drawWithin (g, logoArea.toFloat(), juce::RectanglePlacement::centred, 1.0f);

    const auto settings = Settings::getInstance();
    juce::AttributedString caption;
    caption.setJustification (juce::Justification::centredLeft);
    caption.setWordWrap (juce::AttributedString::byWord);
    caption.setLineSpacing (0.0f);
    caption.append (TRANS ("MIXER\nRESET"), settings->boldFont.withHeight (22.0f), juce::Colour (0xFFE5E5E5));
    caption.draw (g, resetTextArea.toFloat());
}

void SettingsComponent::resized()
{
    const auto layout = computeLayout (getWidth(), getHeight());

    layoutLabelAndCombo (layout.modeRow, modeLabel, modeBox);
    layoutLabelAndCombo (layout.sampleRateRow, sampleRateLabel, sampleRateBox);
    layoutLabelAndCombo (layout.bufferSizeRow, bufferSizeLabel, bufferSizeBox);

    resetButton.setBounds (layout.resetButton);
    resetTextArea = layout.resetTextArea;
    aboutButton.setBounds (layout.aboutButton);
    logoArea = layout.logoArea;
}

SettingsComponent::Layout SettingsComponent::computeLayout (int width, int height)
{
    // Every removal below takes at most what is left, so nothing ever gets a negative size.
    const auto r = (float) height / 7.0f;
    const auto rowHeight = (int) r;

    Layout layout;
    auto area = juce::Rectangle<int> (width, height).reduced (10);
    area.removeFromTop (10);

    layout.modeRow = area.removeFromTop (rowHeight);
    layout.sampleRateRow = area.removeFromTop (rowHeight);
    layout.bufferSizeRow = area.removeFromTop (rowHeight);

    area.removeFromTop (10);

    layout.resetRow = area.removeFromTop ((int) std::min (1.4f * r, 55.0f));
    auto resetRow = layout.resetRow;
    layout.resetButton = resetRow.removeFromLeft (64);
    resetRow.removeFromLeft (6);
    resetRow.removeFromBottom (10);
    layout.resetTextArea = resetRow;

    // The About button keeps its square size even when the strip left for it is lower.
    const auto aboutSize = (int) std::min (r, 0.8f * (float) area.getWidth());
    layout.aboutButton = area.removeFromBottom (aboutSize).withSizeKeepingCentre (aboutSize, aboutSize);

    layout.logoArea = area.removeFromBottom (rowHeight).reduced (20, 5);
    return layout;
}

std::pair<juce::Rectangle<int>, juce::Rectangle<int>> SettingsComponent::splitRow (juce::Rectangle<int> row)
{
    auto inner = row.reduced (7, 3);
    const auto labelHeight = std::min (juce::roundToInt (0.4 * inner.getHeight()), inner.getHeight());
    const auto labelStrip = inner.removeFromTop (labelHeight);

    return { labelStrip.reduced (2, 3), inner.reduced (2, 3) };
}

void SettingsComponent::layoutLabelAndCombo (juce::Rectangle<int> row, juce::Label& label, juce::ComboBox& box)
{
    const auto parts = splitRow (row);
    label.setBounds (parts.first);
    box.setBounds (parts.second);
}
