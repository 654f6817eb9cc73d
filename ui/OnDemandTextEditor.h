#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <optional>

/**
    A text editor that is made the first time it is shown, and kept from then on.

    A juce::TextEditor is a heavy child (viewport, scroll bars, caret, text holder); a component
    that needs one only now and then, such as every cell of a large matrix, holds this instead.
    Until the editor exists, this keeps what was asked of it (bounds, justification, font, focus
    wish) and hands it over on making it, as a hidden child of the owner; afterwards every call
    goes to the editor. The three callbacks run for the editor's own Return, Escape and focus loss.
*/
class OnDemandTextEditor
{
public:
    explicit OnDemandTextEditor (juce::Component& owner);
    ~OnDemandTextEditor();

    void setWantsKeyboardFocus (bool wantsFocus);
    void setJustification (juce::Justification justification);
    void setFont (const juce::Font& font);

    void setBounds (int x, int y, int width, int height);
    juce::Rectangle<int> getBounds() const;

    /** Shows the editor, making it first if need be, or hides it. */
    void setVisible (bool shouldBeVisible);
    bool isVisible() const;

    void grabKeyboardFocus();
    bool hasKeyboardFocus (bool trueIfChildIsFocused) const;

    /** The text, empty until something was typed or set. */
    juce::String getText() const;
    void setText (const juce::String& text, bool sendTextChangeMessage = true);

    /** Hands a key press to the editor (made first if need be), as the keyboard would. */
    bool keyPressed (const juce::KeyPress& key);

    std::function<void()> onReturnKey;
    std::function<void()> onEscapeKey;
    std::function<void()> onFocusLost;

private:
    juce::TextEditor& get();

    juce::Component& owner;
    std::unique_ptr<juce::TextEditor> editor;

    juce::Rectangle<int> bounds;
    juce::Justification justification { juce::Justification::topLeft };
    std::optional<juce::Font> font;
    bool wantsFocus = false;

    JUCE_DECLARE_NON_COPYABLE (OnDemandTextEditor)
};
