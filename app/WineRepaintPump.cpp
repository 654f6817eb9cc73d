#include "app/WineRepaintPump.h"

WineRepaintPump::WineRepaintPump()
{
    startTimerHz (60);
}

WineRepaintPump::~WineRepaintPump()
{
    stopTimer();
}

void WineRepaintPump::timerCallback()
{
    // Painting may close a window, so the peers are counted afresh each time round.
    for (int i = 0; i < juce::ComponentPeer::getNumPeers(); ++i)
        if (auto* peer = juce::ComponentPeer::getPeer (i))
            peer->performAnyPendingRepaintsNow();
}
