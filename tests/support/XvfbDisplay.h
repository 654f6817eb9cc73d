#pragma once

#include <juce_core/juce_core.h>

#include <memory>

class XvfbServer;

/**
    A private X server (an XvfbServer) for the tests whose own windows need a real display:
    keyboard focus, key presses through the window's peer, displays.

    XvfbDisplay::get() starts the server on the first call and points DISPLAY at it; the server
    lives until the test process ends (it is stopped after the framework has closed its X
    connection, and dies with the process in any case). Call it before anything opens a window or
    asks for the displays: the framework connects to the X server only once per process.

    It also gives the framework an application factory, so that the framework installs its own X
    error handlers instead of leaving Xlib's, which end the process on the first X error.

        auto& x = XvfbDisplay::get();
        if (! x.isUsable())
            GTEST_SKIP() << x.getProblem();
*/
class XvfbDisplay
{
public:
    static XvfbDisplay& get();

    /** True when the server runs and the framework's window system is connected to it. */
    bool isUsable() const;

    /** Why the display cannot be used, for a skipped test's message. */
    juce::String getProblem() const;

    ~XvfbDisplay();

private:
    XvfbDisplay();

    std::unique_ptr<XvfbServer> server;
    juce::String problem;

    JUCE_DECLARE_NON_COPYABLE (XvfbDisplay)
};
