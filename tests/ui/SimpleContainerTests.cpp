#include "ui/SimpleContainer.h"

#include <gtest/gtest.h>

namespace
{
using Rect = juce::Rectangle<int>;

/** An item that notes its own destruction, to check who deletes what and when. */
struct TrackedItem : public juce::Component
{
    TrackedItem (int idToUse, std::vector<int>& deletedToUse) : id (idToUse), deleted (deletedToUse) {}
    ~TrackedItem() override { deleted.push_back (id); }

    int id;
    std::vector<int>& deleted;
};

/** Adds items the way the main view does: visible, last in z-order, appended to the list. */
void addItems (SimpleContainer& container, int count, std::vector<int>* deleted = nullptr)
{
    static std::vector<int> ignored;

    for (int i = 0; i < count; ++i)
    {
        auto item = std::make_unique<TrackedItem> ((int) container.items.size(), deleted != nullptr ? *deleted : ignored);
        item->setVisible (true);
        container.addChildComponent (item.get(), -1);
        container.items.push_back (std::move (item));
    }
}

Rect boundsOf (const SimpleContainer& container, size_t i)
{
    return container.items[i]->getBounds();
}
} // namespace

TEST (SimpleContainer, GridFillsLinesLeftToRight)
{
    SimpleContainer container (SimpleContainer::grid);
    container.setSize (500, 100);
    container.columns = 3;
    container.itemWidth = 50;
    container.itemHeight = 20;
    container.offsetX = 7;
    container.offsetY = 3;
    addItems (container, 7);
    container.layout();

    const std::pair<int, int> cells[] = { { 0, 0 }, { 1, 0 }, { 2, 0 }, { 0, 1 }, { 1, 1 }, { 2, 1 }, { 0, 2 } };
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ (boundsOf (container, i), Rect (cells[i].first * 50 - 7, cells[i].second * 20 - 3, 50, 20)) << i;

    // Items below the container are placed and left visible; the container only clips them.
    EXPECT_TRUE (container.items[6]->isVisible());
}

TEST (SimpleContainer, GridWithoutColumnsIsOneColumn)
{
    for (int columns : { 0, 1, -2 })
    {
        SimpleContainer container (SimpleContainer::grid);
        container.columns = columns;
        container.offsetX = 12;
        addItems (container, 3);
        container.layout();

        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ (boundsOf (container, i), Rect (-12, (int) i * 40, 200, 40)) << columns;
    }
}

TEST (SimpleContainer, UnknownLayoutPlacesAsGrid)
{
    SimpleContainer container (7);
    container.columns = 2;
    addItems (container, 3);
    container.layout();
    EXPECT_EQ (boundsOf (container, 1), Rect (200, 0, 200, 40));
    EXPECT_EQ (boundsOf (container, 2), Rect (0, 40, 200, 40));
}

TEST (SimpleContainer, RowIgnoresOffsetYAndNegativeOffsetsMoveRight)
{
    SimpleContainer container (SimpleContainer::row);
    container.setSize (300, 90);
    container.itemWidth = 120;
    container.offsetX = -30;
    container.offsetY = 55;
    addItems (container, 4);
    container.layout();

    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ (boundsOf (container, i), Rect ((int) i * 120 + 30, 0, 120, 90)) << i;

    // A resize lays out again with the new height.
    container.setSize (300, 70);
    EXPECT_EQ (boundsOf (container, 3), Rect (390, 0, 120, 70));
}

TEST (SimpleContainer, ColumnIgnoresOffsetX)
{
    SimpleContainer container (SimpleContainer::column);
    container.setSize (250, 100);
    container.itemHeight = 30;
    container.offsetX = 99;
    container.offsetY = -10;
    addItems (container, 3);
    container.layout();

    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ (boundsOf (container, i), Rect (0, (int) i * 30 + 10, 250, 30)) << i;
}

TEST (SimpleContainer, ClearDeletesInOrderAndKeepsTheSettings)
{
    std::vector<int> deleted;
    {
        SimpleContainer dying (SimpleContainer::row);
        addItems (dying, 2, &deleted);
    }
    EXPECT_EQ (deleted, (std::vector<int> { 0, 1 })); // the destructor deletes in list order too
    deleted.clear();

    SimpleContainer container (SimpleContainer::grid);
    container.columns = 4;
    container.offsetX = 5;
    container.offsetY = 6;
    container.itemWidth = 70;
    container.itemHeight = 80;
    addItems (container, 3, &deleted);

    container.clear();
    EXPECT_EQ (deleted, (std::vector<int> { 0, 1, 2 }));
    EXPECT_TRUE (container.items.empty());
    EXPECT_EQ (container.getNumChildComponents(), 0);

    container.layout();
    EXPECT_EQ (container.offsetX, 5);
    EXPECT_EQ (container.offsetY, 6);
    EXPECT_EQ (container.itemWidth, 70);
    EXPECT_EQ (container.itemHeight, 80);
    EXPECT_EQ (container.columns, 4);
}

TEST (SimpleContainer, EmptyContainerPaintsItsBackground)
{
    SimpleContainer container (SimpleContainer::grid);
    container.setSize (40, 30);
    container.layout();

    const auto image = container.createComponentSnapshot (container.getLocalBounds(), true, 1.0f);
    ASSERT_EQ (image.getBounds(), Rect (0, 0, 40, 30));

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            ASSERT_EQ (image.getPixelAt (x, y).getARGB(), 0xFF17181Au) << x << "," << y;
}

TEST (SimpleContainer, HeldContainerIsOutOfSightAndKeepsItsVisibilityWishesForLater)
{
    juce::Component parent;
    SimpleContainer container (SimpleContainer::column);
    parent.addAndMakeVisible (container);

    {
        const SimpleContainer::Hold hold (container);
        EXPECT_FALSE (container.isVisible());

        container.setVisible (false);
        container.setVisible (true);
        EXPECT_FALSE (container.isVisible());

        {
            const SimpleContainer::Hold inner (container);
            container.setVisible (false);
        }

        EXPECT_FALSE (container.isVisible());
    }

    EXPECT_FALSE (container.isVisible());   // the last wish

    {
        const SimpleContainer::Hold hold (container);
        container.setVisible (true);
    }

    EXPECT_TRUE (container.isVisible());

    // Not held, setVisible works at once.
    container.setVisible (false);
    EXPECT_FALSE (container.isVisible());
}

TEST (SimpleContainer, ClearEndsVisibleAsBeforeWithTheItemsGone)
{
    juce::Component parent;
    SimpleContainer container (SimpleContainer::grid);
    parent.addAndMakeVisible (container);
    addItems (container, 5);

    container.clear();
    EXPECT_TRUE (container.isVisible());
    EXPECT_EQ (container.getNumChildComponents(), 0);
    EXPECT_TRUE (container.items.empty());
}
