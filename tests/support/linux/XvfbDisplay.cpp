#include "support/XvfbDisplay.h"
#include "support/linux/XvfbServer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>

namespace
{
juce::JUCEApplicationBase* createNoApplication()
{
    return nullptr;
}
} // namespace

XvfbDisplay& XvfbDisplay::get()
{
    // A function-local static: it goes after main() has returned, so the server outlives the
    // framework's X connection (Xlib ends the process when its server vanishes under it).
    static XvfbDisplay display;
    return display;
}

XvfbDisplay::XvfbDisplay()
    : server (std::make_unique<XvfbServer> (1280, 1024))
{
    if (juce::JUCEApplicationBase::createInstance == nullptr)
        juce::JUCEApplicationBase::createInstance = &createNoApplication;

    if (! server->isRunning())
    {
        problem = "Xvfb is not installed or did not start (it is needed for the tests with real windows)";
        return;
    }

    ::setenv ("DISPLAY", server->getDisplayName().toRawUTF8(), 1);
}

XvfbDisplay::~XvfbDisplay() = default;

bool XvfbDisplay::isUsable() const
{
    return server->isRunning() && ! juce::Desktop::getInstance().getDisplays().displays.isEmpty();
}

juce::String XvfbDisplay::getProblem() const
{
    if (problem.isNotEmpty())
        return problem;

    if (! server->isRunning())
        return "no X server";

    return "the window system was set up before Xvfb started; run this test in a process of its own";
}
