#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>
#include <memory>
#include <vector>

/**
    A plain component that owns a list of items and places them by one fixed rule: side by side in a
    row, one under another in a column, or in a grid of equal cells, each shifted by a scroll offset.

    The owner adds items itself (visible, as the last child, appended to items) and then calls
    layout(); to scroll, it writes the offsets and calls layout() again.
*/
class SimpleContainer : public juce::Component
{
public:
    /** Placement rules; any other value of layoutType places as grid. */
    enum Layout : std::int32_t
    {
        row    = 0,
        column = 1,
        grid   = 2
    };

    explicit SimpleContainer (std::int32_t layoutType);
    ~SimpleContainer() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Places every item; items outside the container are placed all the same (and clipped). */
    void layout();

    /** Deletes every item, in list order. Offsets, sizes and columns stay; nothing is laid out. */
    void clear();

    std::int32_t layoutType;
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
    std::int32_t itemWidth = 200;
    std::int32_t itemHeight = 40;
    std::int32_t columns = 0;
    std::vector<std::unique_ptr<juce::Component>> items;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SimpleContainer)
};
