#include "ui/SimpleContainer.h"

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

void SimpleContainer::layout()
{
    std::int32_t i = 0;
    std::int32_t col = 0;
    std::int32_t line = 0;

    for (auto& item : items)
    {
        switch (layoutType)
        {
            case row:
                item->setBounds (i * itemWidth - offsetX, 0, itemWidth, getHeight());
                break;

            case column:
                item->setBounds (0, i * itemHeight - offsetY, getWidth(), itemHeight);
                break;

            default:
                item->setBounds (col * itemWidth - offsetX, line * itemHeight - offsetY, itemWidth, itemHeight);

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
