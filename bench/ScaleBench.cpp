// The advanced view at scale, run by tools/run-benchmarks.sh under Xvfb: the simulated interface is
// given N channels of each of the six kinds (N x 3 inputs by N x 3 outputs, so 9 N^2 matrix cells;
// the program takes at most 256 of each), then the program starts as it does for a user who chose
// the advanced view before: the main window, a real window on the display, and its main view are
// built, the start-up messages arrive (the settings panel's Mode box rebuilds the view once more)
// and the window paints its frames as the framework schedules them.
//
//   kelvaro_scale_bench [--channels N] [--rebuilds R]
//
// Without --channels the interface is a VANTIQ TROVIK as it is (34 by 34). Figures, one line
// "name: value unit" each:
//
//   scale_cells                 the matrix cells built
//   scale_first_meter_request   time from the start to the first request for the meter block
//   scale_rss                   resident memory at that moment
//   scale_rebuild_median        one rebuildView with the frame it causes (median of R)
//   scale_rebuild_per_cell      the same per matrix cell
//   scale_scroll_step_down_median       one step of the vertical scroll bar with the frame it
//                                       causes (median of 10)
//   scale_scroll_step_sideways_median   the same for the horizontal one

#include "app/MainComponent.h"
#include "backend/HardwareBackend.h"
#include "bench/BenchHome.h"
#include "bench/BenchSimulator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace
{
double nowMs()
{
    return juce::Time::getMillisecondCounterHiRes();
}

double residentMegabytes()
{
    std::ifstream status ("/proc/self/status");
    std::string line;

    while (std::getline (status, line))
        if (line.rfind ("VmRSS:", 0) == 0)
            return static_cast<double> (std::atol (line.c_str() + 6)) / 1024.0;

    return 0.0;
}

/** The framework treats the process as a program of its own only when it knows how to make its
    application object; without that, its X connection takes every X error as fatal. */
juce::JUCEApplicationBase* noApplication()
{
    return nullptr;
}

/** The application's main window: native title bar, minimise and close, resized by its frame. */
class MainWindow : public juce::DocumentWindow
{
public:
    MainWindow()
        : juce::DocumentWindow ("Kelvaro Audio Mixer", juce::Colours::black,
                                juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton)
    {
        setUsingNativeTitleBar (true);
    }

    ~MainWindow() override { clearContentComponent(); }
};

/** Runs the message loop until the window has painted what is pending. */
void settle (juce::Component& window)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (1);

    if (auto* peer = window.getPeer())
        peer->performAnyPendingRepaintsNow();
}

int run (std::uint32_t channelsPerKind, int rebuilds)
{
    const BenchSimulator simulator;

    if (! simulator.isValid() || (channelsPerKind > 0 && ! simulator.setChannelsPerKind (channelsPerKind)))
    {
        std::fprintf (stderr, "scale bench: the simulated library cannot be controlled\n");
        return 1;
    }

    const auto settings = Settings::getInstance();

    if (auto* userSettings = settings->appProperties.getUserSettings())
    {
        userSettings->setValue ("advanced", true);
        userSettings->saveIfNeeded();
    }

    simulator.clearJournal();
    const auto start = nowMs();

    // As the application builds its window: on the desktop but hidden, the content built and sized,
    // then centred and shown.
    MainWindow window;
    auto main = std::make_unique<MainComponent> (&window);
    window.setContentNonOwned (main.get(), true);
    window.setResizable (true, false);
    window.centreWithSize (window.getWidth(), window.getHeight());
    window.setVisible (true);

    const auto built = nowMs();
    bool metered = false;

    while (! metered && nowMs() - start < 600000.0)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
        metered = simulator.takeMeterRead();
    }

    const auto firstMeter = nowMs() - start;
    const auto rss = residentMegabytes();
    const auto cells = main->matrixContainer.items.size();

    std::printf ("scale_view: %d x %d px, %d inputs, %d output strips\n", main->getWidth(), main->getHeight(),
                 static_cast<int> (main->inputContainer.items.size()), static_cast<int> (main->outputContainer.items.size()));
    std::printf ("scale_cells: %d cells\n", static_cast<int> (cells));
    std::printf ("scale_construction: %.1f ms\n", built - start);
    std::printf ("scale_first_meter_request: %.1f ms%s\n", firstMeter, metered ? "" : " (none within 600 s)");
    std::printf ("scale_rss: %.1f MB\n", rss);

    std::vector<double> times;

    for (int i = 0; i < rebuilds; ++i)
    {
        const auto before = nowMs();
        main->rebuildView();
        settle (window);
        times.push_back (nowMs() - before);
        main->stopTimer();
    }

    if (! times.empty())
    {
        std::sort (times.begin(), times.end());
        const auto median = times[times.size() / 2];
        std::printf ("scale_rebuild_median: %.1f ms\n", median);
        std::printf ("scale_rebuild_per_cell: %.2f us\n", cells > 0 ? 1000.0 * median / static_cast<double> (cells) : 0.0);
    }

    // Scrolling: one step down (the matrix and the input rows), then one sideways (the matrix and
    // the output strips), each with its frame.
    std::vector<double> scrollTimes[2];

    for (int i = 0; i < 20; ++i)
    {
        const auto sideways = i % 2;
        auto& bar = sideways != 0 ? main->horizontalScrollBar : main->verticalScrollBar;
        const auto before = nowMs();
        bar.setCurrentRangeStart (bar.getCurrentRangeStart() + bar.getSingleStepSize(), juce::sendNotificationSync);
        settle (window);
        scrollTimes[sideways].push_back (nowMs() - before);
    }

    for (auto& t : scrollTimes)
        std::sort (t.begin(), t.end());

    std::printf ("scale_scroll_step_down_median: %.2f ms\n", scrollTimes[0][scrollTimes[0].size() / 2]);
    std::printf ("scale_scroll_step_sideways_median: %.2f ms\n", scrollTimes[1][scrollTimes[1].size() / 2]);

    window.clearContentComponent();
    main.reset();
    return metered ? 0 : 2;
}
} // namespace

int main (int argc, char** argv)
{
    std::uint32_t channels = 0;
    int rebuilds = 3;

    for (int i = 1; i + 1 < argc; ++i)
    {
        const std::string argument (argv[i]);

        if (argument == "--channels")
            channels = static_cast<std::uint32_t> (std::max (0, std::atoi (argv[i + 1])));
        else if (argument == "--rebuilds")
            rebuilds = std::max (0, std::atoi (argv[i + 1]));
    }

    const BenchHome home ("Trovik");
    juce::JUCEApplicationBase::createInstance = &noApplication;
    const juce::ScopedJuceInitialiser_GUI gui;
    return run (channels, rebuilds);
}
