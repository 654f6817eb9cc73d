#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

/**
    A graphics context for tests: it draws nothing and records what a paint routine asks for,
    in the paint routine's own coordinates (no origin or transform is ever set on it by our code,
    but both are applied if they are).
*/
class RecordingGraphicsContext : public juce::LowLevelGraphicsContext
{
public:
    struct Fill
    {
        juce::Rectangle<float> area;
        juce::Colour colour;
    };

    struct ImageDraw
    {
        juce::Image image;
        juce::AffineTransform transform;

        /** Where the whole image lands. */
        juce::Rectangle<float> target() const { return image.getBounds().toFloat().transformedBy (transform); }
    };

    struct Glyph
    {
        int glyphNumber;
        juce::Point<float> position;
        juce::Font font;
        juce::Colour colour;
    };

    struct TextLayout
    {
        juce::AttributedString text;
        juce::Rectangle<float> area;
    };

    std::vector<Fill> fills;
    std::vector<ImageDraw> images;
    std::vector<Glyph> glyphs;
    std::vector<TextLayout> textLayouts;
    int pathFills = 0;
    int lines = 0;

    explicit RecordingGraphicsContext (juce::Rectangle<int> clipArea = { -10000, -10000, 20000, 20000 })
    {
        stack.push_back ({ {}, {}, clipArea, juce::Colours::black });
    }

    bool isVectorDevice() const override { return false; }

    void setOrigin (juce::Point<int> o) override  { state().transform = juce::AffineTransform::translation (o.toFloat()).followedBy (state().transform); }
    void addTransform (const juce::AffineTransform& t) override { state().transform = t.followedBy (state().transform); }
    float getPhysicalPixelScaleFactor() override  { return 1.0f; }

    bool clipToRectangle (const juce::Rectangle<int>& r) override
    {
        state().clip = state().clip.getIntersection (r.toFloat().transformedBy (state().transform).getSmallestIntegerContainer());
        return ! isClipEmpty();
    }
    bool clipToRectangleList (const juce::RectangleList<int>& list) override { return clipToRectangle (list.getBounds()); }
    void excludeClipRectangle (const juce::Rectangle<int>&) override {}
    void clipToPath (const juce::Path&, const juce::AffineTransform&) override {}
    void clipToImageAlpha (const juce::Image&, const juce::AffineTransform&) override {}
    bool clipRegionIntersects (const juce::Rectangle<int>& r) override
    {
        return state().clip.intersects (r.toFloat().transformedBy (state().transform).getSmallestIntegerContainer());
    }
    juce::Rectangle<int> getClipBounds() const override
    {
        return state().clip.toFloat().transformedBy (state().transform.inverted()).getSmallestIntegerContainer();
    }
    bool isClipEmpty() const override { return state().clip.isEmpty(); }

    void saveState() override    { stack.push_back (stack.back()); }
    void restoreState() override { if (stack.size() > 1) stack.pop_back(); }
    void beginTransparencyLayer (float) override { saveState(); }
    void endTransparencyLayer() override        { restoreState(); }

    void setFill (const juce::FillType& fill) override { state().colour = fill.colour; }
    void setOpacity (float opacity) override           { state().colour = state().colour.withAlpha (opacity); }
    void setInterpolationQuality (juce::Graphics::ResamplingQuality) override {}

    void fillRect (const juce::Rectangle<int>& r, bool) override { fillRect (r.toFloat()); }
    void fillRect (const juce::Rectangle<float>& r) override     { fills.push_back ({ r.transformedBy (state().transform), state().colour }); }
    void fillRectList (const juce::RectangleList<float>& list) override
    {
        for (auto& r : list)
            fillRect (r);
    }
    void fillPath (const juce::Path&, const juce::AffineTransform&) override { ++pathFills; }
    void drawImage (const juce::Image& image, const juce::AffineTransform& t) override
    {
        images.push_back ({ image, t.followedBy (state().transform) });
    }
    void drawLine (const juce::Line<float>&) override { ++lines; }

    void setFont (const juce::Font& f) override { state().font = f; }
    const juce::Font& getFont() override       { return state().font; }
    void drawGlyph (int glyphNumber, const juce::AffineTransform& t) override
    {
        const auto t2 = t.followedBy (state().transform);
        glyphs.push_back ({ glyphNumber, { t2.getTranslationX(), t2.getTranslationY() }, state().font, state().colour });
    }
    bool drawTextLayout (const juce::AttributedString& text, const juce::Rectangle<float>& area) override
    {
        textLayouts.push_back ({ text, area.transformedBy (state().transform) });
        return true;
    }

private:
    struct State
    {
        juce::AffineTransform transform;
        juce::Font font;
        juce::Rectangle<int> clip;
        juce::Colour colour;
    };

    State& state()             { return stack.back(); }
    const State& state() const { return stack.back(); }

    std::vector<State> stack;
};
