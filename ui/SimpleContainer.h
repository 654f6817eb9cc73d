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

    /** While held, the container keeps its visibility wishes: setVisible only records them. */
    void setVisible (bool shouldBeVisible) override;

    /**
        Keeps the container out of the window's sight while it lives: the container is hidden, so
        that emptying, filling and placing many items costs no window work per item (no repaint of
        its area, no question to the window system whether the window is showing). What setVisible
        asks for meanwhile takes effect when the last hold ends, with one repaint of the whole
        container. Holds nest.
    */
    class Hold
    {
    public:
        explicit Hold (SimpleContainer& containerToHold);
        ~Hold();

    private:
        SimpleContainer& container;

        JUCE_DECLARE_NON_COPYABLE (Hold)
    };

    /** Places every item; items outside the container are placed all the same (and clipped).
        When something moves, the items are placed held (see Hold), so the container repaints
        once as a whole, unless one of them has the keyboard focus. */
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
    /** Calls visit (item, bounds) for every item with the bounds the placement rule gives it. */
    template <typename Visit>
    void forEachPlacement (Visit&& visit) const;

    int holds = 0;
    bool visibleAfterHold = true;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SimpleContainer)
};
