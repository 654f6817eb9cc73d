#include "ui/CachedDropShadowEffect.h"
#include "ui/ScrollBarLookAndFeel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
/** A scroll bar as the main view has them (the old look-and-feel, which gives them a drop
    shadow) over a background, painted as a window on a display of the given scale paints. */
class ScrollBarWindow : public juce::Component
{
public:
    ScrollBarWindow()
    {
        bar.setLookAndFeel (&lookAndFeel);
        bar.setRangeLimits (0.0, 1000.0);
        bar.setCurrentRange (100.0, 250.0, juce::dontSendNotification);
        bar.setAutoHide (false);
        addAndMakeVisible (bar);
        setBounds (0, 0, 207, 26);
        bar.setBounds (3, 5, 201, 15);
    }

    ~ScrollBarWindow() override
    {
        bar.setComponentEffect (nullptr);
        bar.setLookAndFeel (nullptr);
    }

    void paint (juce::Graphics& g) override
    {
        g.fillAll (juce::Colour (0xFF30343A));
    }

    juce::Image paintFrame (float scale)
    {
        const auto size = (getLocalBounds().toFloat() * scale).getSmallestIntegerContainer();
        juce::Image frame (juce::Image::ARGB, size.getWidth(), size.getHeight(), true, juce::SoftwareImageType());
        juce::Graphics g (frame);
        g.addTransform (juce::AffineTransform::scale (scale));
        paintEntireComponent (g, false);
        return frame;
    }

    juce::LookAndFeel_V1 lookAndFeel;
    juce::ScrollBar bar { false };
};

int differingPixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return a.getWidth() * a.getHeight();

    int count = 0;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                ++count;

    return count;
}

// The shadow the program gives its scroll bars, which must be the old look-and-feel's.
juce::DropShadow scrollBarShadow()
{
    return ScrollBarLookAndFeel::getScrollbarShadow();
}
} // namespace

TEST (CachedDropShadowEffect, PaintsTheFrameworksShadowAndBlursOnlyWhenThePictureChanges)
{
    ScrollBarWindow framework;
    ScrollBarWindow cached;
    ASSERT_NE (framework.bar.getComponentEffect(), nullptr);   // the look-and-feel's own shadow

    CachedDropShadowEffect effect (scrollBarShadow());
    cached.bar.setComponentEffect (&effect);

    int blurs = 0;

    for (const auto scale : { 1.0f, 1.25f, 1.5f, 2.0f })
    {
        const auto label = "at scale " + std::to_string (scale);
        const auto expected = framework.paintFrame (scale);
        EXPECT_EQ (differingPixels (cached.paintFrame (scale), expected), 0) << label;
        EXPECT_EQ (effect.getBlurCount(), ++blurs) << label;

        // The same picture again: the shadow kept.
        EXPECT_EQ (differingPixels (cached.paintFrame (scale), expected), 0) << label;
        EXPECT_EQ (effect.getBlurCount(), blurs) << label;

        // Scrolled: the thumb moves, and so does its shadow.
        for (auto* window : { &framework, &cached })
            window->bar.setCurrentRange (400.0 * scale, 250.0, juce::dontSendNotification);

        EXPECT_EQ (differingPixels (cached.paintFrame (scale), framework.paintFrame (scale)), 0) << "scrolled " << label;
        EXPECT_EQ (effect.getBlurCount(), ++blurs) << label;

        for (auto* window : { &framework, &cached })
            window->bar.setCurrentRange (100.0, 250.0, juce::dontSendNotification);

        // Back where it was: that picture's shadow is still kept.
        EXPECT_EQ (differingPixels (cached.paintFrame (scale), framework.paintFrame (scale)), 0) << "back " << label;
        EXPECT_EQ (effect.getBlurCount(), blurs) << "back " << label;
    }
}

TEST (CachedDropShadowEffect, FadedComponentFadesItsShadowAsTheFrameworksDoes)
{
    ScrollBarWindow framework;
    ScrollBarWindow cached;
    CachedDropShadowEffect effect (scrollBarShadow());
    cached.bar.setComponentEffect (&effect);

    for (auto* window : { &framework, &cached })
        window->bar.setAlpha (0.6f);

    EXPECT_EQ (differingPixels (cached.paintFrame (1.5f), framework.paintFrame (1.5f)), 0);
}

TEST (CachedDropShadowEffect, ServesSeveralComponentsWithoutBlurringTheirPicturesAgain)
{
    ScrollBarWindow framework;
    ScrollBarWindow first;
    ScrollBarWindow second;
    second.bar.setCurrentRange (600.0, 250.0, juce::dontSendNotification);

    CachedDropShadowEffect effect (scrollBarShadow());
    first.bar.setComponentEffect (&effect);
    second.bar.setComponentEffect (&effect);

    for (int frame = 0; frame < 3; ++frame)
    {
        EXPECT_EQ (differingPixels (first.paintFrame (1.25f), framework.paintFrame (1.25f)), 0);
        second.paintFrame (1.25f);
    }

    EXPECT_EQ (effect.getBlurCount(), 2);
}

TEST (ScrollBarLookAndFeel, GivesItsScrollBarsTheKeptShadowWhereverTheyAreMoved)
{
    // A scroll bar takes its effect from the look-and-feel again whenever it is put somewhere else.
    ScrollBarLookAndFeel lookAndFeel;
    juce::Component parent;
    juce::ScrollBar bar (true);
    bar.setLookAndFeel (&lookAndFeel);
    parent.addAndMakeVisible (bar);

    EXPECT_NE (dynamic_cast<CachedDropShadowEffect*> (bar.getComponentEffect()), nullptr);
    bar.setLookAndFeel (nullptr);
}
