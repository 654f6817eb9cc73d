#include "ui/SimpleContainer.h"

SimpleContainer::SimpleContainer (std::int32_t layoutTypeToUse)
    : layoutType (layoutTypeToUse)
{
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
    // Delete in list order; a deleted child takes itself out of the container.
    for (auto& item : items)
        item.reset();

    items.clear();
}
