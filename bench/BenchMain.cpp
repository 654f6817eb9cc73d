// The mixer's benchmarks, run by tools/run-benchmarks.sh: the meter tick of the advanced view and
// the building of that view, for the largest interface (a VANTIQ TROVIK, 34 inputs by 34 outputs)
// on the simulated interface library, in a 1600 x 1000 main view.
//
// A meter tick is what the program does 30 times a second: the main view's timer callback, then
// painting what it marked dirty into an image with the software renderer, as the window's peer
// would for the next frame, and whatever that painting asked to paint again on the frames before
// the next tick. Every figure goes out as one line "name: value unit".
//
//   --ticks N    meter ticks to time (default 400)
//   --scale S    the display's pixel scale, e.g. 1.25 (default 1): the frame has the view's size
//                times S, painted with S as its transform, as on a scaled display
//   --frame F    writes the frame as the last tick left it to the PNG file F, to compare builds

#include "app/MainComponent.h"
#include "backend/HardwareBackend.h"
#include "bench/BenchHome.h"
#include "bench/BenchSimulator.h"
#include "bench/BenchWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr int viewWidth = 1600;
constexpr int viewHeight = 1000;
constexpr double frameBudgetMs = 33.0;

double percentile (std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;

    std::sort (values.begin(), values.end());
    const auto index = static_cast<std::size_t> (fraction * static_cast<double> (values.size() - 1) + 0.5);
    return values[std::min (index, values.size() - 1)];
}

double nowMs()
{
    return juce::Time::getMillisecondCounterHiRes();
}

void print (const char* name, double value, const char* unit)
{
    std::printf ("%s: %.3f %s\n", name, value, unit);
}

/** Paints what the tick marked dirty, then, as the window would on the display's next frames until
    the next tick, whatever that painting marked dirty again: a 60 Hz display shows two frames per
    33 ms tick. Returns the pixels painted over all of them; `passes` counts the frames that had
    something to paint. */
juce::int64 paintUntilNextTick (BenchPeer& peer, juce::Image& image, float scale, int& passes)
{
    constexpr int framesPerTick = 2;
    juce::int64 pixels = 0;
    passes = 0;

    for (int frame = 0; frame < framesPerTick; ++frame)
    {
        const auto painted = peer.paintDirtyAreas (image, scale);

        if (painted == 0)
            break;

        pixels += painted;
        ++passes;
    }

    return pixels;
}

int run (int ticks, float scale, const juce::String& framePath)
{
    // The advanced view, chosen as the user would have chosen it before.
    const auto settings = Settings::getInstance();

    if (auto* userSettings = settings->appProperties.getUserSettings())
    {
        userSettings->setValue ("advanced", true);
        userSettings->saveIfNeeded();
    }

    BenchWindow window;
    MainComponent main (&window);
    window.setContentNonOwned (&main, true);
    main.setSize (viewWidth, viewHeight);
    window.show();

    // The start-up messages (the settings panel's mode notification among them) arrive, then the
    // timer is driven by hand only.
    juce::MessageManager::getInstance()->runDispatchLoopUntil (500);
    main.setSize (viewWidth, viewHeight);
    main.stopTimer();

    auto* backend = HardwareBackend::getInstance();
    auto* peer = window.getBenchPeer();

    if (backend == nullptr || ! backend->isConnected() || peer == nullptr)
    {
        std::fprintf (stderr, "bench: the simulated TROVIK is not connected\n");
        return 1;
    }

    const BenchSimulator journal;

    if (! journal.isValid())
    {
        std::fprintf (stderr, "bench: the simulated library's journal cannot be reached\n");
        return 1;
    }

    const auto cells = main.matrixContainer.items.size();
    std::printf ("view: %d x %d, %d inputs, %d output strips, %d matrix cells\n", main.getWidth(), main.getHeight(),
                 static_cast<int> (main.inputContainer.items.size()), static_cast<int> (main.outputContainer.items.size()),
                 static_cast<int> (cells));

    // The window's frame buffer as the Linux peer keeps it (ARGB, through shared memory), in
    // device pixels.
    const auto frameSize = window.getLocalBounds() * scale;
    std::printf ("scale: %.3f, frame %d x %d\n", static_cast<double> (scale), frameSize.getWidth(), frameSize.getHeight());
    juce::Image image (juce::Image::ARGB, frameSize.getWidth(), frameSize.getHeight(), true, juce::SoftwareImageType());

    // The first frame: everything.
    peer->invalidateAll();
    auto start = nowMs();
    peer->paintDirtyAreas (image, scale);
    print ("full_paint", nowMs() - start, "ms");

    std::vector<double> tickTimes, callbackTimes, paintTimes, pixels, passCounts;
    std::uint32_t fewestRequests = ~0u, mostRequests = 0;

    for (int i = -30; i < ticks; ++i)
    {
        journal.clearJournal();

        start = nowMs();
        main.timerCallback();
        const auto afterCallback = nowMs();
        int passes = 0;
        const auto painted = paintUntilNextTick (*peer, image, scale, passes);
        const auto end = nowMs();

        if (i < 0)
            continue;   // warming up

        const auto requests = journal.journalSize();
        fewestRequests = std::min (fewestRequests, requests);
        mostRequests = std::max (mostRequests, requests);

        tickTimes.push_back (end - start);
        callbackTimes.push_back (afterCallback - start);
        paintTimes.push_back (end - afterCallback);
        pixels.push_back (static_cast<double> (painted));
        passCounts.push_back (passes);
    }

    if (framePath.isNotEmpty())
    {
        const juce::File file (juce::File::getCurrentWorkingDirectory().getChildFile (framePath));
        file.deleteFile();
        juce::FileOutputStream stream (file);
        juce::PNGImageFormat png;

        if (! stream.openedOk() || ! png.writeImageToStream (image, stream))
            std::fprintf (stderr, "bench: the frame cannot be written to %s\n", framePath.toRawUTF8());
    }

    const auto median = percentile (tickTimes, 0.5);
    print ("meter_tick_median", median, "ms");
    print ("meter_tick_p95", percentile (tickTimes, 0.95), "ms");
    print ("meter_tick_budget_share", 100.0 * median / frameBudgetMs, "%");
    print ("meter_tick_timer_callback_median", percentile (callbackTimes, 0.5), "ms");
    print ("meter_tick_paint_median", percentile (paintTimes, 0.5), "ms");
    print ("meter_tick_painted_area_median", percentile (pixels, 0.5), "px");
    print ("meter_tick_frames_painted_median", percentile (passCounts, 0.5), "frames");
    std::printf ("meter_tick_dsp_requests: %u per tick (min %u, max %u over %d ticks)\n",
                 mostRequests, fewestRequests, mostRequests, ticks);

    std::vector<double> rebuildTimes;

    for (int i = 0; i < 15; ++i)
    {
        start = nowMs();
        main.rebuildView();
        rebuildTimes.push_back (nowMs() - start);
        main.stopTimer();
    }

    std::printf ("rebuilt: %d matrix cells\n", static_cast<int> (main.matrixContainer.items.size()));
    print ("rebuild_view_median", percentile (rebuildTimes, 0.5), "ms");
    print ("rebuild_view_max", percentile (rebuildTimes, 1.0), "ms");

    std::printf ("bench_summary: meter tick %.3f ms median (%.1f %% of 33 ms, target <= 3 %%), %u DSP request(s) per tick "
                 "(must be 1), rebuildView %.1f ms (target <= 50 ms)\n",
                 median, 100.0 * median / frameBudgetMs, mostRequests, percentile (rebuildTimes, 0.5));

    return fewestRequests == 1 && mostRequests == 1 ? 0 : 2;
}
} // namespace

int main (int argc, char** argv)
{
    int ticks = 400;
    float scale = 1.0f;
    juce::String framePath;

    for (int i = 1; i + 1 < argc; ++i)
    {
        if (std::string (argv[i]) == "--ticks")
            ticks = std::max (1, std::atoi (argv[i + 1]));
        else if (std::string (argv[i]) == "--scale")
            scale = std::max (0.5f, static_cast<float> (std::atof (argv[i + 1])));
        else if (std::string (argv[i]) == "--frame")
            framePath = argv[i + 1];
    }

    const BenchHome home ("Trovik");
    const juce::ScopedJuceInitialiser_GUI gui;
    return run (ticks, scale, framePath);
}
