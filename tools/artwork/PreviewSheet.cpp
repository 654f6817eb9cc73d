#include "PreviewSheet.h"

PreviewSheet::PreviewSheet (const juce::File& resourcesFolder) : folder (resourcesFolder) {}

juce::Image PreviewSheet::picture (const juce::String& name) const
{
    return juce::ImageFileFormat::loadFrom (folder.getChildFile (name));
}

std::unique_ptr<juce::Drawable> PreviewSheet::drawable (const juce::String& name) const
{
    return juce::Drawable::createFromImageFile (folder.getChildFile (name));
}

void PreviewSheet::paintMeter (juce::Graphics& g, juce::Rectangle<int> area, float level, bool mini)
{
    juce::Graphics::ScopedSaveState save (g);
    g.setOrigin (area.getPosition());
    const auto bounds = area.withZeroOrigin().toFloat();
    const auto h = (float) area.getHeight();
    g.drawImage (picture (mini ? "meter-mini_off.png" : "meter_off.png"), bounds, juce::RectanglePlacement::stretchToFit);
    const auto top = juce::roundToInt (h + (level + 80.0f) * (0.0f - h) / 80.0f);
    g.reduceClipRegion (0, top, area.getWidth(), juce::jmax (0, area.getHeight() - top));
    g.drawImage (picture (mini ? "meter-mini_on.png" : "meter_on.png"), bounds, juce::RectanglePlacement::stretchToFit);
}

void PreviewSheet::paintFader (juce::Graphics& g, juce::Rectangle<int> area, float value)
{
    // As the look-and-feel draws a vertical slider without a text box.
    juce::Graphics::ScopedSaveState save (g);
    g.setOrigin (area.getPosition());
    const auto width = (float) area.getWidth();
    const auto radius = (float) juce::roundToInt (0.4f * width);
    const auto y = radius, height = (float) area.getHeight() - 2.0f * radius;
    const auto sliderPos = y + height * (-value / 80.0f);

    g.drawImage (picture ("fader_track.png"), { 0.5f * width - 5.0f, y - 10.0f, 10.0f, height + 20.0f }, juce::RectanglePlacement::stretchToFit);
    g.setColour (juce::Colour (0xffe5e5e5));
    g.setFont (12.0f);
    const char* labels[] = { "0 dB", "-10", "-20", "-30", "-40", "-50", "-60", "-70", "-inf" };

    for (int i = 0; i < 9; ++i)
        g.drawText (labels[i], juce::Rectangle<float> (width - 32.0f, y - 5.0f + height * (float) i / 8.0f, 30.0f, 14.0f),
                    juce::Justification::left, true);

    g.drawImage (picture ("fadercap.png"), { 0.1f * width, sliderPos - 40.0f, 0.8f * width, 153.0f }, juce::RectanglePlacement::stretchToFit);
}

void PreviewSheet::paintStrip (juce::Graphics& g, juce::Rectangle<int> area, bool isMain, float leftLevel, float rightLevel,
                               float leftFader, float rightFader, bool linked)
{
    juce::Graphics::ScopedSaveState save (g);
    g.setOrigin (area.getPosition());
    const auto W = area.getWidth(), H = area.getHeight();
    g.drawImage (picture (isMain ? "background_output_main.png" : "background_output.png"), area.withZeroOrigin().toFloat(),
                 juce::RectanglePlacement::stretchToFit);
    g.setColour (juce::Colours::black);
    g.drawRect (area.withZeroOrigin().toFloat(), 2.0f);

    const auto m = juce::roundToInt ((float) W * 0.05f), sw = juce::roundToInt ((double) W * 0.5);
    auto bounds = area.withZeroOrigin();
    const auto linkArea = bounds.removeFromTop (H / 10).reduced (5);
    const auto nameArea = bounds.removeFromBottom (H / 10).reduced (5);
    const auto faderArea = bounds.reduced (W / 4, 0);
    const auto s = juce::jmax (linkArea.getHeight(), 40);
    const juce::Rectangle<int> linkButton (linkArea.getX() + (linkArea.getWidth() - s) / 2, linkArea.getY() + 3 + (linkArea.getHeight() - s) / 2, s, s);
    const auto meterY = linkArea.getBottom() + m, meterH = nameArea.getY() - 2 * m - linkArea.getBottom();

    g.setColour (juce::Colour (0xff555555));
    g.drawRect (juce::Rectangle<float> ((float) (faderArea.getX() + faderArea.getWidth() / 2 - 1), (float) faderArea.getY(), 2.0f, (float) faderArea.getHeight()), 1.0f);

    const auto cy = (float) (linkArea.getY() + linkArea.getHeight() / 2);
    juce::Path bracket;
    bracket.startNewSubPath ((float) faderArea.getX(), (float) faderArea.getY());
    bracket.lineTo ((float) faderArea.getX(), cy);
    bracket.lineTo ((float) linkButton.getX() - 10.0f, cy);
    bracket.startNewSubPath ((float) linkButton.getRight() + 10.0f, cy);
    bracket.lineTo ((float) faderArea.getRight(), cy);
    bracket.lineTo ((float) faderArea.getRight(), (float) faderArea.getY());
    g.setColour (juce::Colour (0xffe5e5e5));
    g.strokePath (bracket, juce::PathStrokeType (2.0f));

    g.setFont (juce::Font (20.0f, juce::Font::bold));
    g.drawText ("Main", nameArea.withWidth (nameArea.getWidth() / 2), juce::Justification::centred);
    g.drawText ("Out R", nameArea.withTrimmedLeft (nameArea.getWidth() / 2), juce::Justification::centred);

    paintFader (g, { faderArea.getX() - sw / 2, meterY, sw, meterH }, leftFader);
    paintFader (g, { faderArea.getRight() - sw / 2, meterY, sw, meterH }, rightFader);

    if (auto button = drawable (linked ? "button-link_on.png" : "button-link_off.png"))
        button->drawWithin (g, linkButton.toFloat(), juce::RectanglePlacement::centred, 1.0f);

    paintMeter (g, { m, meterY, m, meterH }, leftLevel, false);
    paintMeter (g, { W / 2 + m, meterY, m, meterH }, rightLevel, false);
}

void PreviewSheet::paintSettings (juce::Graphics& g, juce::Rectangle<int> area, const juce::String& model)
{
    juce::Graphics::ScopedSaveState save (g);
    g.setOrigin (area.getPosition());
    g.drawImage (picture ("background_settings.png"), area.withZeroOrigin().toFloat(), juce::RectanglePlacement::stretchToFit);

    const auto r = (float) area.getHeight() / 7.0f;
    auto bounds = area.withZeroOrigin().reduced (10);
    bounds.removeFromTop (10);
    g.setFont (juce::Font (24.0f, juce::Font::bold));

    for (auto caption : { "MODE", "SAMPLE RATE", "BUFFER SIZE" })
    {
        auto inner = bounds.removeFromTop ((int) r).reduced (7, 3);
        g.setColour (juce::Colour (0xffe5e5e5));
        g.drawText (caption, inner.removeFromTop (juce::roundToInt (inner.getHeight() * 0.4)).reduced (2, 3), juce::Justification::left);
        g.setColour (juce::Colours::black);
        g.fillRect (inner.reduced (2, 3));
    }

    bounds.removeFromTop (10);
    auto resetRow = bounds.removeFromTop ((int) juce::jmin (1.4f * r, 55.0f));
    if (auto reset = drawable ("button-reset_off.png"))
        reset->drawWithin (g, resetRow.removeFromLeft (64).toFloat(), juce::RectanglePlacement::centred, 1.0f);
    g.setColour (juce::Colour (0xffe5e5e5));
    g.setFont (juce::Font (22.0f, juce::Font::bold));
    g.drawFittedText ("MIXER\nRESET", resetRow.withTrimmedLeft (6).withTrimmedBottom (10), juce::Justification::centredLeft, 2);

    const auto size = (int) juce::jmin (r, 0.8f * (float) bounds.getWidth());
    auto aboutStrip = bounds.removeFromBottom (size);
    if (auto about = drawable ("logo-krv.svg"))
        about->drawWithin (g, aboutStrip.withSizeKeepingCentre (size, size).toFloat(), juce::RectanglePlacement::centred, 1.0f);

    auto logoArea = bounds.removeFromBottom ((int) r).reduced (20, 5);
    if (auto logo = drawable ("logo-vtq" + model + ".svg"))
        logo->drawWithin (g, logoArea.toFloat(), juce::RectanglePlacement::centred, 1.0f);
}

juce::Image PreviewSheet::paint()
{
    juce::Image sheet (juce::Image::RGB, 2400, 1500, true);
    juce::Graphics g (sheet);
    g.fillAll (juce::Colour (0xff3a3a3a));

    // The button states at their own size, and at the size the strips show them.
    const char* buttons[] = { "button-link_off", "button-link_offhover", "button-link_offclick", "button-link_on", "button-link_onhover",
                              "button-link_onclick", "button-reset_off", "button-reset_offhover", "button-reset_offclick",
                              "button-reset_offanimate1" };

    for (int i = 0; i < 10; ++i)
    {
        g.setColour (juce::Colour (0xff1a1819));
        g.fillRect (10 + i * 110, 10, 110, 170);
        g.drawImageAt (picture (juce::String (buttons[i]) + ".png"), 15 + i * 110, 15);

        if (auto d = drawable (juce::String (buttons[i]) + ".png"))
            d->drawWithin (g, juce::Rectangle<float> (35.0f + (float) i * 110.0f, 130.0f, 44.0f, 44.0f), juce::RectanglePlacement::centred, 1.0f);
    }

    paintStrip (g, { 10, 200, 220, 700 }, true, -6.0f, -14.0f, -12.0f, -12.0f, true);
    paintStrip (g, { 240, 200, 220, 700 }, false, -30.0f, -55.0f, 0.0f, -40.0f, false);
    paintStrip (g, { 470, 200, 160, 460 }, false, -2.0f, -70.0f, -25.0f, -60.0f, false);

    paintSettings (g, { 650, 200, 260, 700 }, "Pexa");
    paintSettings (g, { 920, 200, 260, 700 }, "Sulka");
    paintSettings (g, { 1190, 200, 260, 700 }, "Trovik");

    // Input rows: the name at the right and the slim meter.
    for (int i = 0; i < 5; ++i)
    {
        const juce::Rectangle<int> row (470, 680 + i * 42, 160, 40);
        g.setColour (juce::Colour (0xff1a1819));
        g.fillRect (row);
        g.setColour (juce::Colours::black);
        g.drawRect (row.toFloat(), 2.0f);
        paintMeter (g, { row.getRight() - 8, row.getY() + 2, 6, 36 }, -70.0f + 16.0f * (float) i, true);
    }

    g.drawImageAt (picture ("fadercap.png"), 1470, 200);
    g.drawImageAt (picture ("fader_track.png"), 1680, 200);
    g.drawImageAt (picture ("meter_on.png"), 1720, 200);
    g.drawImageAt (picture ("meter_off.png"), 1740, 200);
    g.drawImageAt (picture ("meter-mini_on.png"), 1760, 200);
    g.drawImageAt (picture ("meter-mini_off.png"), 1780, 200);
    g.drawImageAt (picture ("logo-krv.png"), 1470, 540);

    int x = 1470;

    for (auto size : { 16, 32, 48 })
    {
        g.drawImageAt (picture ("icons/icon-" + juce::String (size) + ".png"), x, 660);
        x += size + 16;
    }

    // The icons magnified, pixel by pixel.
    g.setImageResamplingQuality (juce::Graphics::lowResamplingQuality);
    x = 1980;

    for (auto size : { 16, 32, 48 })
    {
        g.drawImage (picture ("icons/icon-" + juce::String (size) + ".png"), { (float) x, 1210.0f, (float) size * 4.0f, (float) size * 4.0f });
        x += size * 4 + 10;
    }

    g.drawImage (picture ("button-link_off.png"), { 700.0f, 1210.0f, 200.0f, 216.0f });
    g.drawImage (picture ("button-link_on.png"), { 910.0f, 1210.0f, 200.0f, 216.0f });
    g.drawImage (picture ("button-reset_off.png"), { 1120.0f, 1210.0f, 200.0f, 216.0f });
    g.drawImage (picture ("button-reset_offclick.png"), { 1330.0f, 1210.0f, 200.0f, 216.0f });
    g.drawImage (picture ("meter_on.png"), { 1540.0f, 1210.0f, 50.0f, 280.0f }, juce::RectanglePlacement::stretchToFit, false);
    g.drawImage (picture ("meter-mini_on.png").getClippedImage ({ 0, 0, 10, 44 }), { 1600.0f, 1210.0f, 40.0f, 176.0f });
    g.drawImage (picture ("meter-mini_off.png"), { 1650.0f, 1210.0f, 40.0f, 176.0f });

    if (auto logo = drawable ("logo-krv.svg"))
        logo->drawWithin (g, { 1470.0f, 730.0f, 220.0f, 220.0f }, juce::RectanglePlacement::centred, 1.0f);

    g.setColour (juce::Colour (0xff1a1819));
    g.fillRect (10, 920, 1880, 280);
    int y = 940;

    for (auto model : { "Pexa", "Sulka", "Trovik" })
    {
        if (auto logo = drawable (juce::String ("logo-vtq") + model + ".svg"))
            logo->drawWithin (g, juce::Rectangle<float> (30.0f + 560.0f * (float) (y - 940) / 80.0f, 960.0f, 540.0f, 161.0f), juce::RectanglePlacement::centred, 1.0f);
        y += 80;
    }

    g.drawImage (picture ("about.png"), { 10.0f, 1210.0f, 680.0f, 680.0f * 812.0f / 1920.0f }, juce::RectanglePlacement::stretchToFit);
    return sheet;
}
