#include "ui/CachedDropShadowEffect.h"

#include <algorithm>
#include <cstring>

namespace
{
// The framework's blur of a shadow, step for step: each pass replaces every value by the rounded
// mean of itself and its two neighbours along a row (or a column), the ends by the mean of two.
void blurTriplets (juce::uint8* d, int count, int delta) noexcept
{
    juce::uint32 last = d[0];
    d[0] = static_cast<juce::uint8> ((d[0] + d[delta] + 1) / 3);
    d += delta;
    count -= 2;

    do
    {
        const juce::uint32 newLast = d[0];
        d[0] = static_cast<juce::uint8> ((last + d[0] + d[delta] + 1) / 3);
        d += delta;
        last = newLast;
    }
    while (--count > 0);

    d[0] = static_cast<juce::uint8> ((last + d[0] + 1) / 3);
}

void blurSingleChannel (juce::Image& image, int radius)
{
    const juce::Image::BitmapData bitmap (image, juce::Image::BitmapData::readWrite);
    const auto passes = 2 * radius;

    // Too small to have neighbours on both sides: the framework's blur does not handle it either.
    if (bitmap.width <= 2 || bitmap.height <= 2)
        return;

    for (int y = 0; y < bitmap.height; ++y)
        for (int i = passes; --i >= 0;)
            blurTriplets (bitmap.getLinePointer (y), bitmap.width, 1);

    for (int x = 0; x < bitmap.width; ++x)
        for (int i = passes; --i >= 0;)
            blurTriplets (bitmap.data + x, bitmap.height, bitmap.lineStride);
}
} // namespace

CachedDropShadowEffect::CachedDropShadowEffect (const juce::DropShadow& shadowToUse)
    : shadow (shadowToUse)
{
}

int CachedDropShadowEffect::getBlurCount() const noexcept
{
    return blurs;
}

bool CachedDropShadowEffect::samePixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds() || a.getFormat() != b.getFormat())
        return false;

    const juce::Image::BitmapData first (a, juce::Image::BitmapData::readOnly);
    const juce::Image::BitmapData second (b, juce::Image::BitmapData::readOnly);
    const auto rowBytes = static_cast<size_t> (first.width * first.pixelStride);

    for (int y = 0; y < first.height; ++y)
        if (std::memcmp (first.getLinePointer (y), second.getLinePointer (y), rowBytes) != 0)
            return false;

    return true;
}

const juce::Image& CachedDropShadowEffect::shadowFor (const juce::Image& sourceImage, int radius)
{
    for (auto entry = kept.begin(); entry != kept.end(); ++entry)
    {
        if (entry->radius == radius && samePixels (entry->source, sourceImage))
        {
            std::rotate (entry, entry + 1, kept.end());
            return kept.back().shadow;
        }
    }

    if (kept.size() == picturesKept)
        kept.erase (kept.begin());

    Blurred blurred { sourceImage.createCopy(), sourceImage.convertedToFormat (juce::Image::SingleChannel), radius };
    blurred.shadow.duplicateIfShared();
    blurSingleChannel (blurred.shadow, radius);
    ++blurs;

    kept.push_back (std::move (blurred));
    return kept.back().shadow;
}

void CachedDropShadowEffect::applyEffect (juce::Image& sourceImage, juce::Graphics& destContext, float scaleFactor, float alpha)
{
    // As the framework's drop shadow effect draws: the shadow scaled to the device, the picture's
    // alpha blurred and filled with the shadow's colour at the offset, then the picture on top.
    const auto radius = juce::roundToInt (static_cast<float> (shadow.radius) * scaleFactor);
    const auto offset = juce::Point<int> (juce::roundToInt (static_cast<float> (shadow.offset.x) * scaleFactor),
                                          juce::roundToInt (static_cast<float> (shadow.offset.y) * scaleFactor));

    if (sourceImage.isValid())
    {
        destContext.setColour (shadow.colour.withMultipliedAlpha (alpha));
        destContext.drawImageAt (shadowFor (sourceImage, radius), offset.x, offset.y, true);
    }

    destContext.setOpacity (alpha);
    destContext.drawImageAt (sourceImage, 0, 0);
}
