#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

/** Builds filled shapes out of simple strokes as polygons, so that the same outlines can be
    painted into images and written into SVG files.

    Every solid polygon is kept with the same orientation and every hole with the opposite one,
    so overlapping parts unite under the non-zero winding rule (the default of both juce::Path
    and SVG) without any boolean path operations.
*/
class Outline
{
public:
    /** A polyline vertex; radius is the rounding of the centre line at this corner (0 = sharp). */
    struct Vertex
    {
        float x = 0.0f, y = 0.0f, radius = 0.0f;
    };

    /** How the end of a slab is cut off. */
    enum class Cut
    {
        perpendicular,
        horizontal,
        vertical
    };

    explicit Outline (float halfWidth);

    float getHalfWidth() const noexcept { return halfWidth; }

    /** An open polyline stroked with the outline's width; square ends reach half the width beyond
        the first and last vertex, butt ends stop there. */
    void stroke (const std::vector<Vertex>& vertices, bool squareEnds = true);

    /** A closed polyline stroked with the outline's width: a ring with a hole. */
    void closedStroke (const std::vector<Vertex>& vertices);

    /** A straight bar from a to b whose ends are cut as asked. */
    void slab (juce::Point<float> a, juce::Point<float> b, Cut cutA, Cut cutB);

    /** The horizontal half width of a slab of this outline running along the given direction. */
    float horizontalHalfWidth (juce::Point<float> direction) const;

    void rectangle (float left, float top, float right, float bottom);
    void ring (juce::Point<float> centre, float outerRadius, float innerRadius, int segments = 96);
    void polygon (std::vector<juce::Point<float>> points, bool isHole = false);

    void append (const Outline& other, const juce::AffineTransform& transform);

    juce::Path toPath() const;
    bool isEmpty() const noexcept { return polygons.empty(); }

private:
    struct Polygon
    {
        std::vector<juce::Point<float>> points;
        bool isHole = false;
    };

    std::vector<Polygon> polygons;
    float halfWidth;

    struct Sample
    {
        juce::Point<float> position, offset;
    };

    std::vector<Sample> centreLine (const std::vector<Vertex>& vertices, bool closed) const;
};
