#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

/** The round push buttons (100 x 108 pixels with their shadow): the Link toggle of the output
    strips and the Reset Mixer button of the settings panel, in each of their states.
*/
class ButtonArt
{
public:
    enum class State
    {
        off,
        offHover,
        offClick,
        offAnimate,
        on,
        onHover,
        onClick,
        resetClick
    };

    static juce::Image link (State state);
    static juce::Image reset (State state);

private:
    static juce::Image paint (State state, const std::vector<juce::Path>& symbol);
    static std::vector<juce::Path> linkSymbol();
    static std::vector<juce::Path> resetSymbol (float rotation);
};
