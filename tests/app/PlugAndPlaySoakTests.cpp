// A thousand plug-and-play changes with the main view alive: the backend's poll, the settings
// panel's reopen and the main view's rebuild or notice each time, as the running program goes
// through them. Under the sanitizers this is also the leak and use-after-free check of that path.

#include "app/MainViewTestSupport.h"

#include "ui/OverlayDialogue.h"

namespace
{
constexpr int cycles = 1000;
constexpr std::array<std::uint32_t, 6> twoOfEach { 2, 2, 2, 2, 2, 2 };

class PlugAndPlaySoak : public MainViewTest
{
};
} // namespace

TEST_F (PlugAndPlaySoak, ThousandCyclesLeaveNoHandleOpenAndEndConnected)
{
    startSimulator();
    keepOnlyFirstInterface();
    setCounts (0, twoOfEach);   // a small mixer, so that the many rebuilds stay quick
    storeMode (true);           // the advanced view, with its meter timer
    openViewAndSettle();
    ASSERT_TRUE (backend().isConnected());

    // The poll as the backend's timer runs it, then the panel's change message at once.
    const auto poll = [this]
    {
        HardwareBackendTestAccess::pimpl (backend()).timerCallback();
        view->settingsComponent.dispatchPendingMessages();
    };

    const auto expectConnected = [this] (int cycle)
    {
        ASSERT_TRUE (backend().isConnected()) << "cycle " << cycle;
        ASSERT_EQ (view->overlay, nullptr) << "cycle " << cycle;
        ASSERT_EQ (view->outputContainer.items.size(), 3u) << "cycle " << cycle;
        ASSERT_EQ (sim->KSIM_GetOpenHandleCount(), 1u) << "cycle " << cycle;

        sim->KSIM_ClearJournal();
        view->timerCallback();
        ASSERT_EQ (sim->KSIM_GetJournalSize(), 1u) << "cycle " << cycle;   // one meter request
    };

    const auto expectUnplugged = [this] (int cycle)
    {
        ASSERT_FALSE (backend().isConnected()) << "cycle " << cycle;
        ASSERT_NE (dynamic_cast<OverlayDialogue*> (view->overlay.get()), nullptr) << "cycle " << cycle;
        ASSERT_EQ (sim->KSIM_GetOpenHandleCount(), 0u) << "cycle " << cycle;

        sim->KSIM_ClearJournal();
        view->timerCallback();
        ASSERT_EQ (sim->KSIM_GetJournalSize(), 0u) << "cycle " << cycle;
    };

    const auto attach = [this] (const char* model)
    {
        const auto device = sim->KSIM_AttachDevice (model);
        ASSERT_GE (device, 0);
        setCounts (static_cast<std::uint32_t> (device), twoOfEach);
    };

    for (int cycle = 0; cycle < cycles; ++cycle)
    {
        switch (cycle % 3)
        {
            case 0:   // out, noticed; in, noticed
                ASSERT_EQ (sim->KSIM_DetachDevice (0), 0u);
                poll();
                expectUnplugged (cycle);
                attach ("Trovik");
                poll();
                expectConnected (cycle);
                break;

            case 1:   // a second interface comes and goes while the first stays
                attach ("Pexa");
                poll();
                expectConnected (cycle);
                ASSERT_EQ (sim->KSIM_DetachDevice (1), 0u);
                poll();
                expectConnected (cycle);
                break;

            default:  // out and back in between two polls
                ASSERT_EQ (sim->KSIM_DetachDevice (0), 0u);
                attach ("Trovik");
                poll();
                expectConnected (cycle);
                break;
        }

        // Now and then the message loop runs, for whatever else start-up and the changes queued.
        if (cycle % 100 == 99)
            pump (5);
    }

    EXPECT_TRUE (backend().isConnected());
    EXPECT_EQ (view->overlay, nullptr);
    EXPECT_EQ (sim->KSIM_GetAttachedCount(), 1u);
    EXPECT_EQ (sim->KSIM_GetOpenHandleCount(), 1u);
    EXPECT_EQ (view->inputContainer.items.size(), 6u);
    EXPECT_EQ (view->matrixContainer.items.size(), 36u);

    // Closing the view lets go of the last handle once the backend goes at shut-down.
    closeView();
    HardwareBackend::deleteInstance();
    EXPECT_EQ (sim->KSIM_GetOpenHandleCount(), 0u);
}
