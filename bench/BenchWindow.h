#pragma once

#include "bench/BenchPeer.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The main window stand-in of the benchmarks: a document window whose peer is a BenchPeer, so
    that the main view inside it marks dirty areas and paints exactly as in the program, with no
    display attached.
*/
class BenchWindow : public juce::DocumentWindow
{
public:
    BenchWindow();
    ~BenchWindow() override;

    /** Puts the window on the (stand-in) desktop; call once the content is set. */
    void show();

    BenchPeer* getBenchPeer() const;

protected:
    juce::ComponentPeer* createNewPeer (int styleFlags, void* nativeWindowToAttachTo) override;
};
