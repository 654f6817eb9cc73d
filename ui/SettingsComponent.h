#pragma once

#include "backend/HardwareBackend.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <utility>

class MainComponent;

/**
    The settings panel beside the mixer: sample rate, buffer size and view mode, the About and
    Reset buttons and the connected model's logo.

    It is the backend's listener: after a plug-and-play change it opens an interface again,
    refreshes itself and tells the main view with a change message.
*/
class SettingsComponent : public juce::Component,
                          public juce::ChangeBroadcaster,
                          public HardwareBackend::Listener
{
public:
    explicit SettingsComponent (MainComponent& owner);
    ~SettingsComponent() override;

    /** Shows the stored mode in the Mode box (without notification) and refreshes the model logo
        and both device lists from the backend and the driver. */
    void update();

    void paint (juce::Graphics& g) override;
    void resized() override;

    void deviceChanged() override;
    void deviceSettingsChanged() override;

    /** The panel's rectangles for a panel of the given size, as resized() places them. */
    struct Layout
    {
        juce::Rectangle<int> modeRow, sampleRateRow, bufferSizeRow;
        juce::Rectangle<int> resetRow, resetButton, resetTextArea;
        juce::Rectangle<int> aboutButton, logoArea;
    };

    static Layout computeLayout (int width, int height);

    /** A row's label and list bounds, in that order. */
    static std::pair<juce::Rectangle<int>, juce::Rectangle<int>> splitRow (juce::Rectangle<int> row);

    /** The embedded logo for a product name; no data when the model is not recognised. */
    struct LogoResource
    {
        const char* data = nullptr;
        int size = 0;
    };

    static LogoResource getModelLogoResource (const juce::String& productName);

    // Open so that tests can check the panel's contents and layout.
    MainComponent& owner;
    juce::Label sampleRateLabel;
    juce::ComboBox sampleRateBox;
    juce::Label bufferSizeLabel;
    juce::ComboBox bufferSizeBox;
    juce::Label modeLabel;
    juce::ComboBox modeBox;
    juce::DrawableButton aboutButton;
    juce::Rectangle<int> logoArea;
    juce::DrawableButton resetButton;
    juce::Rectangle<int> resetTextArea;
    std::unique_ptr<juce::Drawable> modelLogo;

private:
    void sampleRateChanged();
    void bufferSizeChanged();
    void modeChanged();

    static void layoutLabelAndCombo (juce::Rectangle<int> row, juce::Label& label, juce::ComboBox& box);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsComponent)
};
