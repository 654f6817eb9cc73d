#include "bench/BenchWindow.h"

BenchWindow::BenchWindow()
    // Not added to the desktop here: the base class would make its own peer before ours exists.
    : juce::DocumentWindow ("Kelvaro Audio Mixer", juce::Colours::black, juce::DocumentWindow::closeButton, false)
{
    setUsingNativeTitleBar (true);
    setResizable (true, false);
}

BenchWindow::~BenchWindow()
{
    clearContentComponent();
}

void BenchWindow::show()
{
    addToDesktop (getDesktopWindowStyleFlags());
    setVisible (true);
}

BenchPeer* BenchWindow::getBenchPeer() const
{
    return dynamic_cast<BenchPeer*> (getPeer());
}

juce::ComponentPeer* BenchWindow::createNewPeer (int styleFlags, void*)
{
    return new BenchPeer (*this, styleFlags);
}
