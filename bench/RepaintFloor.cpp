// The framework's own cost of what the advanced view's meter timer asks for, as a program of its
// own: a window of 1600 x 1000 whose two children stand where the input rows and the output strips
// stand at that size (200 x 498 and 1382 x 480), each filling itself with one colour, both
// repainted whole every 33 ms. Whatever this costs (clearing, painting and putting the areas on
// the screen, the framework's timers) is the floor under the mixer's idle figures; the start-up
// benchmark measures it with --program. With the argument --still nothing is repainted: the floor
// of a window that only waits.

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
class Area : public juce::Component
{
public:
    explicit Area (juce::Colour colourToUse) : colour (colourToUse) { setOpaque (true); }
    void paint (juce::Graphics& g) override { g.fillAll (colour); }

private:
    juce::Colour colour;
};

class View : public juce::Component, private juce::Timer
{
public:
    explicit View (bool repaints)
    {
        setOpaque (true);
        addAndMakeVisible (inputs);
        addAndMakeVisible (outputs);
        inputs.setBounds (0, 0, 200, 498);
        outputs.setBounds (200, 502, 1382, 480);
        setSize (1600, 1000);

        if (repaints)
            startTimer (33);
    }

    void paint (juce::Graphics& g) override { g.fillAll (juce::Colours::black); }

private:
    void timerCallback() override
    {
        inputs.repaint();
        outputs.repaint();
    }

    Area inputs { juce::Colour (0xFF17181A) };
    Area outputs { juce::Colour (0xFF303030) };
};

class Window : public juce::DocumentWindow
{
public:
    explicit Window (bool repaints)
        : juce::DocumentWindow ("Repaint floor", juce::Colours::black, juce::DocumentWindow::closeButton)
    {
        setUsingNativeTitleBar (true);
        setContentOwned (new View (repaints), true);
        centreWithSize (getWidth(), getHeight());
        setVisible (true);
    }

    void closeButtonPressed() override { juce::JUCEApplication::getInstance()->systemRequestedQuit(); }
};

class RepaintFloor : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "Repaint floor"; }
    const juce::String getApplicationVersion() override { return "1"; }
    void initialise (const juce::String& commandLine) override
    {
        window = std::make_unique<Window> (! commandLine.contains ("--still"));
    }
    void shutdown() override { window = nullptr; }

private:
    std::unique_ptr<Window> window;
};
} // namespace

START_JUCE_APPLICATION (RepaintFloor)
