#include "ui/OnDemandTextEditor.h"

OnDemandTextEditor::OnDemandTextEditor (juce::Component& ownerToUse)
    : owner (ownerToUse)
{
}

OnDemandTextEditor::~OnDemandTextEditor() = default;

juce::TextEditor& OnDemandTextEditor::get()
{
    if (editor == nullptr)
    {
        editor = std::make_unique<juce::TextEditor>();

        // In the order a component that holds its editor from the start sets it up.
        owner.addChildComponent (*editor);
        editor->setWantsKeyboardFocus (wantsFocus);
        editor->setJustification (justification);

        if (font.has_value())
            editor->setFont (*font);

        editor->onEscapeKey = [this] { if (onEscapeKey) onEscapeKey(); };
        editor->onFocusLost = [this] { if (onFocusLost) onFocusLost(); };
        editor->onReturnKey = [this] { if (onReturnKey) onReturnKey(); };
        editor->setBounds (bounds);
    }

    return *editor;
}

void OnDemandTextEditor::setWantsKeyboardFocus (bool shouldWantFocus)
{
    wantsFocus = shouldWantFocus;

    if (editor != nullptr)
        editor->setWantsKeyboardFocus (shouldWantFocus);
}

void OnDemandTextEditor::setJustification (juce::Justification newJustification)
{
    justification = newJustification;

    if (editor != nullptr)
        editor->setJustification (newJustification);
}

void OnDemandTextEditor::setFont (const juce::Font& newFont)
{
    font = newFont;

    if (editor != nullptr)
        editor->setFont (newFont);
}

void OnDemandTextEditor::setBounds (int x, int y, int width, int height)
{
    bounds = { x, y, juce::jmax (0, width), juce::jmax (0, height) };

    if (editor != nullptr)
        editor->setBounds (bounds);
}

juce::Rectangle<int> OnDemandTextEditor::getBounds() const
{
    return editor != nullptr ? editor->getBounds() : bounds;
}

void OnDemandTextEditor::setVisible (bool shouldBeVisible)
{
    if (shouldBeVisible)
        get().setVisible (true);
    else if (editor != nullptr)
        editor->setVisible (false);
}

bool OnDemandTextEditor::isVisible() const
{
    return editor != nullptr && editor->isVisible();
}

void OnDemandTextEditor::grabKeyboardFocus()
{
    if (editor != nullptr)
        editor->grabKeyboardFocus();
}

bool OnDemandTextEditor::hasKeyboardFocus (bool trueIfChildIsFocused) const
{
    return editor != nullptr && editor->hasKeyboardFocus (trueIfChildIsFocused);
}

juce::String OnDemandTextEditor::getText() const
{
    return editor != nullptr ? editor->getText() : juce::String();
}

void OnDemandTextEditor::setText (const juce::String& text, bool sendTextChangeMessage)
{
    get().setText (text, sendTextChangeMessage);
}

bool OnDemandTextEditor::keyPressed (const juce::KeyPress& key)
{
    return get().keyPressed (key);
}
