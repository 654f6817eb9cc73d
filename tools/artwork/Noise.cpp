#include "Noise.h"

#include <cmath>

Noise::Noise (uint32_t seedToUse) : seed (seedToUse) {}

float Noise::hash (int x, int y) const noexcept
{
    auto h = seed ^ ((uint32_t) x * 0x27d4eb2dU) ^ ((uint32_t) y * 0x165667b1U);
    h ^= h >> 15;
    h *= 0x85ebca6bU;
    h ^= h >> 13;
    h *= 0xc2b2ae35U;
    h ^= h >> 16;
    return (float) (h & 0xffffffU) / (float) 0x1000000;
}

float Noise::value (float x, float y) const noexcept
{
    const auto x0 = (int) std::floor (x), y0 = (int) std::floor (y);
    auto fx = x - (float) x0, fy = y - (float) y0;
    fx = fx * fx * (3.0f - 2.0f * fx);
    fy = fy * fy * (3.0f - 2.0f * fy);

    const auto top = hash (x0, y0) + (hash (x0 + 1, y0) - hash (x0, y0)) * fx;
    const auto bottom = hash (x0, y0 + 1) + (hash (x0 + 1, y0 + 1) - hash (x0, y0 + 1)) * fx;
    return top + (bottom - top) * fy;
}

float Noise::fractal (float x, float y, int octaves) const noexcept
{
    auto sum = 0.0f, amplitude = 0.5f, total = 0.0f;

    for (int i = 0; i < octaves; ++i)
    {
        sum += value (x, y) * amplitude;
        total += amplitude;
        x = x * 2.03f + 17.1f;
        y = y * 2.03f + 5.3f;
        amplitude *= 0.5f;
    }

    return sum / total;
}
