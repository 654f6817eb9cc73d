#include "app/WindowPlacement.h"

#include <cmath>

namespace
{
/** The largest physical size of a side of the frame for which the framework's X11 peer reports
    the given size at this scale (it multiplies the announced size by 1 / scale and truncates). */
int largestPhysicalSide (int reported, double scale)
{
    if (reported < 0)
        return 0;

    auto physical = static_cast<int> (std::ceil ((reported + 1) * scale)) + 1;

    while (physical > 0 && static_cast<int> ((1.0 / scale) * physical) > reported)
        --physical;

    return physical;
}
} // namespace

WindowPlacement::WindowPlacement (const juce::Displays::Display& display, juce::Rectangle<int> userArea,
                                  juce::BorderSize<int> frame)
    : totalArea (display.totalArea),
      topLeftPhysical (display.topLeftPhysical),
      scale (display.scale > 0.0 ? display.scale : 1.0),
      reportedFrame (frame)
{
    // Only the pixels wholly inside the user area count as part of it.
    const auto edge = [this] (int logical, int logicalOrigin, int physicalOrigin, bool roundUp)
    {
        const auto physical = static_cast<double> (logical - logicalOrigin) * scale + physicalOrigin;
        return static_cast<int> (roundUp ? std::ceil (physical) : std::floor (physical));
    };

    physicalUserArea = juce::Rectangle<int>::leftTopRightBottom (
        edge (userArea.getX(), totalArea.getX(), topLeftPhysical.x, true),
        edge (userArea.getY(), totalArea.getY(), topLeftPhysical.y, true),
        edge (userArea.getRight(), totalArea.getX(), topLeftPhysical.x, false),
        edge (userArea.getBottom(), totalArea.getY(), topLeftPhysical.y, false));

    largestFrame = { largestPhysicalSide (frame.getTop(), scale), largestPhysicalSide (frame.getLeft(), scale),
                     largestPhysicalSide (frame.getBottom(), scale), largestPhysicalSide (frame.getRight(), scale) };

    // The X11 peer's offset when it moves the window: the reported frame times the scale, truncated.
    frameOffset = frame.multipliedBy (scale);
}

juce::Rectangle<int> WindowPlacement::toPhysical (juce::Rectangle<int> bounds) const
{
    // As the framework's Displays::logicalToPhysical does it (float arithmetic, rounded at the end).
    return ((bounds.toFloat() - totalArea.getTopLeft().toFloat()) * scale + topLeftPhysical.toFloat()).toNearestInt();
}

WindowPlacement::Range WindowPlacement::rangeFor (int physicalSize, int areaStart, int areaEnd, int frameBefore,
                                                  int frameAfter, int offset)
{
    // The frame begins at the window's position less the offset and is as wide as the window and
    // both sides of the frame together.
    return { areaStart + offset, areaEnd - (frameBefore + physicalSize + frameAfter) + offset };
}

juce::Point<int> WindowPlacement::topLeftFor (juce::Rectangle<int> bounds) const
{
    const auto physical = toPhysical (bounds);

    // The physical position of a logical one in the given direction, and the logical positions
    // nearest to a physical one.
    const auto physicalAt = [this, bounds] (int logical, bool horizontal)
    {
        const auto position = toPhysical (horizontal ? bounds.withX (logical) : bounds.withY (logical));
        return horizontal ? position.getX() : position.getY();
    };

    const auto lastAtOrBefore = [&] (int physicalPosition, bool horizontal)
    {
        const auto origin = horizontal ? topLeftPhysical.x : topLeftPhysical.y;
        const auto logicalOrigin = horizontal ? totalArea.getX() : totalArea.getY();
        auto logical = logicalOrigin + static_cast<int> (std::floor ((physicalPosition - origin) / scale));

        while (physicalAt (logical + 1, horizontal) <= physicalPosition)
            ++logical;

        while (physicalAt (logical, horizontal) > physicalPosition)
            --logical;

        return logical;
    };

    const auto firstAtOrAfter = [&] (int physicalPosition, bool horizontal)
    {
        const auto origin = horizontal ? topLeftPhysical.x : topLeftPhysical.y;
        const auto logicalOrigin = horizontal ? totalArea.getX() : totalArea.getY();
        auto logical = logicalOrigin + static_cast<int> (std::ceil ((physicalPosition - origin) / scale));

        while (physicalAt (logical - 1, horizontal) >= physicalPosition)
            --logical;

        while (physicalAt (logical, horizontal) < physicalPosition)
            ++logical;

        return logical;
    };

    const auto place = [&] (int logical, int physicalPosition, Range range, bool horizontal)
    {
        if (range.lowest <= physicalPosition && physicalPosition <= range.highest)
            return logical;

        if (physicalPosition > range.highest && range.highest >= range.lowest)
        {
            const auto moved = lastAtOrBefore (range.highest, horizontal);

            if (physicalAt (moved, horizontal) >= range.lowest)
                return moved;
        }

        // Too large for the user area (or for the pixels that the scale leaves to choose from):
        // the frame's left or top edge on the area's.
        return firstAtOrAfter (range.lowest, horizontal);
    };

    const auto across = rangeFor (physical.getWidth(), physicalUserArea.getX(), physicalUserArea.getRight(),
                                  largestFrame.getLeft(), largestFrame.getRight(), frameOffset.getLeft());
    const auto down = rangeFor (physical.getHeight(), physicalUserArea.getY(), physicalUserArea.getBottom(),
                                largestFrame.getTop(), largestFrame.getBottom(), frameOffset.getTop());

    return { place (bounds.getX(), physical.getX(), across, true),
             place (bounds.getY(), physical.getY(), down, false) };
}

int WindowPlacement::largestSize (int maximum, int areaSize, int reportedBefore, int reportedAfter, int frameBefore,
                                  int frameAfter, bool horizontal) const
{
    // The framework's X11 peer announces the maximum to the window manager in physical pixels,
    // truncated, less the reported frame as it stands (in logical pixels).
    const auto room = areaSize - frameBefore - frameAfter;
    const auto announced = static_cast<int> (scale * maximum) - (reportedBefore + reportedAfter);

    if (announced <= room)
        return maximum;

    const auto physicalSize = [this, horizontal] (int logical)
    {
        const auto size = toPhysical ({ 0, 0, logical, logical });
        return horizontal ? size.getWidth() : size.getHeight();
    };

    auto size = juce::jmax (0, static_cast<int> (std::floor (room / scale)));

    while (physicalSize (size + 1) <= room)
        ++size;

    while (size > 0 && physicalSize (size) > room)
        --size;

    return juce::jmin (maximum, size);
}

int WindowPlacement::largestWidth (int maximumWidth) const
{
    return largestSize (maximumWidth, physicalUserArea.getWidth(), reportedFrame.getLeft(), reportedFrame.getRight(),
                        largestFrame.getLeft(), largestFrame.getRight(), true);
}

int WindowPlacement::largestHeight (int maximumHeight) const
{
    return largestSize (maximumHeight, physicalUserArea.getHeight(), reportedFrame.getTop(), reportedFrame.getBottom(),
                        largestFrame.getTop(), largestFrame.getBottom(), false);
}
