#include "ui/OverlayDialogue.h"

#include <algorithm>

OverlayDialogue::OverlayDialogue (const juce::AttributedString& text)
    : message (text),
      yesButton (TRANS ("Yes"), TRANS ("Reset the mixer")),
      noButton (TRANS ("No"), TRANS ("Cancel resetting"))
{
    setWantsKeyboardFocus (true);

    addAndMakeVisible (yesButton);
    addAndMakeVisible (noButton);

    // onCancel may delete this dialogue together with the button that runs the handler, so it is
    // called last and through a copy that outlives the dialogue.
    yesButton.onClick = [this]
    {
        if (onConfirm)
            onConfirm();

        cancel();
    };

    noButton.onClick = [this] { cancel(); };
}

OverlayDialogue::~OverlayDialogue() = default;

void OverlayDialogue::cancel()
{
    if (onCancel)
    {
        const auto callback = onCancel;
        callback();
    }
}

void OverlayDialogue::mouseUp (const juce::MouseEvent& event)
{
    if (onCancel && ! event.mouseWasDraggedSinceMouseDown())
        cancel();
}

void OverlayDialogue::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xE6000000));
    message.draw (g, getTextArea (getWidth(), getHeight()));
}

bool OverlayDialogue::keyPressed (const juce::KeyPress& key)
{
    if (key.getKeyCode() == juce::KeyPress::escapeKey && onCancel)
    {
        cancel();
        return true;
    }

    return false;
}

void OverlayDialogue::resized()
{
    const auto buttons = getButtonAreas (getWidth(), getHeight());
    noButton.setBounds (buttons.first);
    yesButton.setBounds (buttons.second);
}

juce::Rectangle<float> OverlayDialogue::getTextArea (int width, int height)
{
    const auto w = (float) std::min (width - 30, 400);
    const auto h = 0.4f * w;
    return { ((float) width - w) * 0.5f, ((float) height - h) * 0.5f, w, h };
}

std::pair<juce::Rectangle<int>, juce::Rectangle<int>> OverlayDialogue::getButtonAreas (int width, int height)
{
    // The buttons sit at the bottom corners of a band a quarter of the text box high.
    const auto w = std::min (width - 30, 400);
    const auto q = w / 4;
    const auto x0 = (width - w) / 2;
    const auto y0 = (height - q) / 2;
    const auto b = std::min (30, q);
    const auto top = y0 + q - b;

    return { { x0, top, q, b }, { x0 + w - q, top, q, b } };
}
