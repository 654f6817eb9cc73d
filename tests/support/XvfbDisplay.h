#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

class XvfbServer;

/**
    A private X server (an XvfbServer) for the tests whose own windows need a real display:
    keyboard focus, key presses through the window's peer, displays.

    XvfbDisplay::get() starts the server on the first call and points DISPLAY at it on every call
    (a screen of 1280 x 1024 unless the first call names another size; later calls get the server
    as it was started, whatever size they name; on Windows the display is the system's own); the
    server lives until the test process ends (it is stopped after the framework has closed its X
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
    static XvfbDisplay& get (int screenWidth = 1280, int screenHeight = 1024);

    /** True when the server runs and the framework's window system is connected to it. */
    bool isUsable() const;

    /** Why the display cannot be used, for a skipped test's message. */
    juce::String getProblem() const;

    /** Announces a window manager's frame around a top-level window, as the window's peer then
        reports it (only the number: nothing is drawn). False where that cannot be done: on
        Windows the system draws real frames. */
    bool setFrameExtents (juce::Component& window, juce::BorderSize<int> frame) const;

    /** Announces a window manager's work area for each of its desktops (_NET_WORKAREA, physical
        pixels) and the current desktop (_NET_CURRENT_DESKTOP; none when negative) on the root
        window, as a window manager with panels does. The framework reads neither once it has
        found its displays; the program asks for them. False where that cannot be done: on Windows
        the work area is the system's. */
    bool setWorkAreas (const std::vector<juce::Rectangle<int>>& areas, int currentDesktop) const;

    /** Takes the work area and the current desktop off the root window again. */
    void clearWorkAreas() const;

    ~XvfbDisplay();

private:
    XvfbDisplay (int screenWidth, int screenHeight);

    std::unique_ptr<XvfbServer> server;
    juce::String problem;

    JUCE_DECLARE_NON_COPYABLE (XvfbDisplay)
};
