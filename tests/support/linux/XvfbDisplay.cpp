#include "support/XvfbDisplay.h"
#include "support/linux/XvfbServer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>
#include <cstdlib>

namespace
{
juce::JUCEApplicationBase* createNoApplication()
{
    return nullptr;
}
} // namespace

XvfbDisplay& XvfbDisplay::get (int screenWidth, int screenHeight)
{
    // A function-local static: it goes after main() has returned, so the server outlives the
    // framework's X connection (Xlib ends the process when its server vanishes under it).
    static XvfbDisplay display (screenWidth, screenHeight);

    // Again on every call: a test without a window before may have pointed it elsewhere, and what
    // the program asks of the window manager goes to the server that DISPLAY names.
    if (display.server->isRunning())
        ::setenv ("DISPLAY", display.server->getDisplayName().toRawUTF8(), 1);

    return display;
}

XvfbDisplay::XvfbDisplay (int screenWidth, int screenHeight)
    : server (std::make_unique<XvfbServer> (screenWidth, screenHeight))
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

bool XvfbDisplay::setFrameExtents (juce::Component& window, juce::BorderSize<int> frame) const
{
    auto* handle = window.getWindowHandle();

    return handle != nullptr
        && server->setFrameExtents (static_cast<unsigned long> (reinterpret_cast<std::uintptr_t> (handle)),
                                    frame.getLeft(), frame.getRight(), frame.getTop(), frame.getBottom());
}

bool XvfbDisplay::setWorkAreas (const std::vector<juce::Rectangle<int>>& areas, int currentDesktop) const
{
    std::vector<long> values;

    for (const auto& area : areas)
        values.insert (values.end(), { area.getX(), area.getY(), area.getWidth(), area.getHeight() });

    if (! server->setRootCardinals ("_NET_WORKAREA", values))
        return false;

    return currentDesktop < 0 ? server->deleteRootProperty ("_NET_CURRENT_DESKTOP")
                              : server->setRootCardinals ("_NET_CURRENT_DESKTOP", { currentDesktop });
}

void XvfbDisplay::clearWorkAreas() const
{
    server->deleteRootProperty ("_NET_WORKAREA");
    server->deleteRootProperty ("_NET_CURRENT_DESKTOP");
}
