#pragma once

#include <cstdint>

/** Seeded, repeatable noise for textures: the same seed gives the same picture on every machine. */
class Noise
{
public:
    explicit Noise (uint32_t seed);

    /** A hash of integer coordinates in [0, 1). */
    float hash (int x, int y) const noexcept;

    /** Smooth value noise in [0, 1) with features about one unit apart. */
    float value (float x, float y) const noexcept;

    /** Several octaves of value noise, in [0, 1). */
    float fractal (float x, float y, int octaves) const noexcept;

private:
    uint32_t seed;
};
