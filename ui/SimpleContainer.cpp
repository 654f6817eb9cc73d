#include "ui/SimpleContainer.h"

#include <optional>

SimpleContainer::SimpleContainer (std::int32_t layoutTypeToUse)
    : layoutType (layoutTypeToUse)
{
    // The background covers every pixel, so nothing behind the container needs painting.
    setOpaque (true);
}

SimpleContainer::~SimpleContainer()
{
    clear();
}

void SimpleContainer::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xFF17181A));
}

void SimpleContainer::resized()
{
    layout();
}

void SimpleContainer::setVisible (bool shouldBeVisible)
{
    if (holds > 0)
        visibleAfterHold = shouldBeVisible;
    else
        juce::Component::setVisible (shouldBeVisible);
}

SimpleContainer::Hold::Hold (SimpleContainer& containerToHold)
    : container (containerToHold)
{
    if (container.holds++ == 0)
    {
        container.visibleAfterHold = container.isVisible();
        container.juce::Component::setVisible (false);
    }
}

SimpleContainer::Hold::~Hold()
{
    if (--container.holds == 0)
        container.juce::Component::setVisible (container.visibleAfterHold);
}

template <typename Visit>
void SimpleContainer::forEachPlacement (Visit&& visit) const
{
    std::int32_t i = 0;
    std::int32_t col = 0;
    std::int32_t line = 0;

    for (const auto& item : items)
    {
        switch (layoutType)
        {
            case row:
                visit (*item, juce::Rectangle<int> (i * itemWidth - offsetX, 0, itemWidth, getHeight()));
                break;

            case column:
                visit (*item, juce::Rectangle<int> (0, i * itemHeight - offsetY, getWidth(), itemHeight));
                break;

            default:
                visit (*item, juce::Rectangle<int> (col * itemWidth - offsetX, line * itemHeight - offsetY, itemWidth, itemHeight));

                if (col + 1 < columns)
                {
                    ++col;
                }
                else
                {
                    col = 0;
                    ++line;
                }
                break;
        }

        ++i;
    }
}

void SimpleContainer::layout()
{
    bool anyMoves = false;
    forEachPlacement ([&anyMoves] (const juce::Component& item, juce::Rectangle<int> bounds)
    {
        anyMoves = anyMoves || item.getBounds() != bounds.withSize (juce::jmax (0, bounds.getWidth()), juce::jmax (0, bounds.getHeight()));
    });

    if (! anyMoves)
        return;

    // In sight, every item that moves costs a repaint of its old and new places and a question to
    // the window system whether the window is showing (a round trip to the X server of some 70 us:
    // most of a second for a large matrix). Held, the items move freely and the container repaints
    // once. Not while an item has the keyboard focus (a cell being typed into), which hiding the
    // container would take away.
    std::optional<Hold> hold;

    if (! hasKeyboardFocus (true))
        hold.emplace (*this);

    forEachPlacement ([] (juce::Component& item, juce::Rectangle<int> bounds) { item.setBounds (bounds); });
}

void SimpleContainer::clear()
{
    // The items leave the child list from its end, where taking one out moves no other, and are
    // then deleted in list order. Held, so that no item leaving costs window work.
    const Hold hold (*this);

    for (auto index = getNumChildComponents(); --index >= 0;)
        removeChildComponent (index);

    for (auto& item : items)
        item.reset();

    items.clear();
}
