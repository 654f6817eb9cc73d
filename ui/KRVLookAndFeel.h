#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The program's own look: faders drawn from two embedded images with a printed decibel scale,
    flat combo boxes and plain-text pop-up menu items. Everything else is left to the V4 base.

    Fonts and colours are taken from the shared Settings at drawing time; the owner applies the
    colour set-up to this object before installing it.
*/
class KRVLookAndFeel : public juce::LookAndFeel_V4
{
public:
    KRVLookAndFeel() = default;
    ~KRVLookAndFeel() override = default;

    // juce::PopupMenu::LookAndFeelMethods
    void drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area,
                            bool isSeparator, bool isActive, bool isHighlighted, bool isTicked, bool hasSubMenu,
                            const juce::String& text, const juce::String& shortcutKeyText,
                            const juce::Drawable* icon, const juce::Colour* textColour) override;

    // juce::ComboBox::LookAndFeelMethods
    void drawComboBox (juce::Graphics& g, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH,
                       juce::ComboBox& box) override;
    juce::Font getComboBoxFont (juce::ComboBox& box) override;

    // juce::Slider::LookAndFeelMethods
    void drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                           float sliderPos, float minSliderPos, float maxSliderPos,
                           juce::Slider::SliderStyle style, juce::Slider& slider) override;
    int getSliderThumbRadius (juce::Slider& slider) override;

    //==============================================================================
    // The fader's geometry, shared by the drawing code and its tests.

    /** The printed scale, top to bottom. */
    static constexpr int numScaleLabels = 9;
    static const char* getScaleLabel (int index);

    /** Where the track image goes for a slider drawn in (x, y, width, height). */
    static juce::Rectangle<float> getTrackArea (int x, int y, int width, int height);

    /** The box of scale label 0 (top, "0 dB") to 8 (bottom, "-inf"). */
    static juce::Rectangle<float> getScaleLabelArea (int x, int y, int width, int height, int index);

    /** Where the cap image goes; measured from the slider's own left edge, not from x. */
    static juce::Rectangle<float> getCapArea (int width, float sliderPos);

    /** The 1-pixel line of a separator item (empty when the area leaves no room for it). */
    static juce::Rectangle<int> getSeparatorLine (juce::Rectangle<int> area);

    /** The area a menu item's highlight fills and its text is fitted into. */
    static juce::Rectangle<int> getMenuItemTextArea (juce::Rectangle<int> area);

    /** The menu font, made small enough for its text area. */
    static juce::Font fitMenuItemFont (juce::Font font, juce::Rectangle<int> textArea);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KRVLookAndFeel)
};
