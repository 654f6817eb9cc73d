// The mixer's benchmarks, run by tools/run-benchmarks.sh: the meter tick of the advanced view and
// the building of that view, for the largest interface (a VANTIQ TROVIK, 34 inputs by 34 outputs)
// on the simulated interface library, in a 1600 x 1000 main view.
//
// A meter tick is what the program does 30 times a second: the main view's timer callback, then
// painting what it marked dirty into an image with the software renderer, as the window's peer
// would for the next frame. Every figure goes out as one line "name: value unit".

#include "app/MainComponent.h"
#include "backend/HardwareBackend.h"
#include "bench/BenchWindow.h"
#include "driver/TUsbAudioApiDll.h"
#include "platform/WinModules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
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

/** A home of its own with the registry pointing at the simulated library (one TROVIK attached). */
void prepareEnvironment()
{
    char pattern[] = "/tmp/kelvaro-bench-home-XXXXXX";

    if (const char* home = ::mkdtemp (pattern))
        ::setenv ("HOME", home, 1);

    const auto prefix = "kelvaro-bench-" + std::to_string (::getpid()) + "-";
    ::setenv ("KELVARO_EVENT_PREFIX", prefix.c_str(), 1);
    ::setenv ("KELVARO_SIM_DEVICES", "Trovik", 1);

    const auto folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".config/Kelvaro");
    folder.createDirectory();

    const auto library = juce::String (KELVARO_SIMULATOR_PATH).replace ("\\", "\\\\").replace ("\"", "\\\"");
    folder.getChildFile ("registry.reg")
        .replaceWithText ("Windows Registry Editor Version 5.00\r\n\r\n"
                          "[HKEY_CLASSES_ROOT\\CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}\\InprocServer32]\r\n"
                          "@=\"" + library + "\"\r\n", false, false, nullptr);
}

/** The simulator's journal, which counts the DSP requests the program sends. */
struct Journal
{
    explicit Journal (win::HMODULE module)
        : clear (reinterpret_cast<void (*)()> (win::GetProcAddress (module, "KSIM_ClearJournal"))),
          size (reinterpret_cast<std::uint32_t (*)()> (win::GetProcAddress (module, "KSIM_GetJournalSize")))
    {
    }

    bool isValid() const { return clear != nullptr && size != nullptr; }

    void (*clear)();
    std::uint32_t (*size)();
};

int run (int ticks)
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

    const Journal journal (backend->getApi().module);

    if (! journal.isValid())
    {
        std::fprintf (stderr, "bench: the simulated library's journal cannot be reached\n");
        return 1;
    }

    const auto cells = main.matrixContainer.items.size();
    std::printf ("view: %d x %d, %d inputs, %d output strips, %d matrix cells\n", main.getWidth(), main.getHeight(),
                 static_cast<int> (main.inputContainer.items.size()), static_cast<int> (main.outputContainer.items.size()),
                 static_cast<int> (cells));

    // The window's frame buffer as the Linux peer keeps it (ARGB, through shared memory).
    juce::Image image (juce::Image::ARGB, window.getWidth(), window.getHeight(), true, juce::SoftwareImageType());

    // The first frame: everything.
    peer->invalidateAll();
    auto start = nowMs();
    peer->paintDirtyAreas (image);
    print ("full_paint", nowMs() - start, "ms");

    std::vector<double> tickTimes, callbackTimes, paintTimes, pixels;
    std::uint32_t fewestRequests = ~0u, mostRequests = 0;

    for (int i = -30; i < ticks; ++i)
    {
        journal.clear();

        start = nowMs();
        main.timerCallback();
        const auto afterCallback = nowMs();
        const auto painted = peer->paintDirtyAreas (image);
        const auto end = nowMs();

        if (i < 0)
            continue;   // warming up

        const auto requests = journal.size();
        fewestRequests = std::min (fewestRequests, requests);
        mostRequests = std::max (mostRequests, requests);

        tickTimes.push_back (end - start);
        callbackTimes.push_back (afterCallback - start);
        paintTimes.push_back (end - afterCallback);
        pixels.push_back (static_cast<double> (painted));
    }

    const auto median = percentile (tickTimes, 0.5);
    print ("meter_tick_median", median, "ms");
    print ("meter_tick_p95", percentile (tickTimes, 0.95), "ms");
    print ("meter_tick_budget_share", 100.0 * median / frameBudgetMs, "%");
    print ("meter_tick_timer_callback_median", percentile (callbackTimes, 0.5), "ms");
    print ("meter_tick_paint_median", percentile (paintTimes, 0.5), "ms");
    print ("meter_tick_painted_area_median", percentile (pixels, 0.5), "px");
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

    for (int i = 1; i + 1 < argc; ++i)
        if (std::string (argv[i]) == "--ticks")
            ticks = std::max (1, std::atoi (argv[i + 1]));

    prepareEnvironment();

    int result = 0;

    {
        const juce::ScopedJuceInitialiser_GUI gui;
        result = run (ticks);
    }

    juce::File (juce::SystemStats::getEnvironmentVariable ("HOME", {})).deleteRecursively();
    return result;
}
