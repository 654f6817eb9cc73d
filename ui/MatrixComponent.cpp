#include "ui/MatrixComponent.h"

#include "backend/HardwareBackend.h"
#include "backend/Settings.h"
#include "ui/GainScale.h"

#include <cstdlib>

MatrixComponent::MatrixComponent (Hardware::Channel inputChannel, Hardware::Channel outputChannel)
    : input (inputChannel),
      output (outputChannel)
{
    const auto settings = Settings::getInstance();

    editor.setWantsKeyboardFocus (true);
    editor.setJustification (juce::Justification::centred);
    editor.setFont (settings->regularFont.withHeight (20.0f));

    editor.onEscapeKey = [this] { editor.setVisible (false); };
    editor.onFocusLost = [this] { editor.setVisible (false); };
    editor.onReturnKey = [this] { commitTypedValue(); };

    // The cell shows what the interface holds; nothing is sent back while it is built.
    if (auto* backend = HardwareBackend::getInstance())
    {
        // Rounded to nearest, ties to even; not clamped.
        value = juce::roundToInt (GainScale::gainToPercent (backend->getCrosspointGain (input, output)));
    }

    setTooltip (settings->getChannelName (input) + TRANS (" to ") + settings->getChannelName (output));
}

MatrixComponent::~MatrixComponent() = default;

void MatrixComponent::setValue (int newValue)
{
    value = newValue < minimum ? minimum : juce::jmin (maximum, newValue);

    if (auto* backend = HardwareBackend::getInstance())
        backend->setCrosspointGain (input, output, GainScale::percentToGain (static_cast<float> (value)));

    repaint();
}

void MatrixComponent::mouseDown (const juce::MouseEvent& e)
{
    lastDragY = e.position.y;
}

void MatrixComponent::mouseDrag (const juce::MouseEvent& e)
{
    // Three pixels per step, measured from the previous event: upward raises the value.
    const auto steps = juce::roundToInt ((e.position.y - lastDragY) / 3.0f);
    setValue (value - steps);
    lastDragY = e.position.y;
}

void MatrixComponent::mouseUp (const juce::MouseEvent& e)
{
    if (! e.mods.isAltDown() || e.mouseWasDraggedSinceMouseDown())
        return;

    // Alt-click restores the default: 0 dB on a default route, silence everywhere else.
    setValue (Hardware::isDefaultRoute (input, output) ? maximum : minimum);
}

void MatrixComponent::mouseDoubleClick (const juce::MouseEvent&)
{
    editor.setVisible (true);
    editor.grabKeyboardFocus();
}

void MatrixComponent::mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&)
{
    // Deliberately ignored, and not passed on: the wheel scrolls the view only outside the cells.
}

void MatrixComponent::paint (juce::Graphics& g)
{
    const auto settings = Settings::getInstance();

    if (value == maximum)
    {
        g.fillAll (settings->green);
    }
    else if (value == minimum)
    {
        g.fillAll (oddColumn ? settings->charcoal : settings->soot);
    }
    else
    {
        g.fillAll (settings->sand);
        g.setColour (settings->slate);
        g.setFont (settings->boldFont.withHeight (24.0f));
        g.drawText (juce::String (value) + " %", getLocalBounds().toFloat(), juce::Justification::centred, true);
    }

    g.setColour (juce::Colour (0xFF000000));
    g.drawRect (getLocalBounds().toFloat(), 1.0f);
}

void MatrixComponent::resized()
{
    editor.setBounds (0, 0, getWidth(), getHeight());
}

void MatrixComponent::commitTypedValue()
{
    // Parsed like atoi (leading blanks and sign, up to the first non-digit, no number gives 0), but
    // through strtol so that a long run of digits clamps instead of overflowing.
    const auto parsed = std::strtol (editor.getText().toRawUTF8(), nullptr, 10);
    setValue (static_cast<int> (juce::jlimit (0L, 100L, parsed)));
    editor.setVisible (false);
}
