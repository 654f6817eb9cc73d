#include "Outline.h"

#include <algorithm>
#include <cmath>

namespace
{
using Pt = juce::Point<float>;

Pt normalised (Pt p)
{
    const auto length = p.getDistanceFromOrigin();
    return length > 0.0f ? p / length : Pt();
}

Pt leftNormal (Pt direction) { return { -direction.y, direction.x }; }

float cross (Pt a, Pt b) { return a.x * b.y - a.y * b.x; }

float signedArea (const std::vector<Pt>& points)
{
    double sum = 0.0;

    for (size_t i = 0; i < points.size(); ++i)
    {
        const auto& a = points[i];
        const auto& b = points[(i + 1) % points.size()];
        sum += (double) a.x * b.y - (double) b.x * a.y;
    }

    return (float) (sum * 0.5);
}

// Solid polygons run one way round and holes the other, whatever order the points came in.
void orient (std::vector<Pt>& points, bool isHole)
{
    if ((signedArea (points) < 0.0f) != isHole)
        std::reverse (points.begin(), points.end());
}
} // namespace

Outline::Outline (float halfWidthToUse) : halfWidth (halfWidthToUse) {}

std::vector<Outline::Sample> Outline::centreLine (const std::vector<Vertex>& vertices, bool closed) const
{
    std::vector<Sample> samples;
    const auto count = (int) vertices.size();

    if (count < 2)
        return samples;

    auto pointAt = [&] (int i) { return Pt (vertices[(size_t) ((i + count) % count)].x, vertices[(size_t) ((i + count) % count)].y); };

    if (! closed)
        samples.push_back ({ pointAt (0), leftNormal (normalised (pointAt (1) - pointAt (0)) ) });

    const auto first = closed ? 0 : 1;
    const auto last = closed ? count - 1 : count - 2;

    for (int i = first; i <= last; ++i)
    {
        const auto previous = pointAt (i - 1), corner = pointAt (i), next = pointAt (i + 1);
        const auto d1 = normalised (corner - previous), d2 = normalised (next - corner);
        const auto n1 = leftNormal (d1), n2 = leftNormal (d2);
        const auto turn = std::acos (juce::jlimit (-1.0f, 1.0f, d1.getDotProduct (d2)));
        auto radius = vertices[(size_t) ((i + count) % count)].radius;

        if (radius <= 0.0f || turn < 0.01f)
        {
            const auto sum = n1 + n2;
            const auto scale = 1.0f + n1.getDotProduct (n2);
            samples.push_back ({ corner, scale > 0.05f ? sum / scale : n1 });
            continue;
        }

        // Keep the rounding within half of each neighbouring segment.
        const auto halfTurnTan = std::tan (turn * 0.5f);
        auto tangentLength = radius * halfTurnTan;
        const auto limit = 0.5f * juce::jmin (corner.getDistanceFrom (previous), corner.getDistanceFrom (next));

        if (tangentLength > limit)
        {
            tangentLength = limit;
            radius = tangentLength / halfTurnTan;
        }

        const auto side = cross (d1, d2) > 0.0f ? 1.0f : -1.0f;
        const auto start = corner - d1 * tangentLength;
        const auto centre = start + n1 * (radius * side);
        const auto startAngle = std::atan2 (start.y - centre.y, start.x - centre.x);
        const auto steps = juce::jmax (2, (int) std::ceil (turn / juce::MathConstants<float>::halfPi * 16.0f));

        for (int k = 0; k <= steps; ++k)
        {
            const auto angle = startAngle + side * turn * (float) k / (float) steps;
            const Pt radial (std::cos (angle), std::sin (angle));
            const Pt tangent (-radial.y * side, radial.x * side);
            samples.push_back ({ centre + radial * radius, leftNormal (tangent) });
        }
    }

    if (! closed)
        samples.push_back ({ pointAt (count - 1), leftNormal (normalised (pointAt (count - 1) - pointAt (count - 2))) });

    return samples;
}

void Outline::stroke (const std::vector<Vertex>& vertices, bool squareEnds)
{
    auto samples = centreLine (vertices, false);

    if (samples.size() < 2)
        return;

    if (squareEnds)
    {
        const auto startDirection = normalised (samples[1].position - samples[0].position);
        const auto endDirection = normalised (samples.back().position - samples[samples.size() - 2].position);
        samples.front().position -= startDirection * halfWidth;
        samples.back().position += endDirection * halfWidth;
    }

    std::vector<Pt> points;

    for (const auto& s : samples)
        points.push_back (s.position + s.offset * halfWidth);

    for (auto it = samples.rbegin(); it != samples.rend(); ++it)
        points.push_back (it->position - it->offset * halfWidth);

    polygon (std::move (points));
}

void Outline::closedStroke (const std::vector<Vertex>& vertices)
{
    const auto samples = centreLine (vertices, true);

    if (samples.size() < 3)
        return;

    std::vector<Pt> sideA, sideB;

    for (const auto& s : samples)
    {
        sideA.push_back (s.position + s.offset * halfWidth);
        sideB.push_back (s.position - s.offset * halfWidth);
    }

    const auto aIsOuter = std::abs (signedArea (sideA)) > std::abs (signedArea (sideB));
    polygon (aIsOuter ? sideA : sideB, false);
    polygon (aIsOuter ? sideB : sideA, true);
}

float Outline::horizontalHalfWidth (Pt direction) const
{
    const auto d = normalised (direction);
    return std::abs (d.y) > 0.001f ? halfWidth / std::abs (d.y) : halfWidth;
}

void Outline::slab (Pt a, Pt b, Cut cutA, Cut cutB)
{
    const auto d = normalised (b - a);
    const auto n = leftNormal (d);

    auto endOffset = [&] (Cut cut)
    {
        Pt offset = n * halfWidth;

        if (cut == Cut::horizontal && std::abs (d.y) > 0.001f)
            offset = { halfWidth / std::abs (d.y), 0.0f };
        else if (cut == Cut::vertical && std::abs (d.x) > 0.001f)
            offset = { 0.0f, halfWidth / std::abs (d.x) };

        return offset.getDotProduct (n) < 0.0f ? -offset : offset;
    };

    const auto offsetA = endOffset (cutA), offsetB = endOffset (cutB);
    polygon ({ a + offsetA, b + offsetB, b - offsetB, a - offsetA });
}

void Outline::rectangle (float left, float top, float right, float bottom)
{
    polygon ({ { left, top }, { right, top }, { right, bottom }, { left, bottom } });
}

void Outline::ring (Pt centre, float outerRadius, float innerRadius, int segments)
{
    std::vector<Pt> outer, inner;

    for (int i = 0; i < segments; ++i)
    {
        const auto angle = juce::MathConstants<float>::twoPi * (float) i / (float) segments;
        const Pt radial (std::cos (angle), std::sin (angle));
        outer.push_back (centre + radial * outerRadius);
        inner.push_back (centre + radial * innerRadius);
    }

    polygon (std::move (outer), false);

    if (innerRadius > 0.0f)
        polygon (std::move (inner), true);
}

void Outline::polygon (std::vector<Pt> points, bool isHole)
{
    if (points.size() < 3)
        return;

    orient (points, isHole);
    polygons.push_back ({ std::move (points), isHole });
}

void Outline::append (const Outline& other, const juce::AffineTransform& transform)
{
    for (const auto& p : other.polygons)
    {
        auto points = p.points;

        for (auto& point : points)
            point.applyTransform (transform);

        polygon (std::move (points), p.isHole);
    }
}

juce::Path Outline::toPath() const
{
    juce::Path path;

    for (const auto& p : polygons)
    {
        path.startNewSubPath (p.points.front());

        for (size_t i = 1; i < p.points.size(); ++i)
            path.lineTo (p.points[i]);

        path.closeSubPath();
    }

    return path;
}
