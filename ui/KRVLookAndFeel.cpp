#include "ui/KRVLookAndFeel.h"

#include "backend/Settings.h"

#include "BinaryData.h"

//==============================================================================
const char* KRVLookAndFeel::getScaleLabel (int index)
{
    static const char* const labels[numScaleLabels] = { "0 dB", "-10", "-20", "-30", "-40",
                                                        "-50", "-60", "-70", "-inf" };
    return juce::isPositiveAndBelow (index, numScaleLabels) ? labels[index] : "";
}

juce::Rectangle<float> KRVLookAndFeel::getTrackArea (int x, int y, int width, int height)
{
    const auto left = (float) x + 0.5f * (float) width - 5.0f;
    return { left, (float) y - 10.0f, 10.0f, juce::jmax (0.0f, (float) height + 20.0f) };
}

juce::Rectangle<float> KRVLookAndFeel::getScaleLabelArea (int x, int y, int width, int height, int index)
{
    const auto top = (float) y - 5.0f + (float) height * (float) index / 8.0f;
    return { (float) x + (float) width - 32.0f, top, 30.0f, 14.0f };
}

juce::Rectangle<float> KRVLookAndFeel::getCapArea (int width, float sliderPos)
{
    return { 0.1f * (float) width, sliderPos - 40.0f, 0.8f * (float) width, 153.0f };
}

juce::Rectangle<int> KRVLookAndFeel::getSeparatorLine (juce::Rectangle<int> area)
{
    auto r = area.reduced (5, 0);
    r.removeFromTop (juce::roundToInt ((float) r.getHeight() * 0.5f - 0.5f));
    return r.removeFromTop (1);
}

juce::Rectangle<int> KRVLookAndFeel::getMenuItemTextArea (juce::Rectangle<int> area)
{
    return area.reduced (3, 1);
}

juce::Font KRVLookAndFeel::fitMenuItemFont (juce::Font font, juce::Rectangle<int> textArea)
{
    const auto maxHeight = (float) textArea.getHeight() / 1.3f;

    if (font.getHeight() > maxHeight)
        font.setHeight (maxHeight);

    return font;
}

//==============================================================================
void KRVLookAndFeel::drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area,
                                        bool isSeparator, bool isActive, bool isHighlighted,
                                        bool /*isTicked*/, bool /*hasSubMenu*/,
                                        const juce::String& text, const juce::String& /*shortcutKeyText*/,
                                        const juce::Drawable* /*icon*/, const juce::Colour* textColour)
{
    if (isSeparator)
    {
        g.setColour (findColour (juce::PopupMenu::textColourId).withAlpha (0.3f));
        g.fillRect (getSeparatorLine (area));
        return;
    }

    const auto colour = textColour != nullptr ? *textColour : findColour (juce::PopupMenu::textColourId);
    const auto r = getMenuItemTextArea (area);

    if (isActive && isHighlighted)
    {
        g.setColour (findColour (juce::PopupMenu::highlightedBackgroundColourId));
        g.fillRect (r);
        g.setColour (findColour (juce::PopupMenu::highlightedTextColourId));
    }
    else
    {
        g.setColour (colour.withMultipliedAlpha (isActive ? 1.0f : 0.5f));
    }

    g.setFont (fitMenuItemFont (getPopupMenuFont(), r));
    g.drawFittedText (text, r, juce::Justification::centredLeft, 1);
}

//==============================================================================
void KRVLookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool /*isButtonDown*/,
                                   int /*buttonX*/, int /*buttonY*/, int /*buttonW*/, int /*buttonH*/,
                                   juce::ComboBox& box)
{
    g.setColour (box.findColour (juce::ComboBox::backgroundColourId));
    g.fillRect (0, 0, width, height);
}

juce::Font KRVLookAndFeel::getComboBoxFont (juce::ComboBox& box)
{
    return { juce::jmin (16.0f, (float) box.getHeight() * 0.85f) };
}

//==============================================================================
void KRVLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                                       float sliderPos, float /*minSliderPos*/, float /*maxSliderPos*/,
                                       juce::Slider::SliderStyle /*style*/, juce::Slider& /*slider*/)
{
    // Every linear slider is drawn as a vertical fader, whatever its style.
    const auto settings = Settings::getInstance();

    const auto cap = juce::ImageCache::getFromMemory (BinaryData::fadercap_png, BinaryData::fadercap_pngSize);
    const auto track = juce::ImageCache::getFromMemory (BinaryData::fader_track_png, BinaryData::fader_track_pngSize);

    g.drawImage (track, getTrackArea (x, y, width, height), juce::RectanglePlacement::stretchToFit);

    g.setColour (settings->lightGrey);
    g.setFont (settings->regularFont.withHeight (12.0f));

    for (int i = 0; i < numScaleLabels; ++i)
        g.drawText (getScaleLabel (i), getScaleLabelArea (x, y, width, height, i),
                    juce::Justification::left, true);

    g.drawImage (cap, getCapArea (width, sliderPos), juce::RectanglePlacement::stretchToFit);
}

int KRVLookAndFeel::getSliderThumbRadius (juce::Slider& slider)
{
    if (slider.getSliderStyle() == juce::Slider::LinearVertical)
        return juce::roundToInt (0.4f * (float) slider.getWidth());

    return juce::jmin (slider.getWidth() / 2, slider.getHeight() / 2, 7) + 2;
}
