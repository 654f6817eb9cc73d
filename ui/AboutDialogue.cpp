#include "ui/AboutDialogue.h"

#include "BinaryData.h"
#include "backend/HardwareBackend.h"
#include "backend/Settings.h"

#include <algorithm>

namespace
{
const juce::String buildDate ("Jul 12 2024");
const juce::String applicationVersion (JUCE_APPLICATION_VERSION_STRING);

const char* const teamNames[] = { "Mira Castellan", "Jonas Ekdahl", "Priya Ramanathan",
                                  "Tomasz Wierzbicki", "Aiyana Brooks" };

// The About picture's proportions; used as well when the picture could not be decoded.
constexpr float pictureWidth = 1920.0f;
constexpr float pictureHeight = 812.0f;

juce::AttributedString makeColumnText()
{
    juce::AttributedString text;
    text.setJustification (juce::Justification::topLeft);
    text.setWordWrap (juce::AttributedString::byWord);
    text.setLineSpacing (0.0f);
    return text;
}

void appendHeading (juce::AttributedString& text, const Settings& settings, const juce::String& heading)
{
    text.append (heading, settings.boldFont.withHeight (24.0f), settings.coral);
}

void appendLine (juce::AttributedString& text, const Settings& settings, const juce::String& line)
{
    text.append (line, settings.regularFont.withHeight (20.0f), settings.lightGrey);
}
} // namespace

AboutDialogue::AboutDialogue()
{
    setWantsKeyboardFocus (true);
    image = juce::ImageCache::getFromMemory (BinaryData::about_png, BinaryData::about_pngSize);
}

AboutDialogue::~AboutDialogue() = default;

void AboutDialogue::mouseUp (const juce::MouseEvent& event)
{
    // onClose usually deletes this dialogue, so nothing may follow it.
    if (onClose && ! event.mouseWasDraggedSinceMouseDown())
        onClose();
}

bool AboutDialogue::keyPressed (const juce::KeyPress& key)
{
    const auto code = key.getKeyCode();

    if (onClose && (code == juce::KeyPress::escapeKey
                    || code == juce::KeyPress::returnKey
                    || code == juce::KeyPress::spaceKey))
    {
        onClose();
        return true;
    }

    return false;
}

void AboutDialogue::resized()
{
    imageArea = getImageArea ((float) getWidth(), (float) getHeight());
}

juce::Rectangle<float> AboutDialogue::getImageArea (float width, float height)
{
    const auto ratio = pictureWidth / pictureHeight;

    if (width / height > ratio)
        return { (width - height * ratio) * 0.5f, 0.0f, height * ratio, height };

    return { 0.0f, (height - width / ratio) * 0.5f, width, width / ratio };
}

juce::AttributedString AboutDialogue::makeBuildColumn (const Settings& settings, const DeviceInfo* openDevice)
{
    auto text = makeColumnText();
    appendHeading (text, settings, TRANS ("Build Version") + "\n");
    appendLine (text, settings, TRANS ("Date: ") + buildDate + "\n");
    appendLine (text, settings, TRANS ("Version: ") + applicationVersion + "\n");

    if (openDevice != nullptr)
    {
        text.append ("\n", settings.regularFont.withHeight (10.0f), settings.lightGrey);
        appendHeading (text, settings, TRANS ("Device") + "\n");
        appendLine (text, settings, openDevice->manufacturer + "\n");
        appendLine (text, settings, openDevice->productName + "\n");
        appendLine (text, settings, openDevice->serialNumber);
    }

    return text;
}

juce::AttributedString AboutDialogue::makeBuildColumn (const Settings& settings)
{
    auto* backend = HardwareBackend::getInstance();

    if (backend != nullptr && backend->isConnected())
    {
        const auto device = backend->getCurrentDevice();
        return makeBuildColumn (settings, &device);
    }

    return makeBuildColumn (settings, nullptr);
}

juce::AttributedString AboutDialogue::makeSystemColumn (const Settings& settings)
{
    auto text = makeColumnText();
    appendHeading (text, settings, TRANS ("System") + "\n");
    appendLine (text, settings, juce::SystemStats::getOperatingSystemName() + "\n");
    appendLine (text, settings, juce::SystemStats::getCpuModel() + "\n");
    appendLine (text, settings, juce::String (juce::SystemStats::getNumCpus()) + " cores\n");
    appendLine (text, settings, juce::String (juce::SystemStats::getMemorySizeInMegabytes()) + " MB");
    return text;
}

juce::AttributedString AboutDialogue::makeTeamColumn (const Settings& settings)
{
    auto text = makeColumnText();
    appendHeading (text, settings, TRANS ("Development Team") + "\n");

    const auto numNames = (int) std::size (teamNames);

    for (int i = 0; i < numNames; ++i)
        appendLine (text, settings, juce::String (teamNames[i]) + (i < numNames - 1 ? "\n" : ""));

    return text;
}

float AboutDialogue::getTextTop (juce::Rectangle<float> pictureArea, float tallestColumnHeight)
{
    // Start at 70 % of the picture, but rise so that the tallest column ends 5 % above its bottom.
    return std::min (pictureArea.getY() + 0.7f * pictureArea.getHeight(),
                     pictureArea.getBottom() - (0.05f * pictureArea.getHeight() + tallestColumnHeight));
}

void AboutDialogue::paint (juce::Graphics& g)
{
    const auto settings = Settings::getInstance();

    g.fillAll (juce::Colour (0xE6000000));

    if (image.isValid())
        g.drawImage (image, imageArea, juce::RectanglePlacement::stretchToFit);

    const auto width = (float) getWidth();
    const auto columnWidth = (0.52f * width) / 3.0f;

    const juce::AttributedString columns[] = { makeBuildColumn (*settings),
                                               makeSystemColumn (*settings),
                                               makeTeamColumn (*settings) };

    float tallest = 0.0f;

    for (const auto& column : columns)
    {
        juce::TextLayout layout;
        layout.createLayout (column, columnWidth, 1.0e7f);
        tallest = std::max (tallest, layout.getHeight());
    }

    juce::Rectangle<float> textArea (imageArea.getX() + 0.16f * imageArea.getWidth(),
                                     getTextTop (imageArea, tallest),
                                     0.52f * width,
                                     0.3f * imageArea.getHeight());

    columns[0].draw (g, textArea.removeFromLeft (columnWidth));
    columns[1].draw (g, textArea.removeFromLeft (columnWidth));
    columns[2].draw (g, textArea);
}
