#include "support/XvfbDisplay.h"

#include <juce_gui_basics/juce_gui_basics.h>

// On Windows (and under Wine) the windows are the system's own: there is no X server to start,
// and the display is there as long as the framework sees one.

// There is no X server to start here.
class XvfbServer
{
};

namespace
{
juce::JUCEApplicationBase* createNoApplication()
{
    return nullptr;
}
} // namespace

XvfbDisplay& XvfbDisplay::get (int, int)
{
    static XvfbDisplay display (0, 0);
    return display;
}

XvfbDisplay::XvfbDisplay (int, int)
{
    // As on Linux: the framework then installs its own handlers and treats the process as an app.
    if (juce::JUCEApplicationBase::createInstance == nullptr)
        juce::JUCEApplicationBase::createInstance = &createNoApplication;
}

XvfbDisplay::~XvfbDisplay() = default;

bool XvfbDisplay::isUsable() const
{
    return ! juce::Desktop::getInstance().getDisplays().displays.isEmpty();
}

juce::String XvfbDisplay::getProblem() const
{
    return "the window system shows no display";
}

bool XvfbDisplay::setFrameExtents (juce::Component&, juce::BorderSize<int>) const
{
    return false;
}

bool XvfbDisplay::setWorkAreas (const std::vector<juce::Rectangle<int>>&, int) const
{
    return false;
}

void XvfbDisplay::clearWorkAreas() const {}
