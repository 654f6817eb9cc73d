#include "app/DisplayUserArea.h"

#include "platform/desktop/WorkArea.h"

#include <cmath>

std::optional<juce::Rectangle<int>> DisplayUserArea::announcedWorkArea()
{
    if (const auto area = win::WorkArea::query())
        return juce::Rectangle<int> (area->x, area->y, area->width, area->height);

    return std::nullopt;
}

juce::Rectangle<int> DisplayUserArea::within (const juce::Displays::Display& display,
                                              std::optional<juce::Rectangle<int>> physicalWorkArea)
{
    if (! physicalWorkArea || display.userArea != display.totalArea || display.scale <= 0.0)
        return display.userArea;

    // Physical pixels map to logical ones as the framework maps them for this display; an edge
    // that falls inside a logical pixel leaves that pixel out, so the area never reaches under a
    // panel. The work area spans the whole X screen, all displays: only this display's part counts.
    const auto toLogical = [&display] (int physical, int physicalOrigin, int logicalOrigin, bool roundUp)
    {
        const auto logical = static_cast<double> (physical - physicalOrigin) / display.scale;
        return logicalOrigin + static_cast<int> (roundUp ? std::ceil (logical) : std::floor (logical));
    };

    const auto& physical = *physicalWorkArea;
    const auto& origin = display.topLeftPhysical;
    const auto& logicalOrigin = display.totalArea.getTopLeft();
    const auto area = juce::Rectangle<int>::leftTopRightBottom (
        toLogical (physical.getX(), origin.x, logicalOrigin.x, true),
        toLogical (physical.getY(), origin.y, logicalOrigin.y, true),
        toLogical (physical.getRight(), origin.x, logicalOrigin.x, false),
        toLogical (physical.getBottom(), origin.y, logicalOrigin.y, false));
    const auto onDisplay = area.getIntersection (display.totalArea);

    return onDisplay.isEmpty() ? display.userArea : onDisplay;
}
