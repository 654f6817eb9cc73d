#include "Blur.h"

#include <vector>

namespace
{
// One box pass over a line of values, with the edge values repeated beyond the ends.
void boxLine (std::vector<float>& line, std::vector<float>& scratch, int radius)
{
    const auto n = (int) line.size();
    const auto width = (float) (2 * radius + 1);
    auto at = [&] (int i) { return line[(size_t) juce::jlimit (0, n - 1, i)]; };

    auto sum = 0.0f;

    for (int i = -radius; i <= radius; ++i)
        sum += at (i);

    for (int i = 0; i < n; ++i)
    {
        scratch[(size_t) i] = sum / width;
        sum += at (i + radius + 1) - at (i - radius);
    }

    line.swap (scratch);
}
} // namespace

void Blur::apply (juce::Image& image, float radius)
{
    const auto box = juce::jmax (1, juce::roundToInt (radius / 1.7f));
    const auto w = image.getWidth(), h = image.getHeight();
    juce::Image::BitmapData data (image, juce::Image::BitmapData::readWrite);
    const auto channels = data.pixelStride;

    std::vector<float> line, scratch;

    for (int c = 0; c < channels; ++c)
    {
        line.resize ((size_t) w);
        scratch.resize ((size_t) w);

        for (int y = 0; y < h; ++y)
        {
            for (int x = 0; x < w; ++x)
                line[(size_t) x] = data.getPixelPointer (x, y)[c];

            for (int pass = 0; pass < 3; ++pass)
                boxLine (line, scratch, box);

            for (int x = 0; x < w; ++x)
                data.getPixelPointer (x, y)[c] = (juce::uint8) juce::jlimit (0, 255, juce::roundToInt (line[(size_t) x]));
        }

        line.resize ((size_t) h);
        scratch.resize ((size_t) h);

        for (int x = 0; x < w; ++x)
        {
            for (int y = 0; y < h; ++y)
                line[(size_t) y] = data.getPixelPointer (x, y)[c];

            for (int pass = 0; pass < 3; ++pass)
                boxLine (line, scratch, box);

            for (int y = 0; y < h; ++y)
                data.getPixelPointer (x, y)[c] = (juce::uint8) juce::jlimit (0, 255, juce::roundToInt (line[(size_t) y]));
        }
    }
}
