#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/**
    A private X server (Xvfb) with one screen, on a display number of its own, for as long as the
    object lives. It ends with the test process in any case.

    There is no window manager on it; the server knows the atoms that one would create, so that
    the framework's windows take part in the window manager's protocols (WM_DELETE_WINDOW and the
    rest), and sendCloseRequest does what a window manager does for a click on a close button.

        XvfbServer server (1600, 1000);
        if (! server.isRunning()) ...
        ... start programs with DISPLAY=server.getDisplayName() ...
*/
class XvfbServer
{
public:
    XvfbServer (int screenWidth, int screenHeight);
    ~XvfbServer();

    bool isRunning() const noexcept { return displayName.isNotEmpty(); }

    /** The value for DISPLAY, e.g. ":231"; empty when the server did not start. */
    juce::String getDisplayName() const { return displayName; }

    /** Asks a top-level window to close: the WM_DELETE_WINDOW message of the window manager's
        protocol, which the window's program takes as a click on its close button. */
    bool sendCloseRequest (unsigned long window) const;

    /** Sends the window a client message of a type that no program knows: it changes nothing,
        but gives the window's program something to read on its connection to the server. */
    bool sendWakeUp (unsigned long window) const;

    /** Gives a top-level window the frame extents that a window manager would announce for the
        frame it draws around the window (_NET_FRAME_EXTENTS), without drawing or moving anything. */
    bool setFrameExtents (unsigned long window, int left, int right, int top, int bottom) const;

    /** Gives the root window a property of 32-bit CARDINALs, as a window manager announces its
        desktops, e.g. _NET_WORKAREA (x, y, width, height per desktop) or _NET_CURRENT_DESKTOP. */
    bool setRootCardinals (const char* name, const std::vector<long>& values) const;

    /** Takes a property off the root window again (true also when it had none). */
    bool deleteRootProperty (const char* name) const;

private:
    bool sendClientMessage (unsigned long window, const char* type, const char* data) const;

    /** Runs request (an Xlib wrapper, a connection) -> bool on a connection of its own to the
        server, X errors ignored; false when there is no connection. */
    template <typename Request>
    bool withConnection (Request&& request) const;

    void start (int number, const juce::String& screenSize);
    void internWindowManagerAtoms() const;

    int serverPid = -1;
    juce::String displayName;

    JUCE_DECLARE_NON_COPYABLE (XvfbServer)
};
