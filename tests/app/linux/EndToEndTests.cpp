#include "support/linux/ExternalProgram.h"
#include "support/linux/XvfbServer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iostream>
#include <map>
#include <memory>

// The real executable as a user meets it: started on a private X server against the simulated
// interfaces, driven with xdotool, looked at with ImageMagick's import, and checked through the
// simulator's journal of DSP requests and the user settings file it leaves behind.

namespace
{
const juce::String windowTitle ("Kelvaro Audio Mixer");

// The screen is the size at which the advanced view is looked at: every position below is a
// window position at that size, with the window in the screen's top-left corner.
constexpr int screenWidth = 1600;
constexpr int screenHeight = 1000;

// The whole test, waits included, stays below a minute.
constexpr juce::uint32 budgetMs = 55000;

// Request prefixes in the journal: property set 77, then property 200 (crosspoint gain) for
// input ApplicationPlayback 3 (kind 0, index 2) to output DeviceOutput 1 (kind 1, index 0),
// property 301 (the meter block), or property 201 (output gain) for DeviceOutput 1.
const juce::String crosspointRequest ("SetDspProperty 4D000000C8000000");
const juce::String draggedCrosspoint ("SetDspProperty 4D000000C800000000020100");
const juce::String meterRequest ("GetDspProperty 4D0000002D010000");
const juce::String outputGainRequest ("SetDspProperty 4D000000C9000000");
const juce::String firstOutputGain ("SetDspProperty 4D000000C90000000100");

/** The signed little-endian 32-bit value written as 8 hex digits at the given place. */
std::int32_t littleEndianAt (const juce::String& hex, int position)
{
    std::uint32_t value = 0;

    for (int byte = 3; byte >= 0; --byte)
        value = (value << 8) | static_cast<std::uint32_t> (hex.substring (position + 2 * byte, position + 2 * byte + 2).getHexValue32());

    return static_cast<std::int32_t> (value);
}

/** The gain at the end of a journal line's request (the 8 hex digits before " status="). */
std::int32_t gainOf (const juce::String& line)
{
    const auto request = line.upToFirstOccurrenceOf (" status=", false, false);
    return littleEndianAt (request, request.length() - 8);
}

/** True when the picture shows more than a blank fill: the window has been painted. */
bool isPainted (const juce::Image& image)
{
    juce::Array<juce::uint32> colours;

    for (int y = 0; y < image.getHeight(); y += 25)
        for (int x = 0; x < image.getWidth(); x += 25)
            colours.addIfNotAlreadyThere (image.getPixelAt (x, y).getARGB());

    return colours.size() > 20;
}

/** True when the band above the About picture is all dark: the dialogue's veil (black at 90 %
    opacity) covers the view, which leaves at most 25 of 255 in each colour. In the simple view
    the picture spans the window's width and starts about 106 pixels down. */
bool isVeiled (const juce::Image& image)
{
    for (int y = 0; y < juce::jmin (90, image.getHeight()); y += 5)
    {
        for (int x = 0; x < image.getWidth(); x += 5)
        {
            const auto colour = image.getPixelAt (x, y);

            if (colour.getRed() > 26 || colour.getGreen() > 26 || colour.getBlue() > 26)
                return false;
        }
    }

    return image.getHeight() > 0;
}
/** A top-level window as xev saw it mapped: its id and where it was at that moment. */
struct MappedWindow
{
    juce::int64 id = 0;
    juce::Rectangle<int> bounds;
};

/** The windows that were mapped on the root window, in order, read from the output of
    "xev -root -event substructure": each event is a line naming it, then a line with the window
    and, for CreateNotify and ConfigureNotify, "(x,y), width W, height H". */
std::vector<MappedWindow> mappedWindows (const juce::String& xevOutput)
{
    std::map<juce::int64, juce::Rectangle<int>> placeOf;
    std::vector<MappedWindow> mapped;
    juce::String event;

    for (const auto& line : juce::StringArray::fromLines (xevOutput))
    {
        if (! line.startsWithChar (' '))
        {
            event = line.upToFirstOccurrenceOf (" event,", false, false);
            continue;
        }

        if (! line.contains (" window 0x") || event.isEmpty())
            continue;

        const auto id = line.fromFirstOccurrenceOf (" window 0x", false, false)
                            .upToFirstOccurrenceOf (",", false, false).getHexValue64();

        if (event == "CreateNotify" || event == "ConfigureNotify")
        {
            const auto position = line.fromFirstOccurrenceOf ("(", false, false).upToFirstOccurrenceOf (")", false, false);
            placeOf[id] = { position.upToFirstOccurrenceOf (",", false, false).getIntValue(),
                            position.fromFirstOccurrenceOf (",", false, false).getIntValue(),
                            line.fromFirstOccurrenceOf ("width ", false, false).getIntValue(),
                            line.fromFirstOccurrenceOf ("height ", false, false).getIntValue() };
        }
        else if (event == "MapNotify")
        {
            mapped.push_back ({ id, placeOf[id] });
        }

        event = {};
    }

    return mapped;
}
} // namespace

class EndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const auto* tool : { "Xvfb", "xdotool", "import", "xev" })
            if (! ExternalProgram::isInstalled (tool))
                GTEST_SKIP() << tool << " is not installed; tools/install-deps.sh installs Xvfb, xdotool, ImageMagick and xev";

        started = juce::Time::getMillisecondCounter();

        folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                     .getNonexistentChildFile ("end-to-end", {}, false);
        ASSERT_TRUE (folder.getChildFile ("home").createDirectory());

        server = std::make_unique<XvfbServer> (screenWidth, screenHeight);
        ASSERT_TRUE (server->isRunning()) << "Xvfb is installed but did not start";

        // Both simulated interfaces, the Pexa first, so that the mixer opens it: all of its
        // advanced view but the last strip and column fits the screen, and a debug build paints
        // it in less than half the time that the TROVIK's 34 x 34 matrix takes.
        environment = { { "HOME", folder.getChildFile ("home").getFullPathName() },
                        { "DISPLAY", server->getDisplayName() },
                        { "KELVARO_SIM_JOURNAL", journalFile().getFullPathName() },
                        { "KELVARO_SIM_DEVICES", "Pexa,Trovik" } };
    }

    void TearDown() override
    {
        if (HasFailure() && folder.isDirectory())
        {
            // Without a window manager the framework reports X errors that do not matter here.
            juce::StringArray log;

            for (const auto& line : juce::StringArray::fromLines (logFile().loadFileAsString()))
                if (line.isNotEmpty() && ! line.contains ("X returned BadAtom"))
                    log.add (line);

            log.removeRange (0, log.size() - 30);

            auto sets = requests ("SetDspProperty");
            sets.removeRange (0, sets.size() - 20);

            std::cout << "The mixer's output (last lines):\n" << log.joinIntoString ("\n")
                      << "\nThe last requests that set a property:\n" << sets.joinIntoString ("\n") << std::endl;
        }

        secondMixer.reset();
        mixer.reset();
        windowWatcher.reset();
        server.reset();
    }

    juce::File journalFile() const { return folder.getChildFile ("journal.txt"); }
    juce::File logFile() const { return folder.getChildFile ("mixer.log"); }
    juce::File windowEventsFile() const { return folder.getChildFile ("x-events.txt"); }

    /** Starts xev on the root window, to see every top-level window that is created, placed and
        mapped, and waits until it listens: until it has reported a property of the root window
        that the test sets for it. */
    bool startWatchingWindows()
    {
        windowEventsFile().deleteFile();
        windowWatcher = std::make_unique<ExternalProgram> (juce::StringArray { "xev", "-root", "-event", "substructure", "-event", "property" },
                                                           environment, windowEventsFile());

        return windowWatcher->wasStarted()
            && waitUntil ([this] { server->setRootCardinals ("KELVARO_END_TO_END_MARK", { 1 });
                                   return windowEventsFile().loadFileAsString().contains ("KELVARO_END_TO_END_MARK"); }, 10000);
    }

    int remainingMs() const
    {
        const auto spent = juce::Time::getMillisecondCounter() - started;
        return spent >= budgetMs ? 0 : static_cast<int> (budgetMs - spent);
    }

    /** Polls until the condition holds, for at most timeoutMs and never beyond the test's budget.

        The framework reads X events when its connection to the server becomes readable. A debug
        build that paints without pause (the meters) makes Xlib read the events into its queue
        while it paints, and the framework then sees nothing to read: the events wait until the
        next ones arrive. A user's mouse keeps sending events; the test sends the window empty
        client messages while it waits. */
    bool waitUntil (const std::function<bool()>& condition, int timeoutMs)
    {
        const auto deadline = juce::Time::getMillisecondCounter()
                            + static_cast<juce::uint32> (juce::jmin (timeoutMs, remainingMs()));

        for (;;)
        {
            if (condition())
                return true;

            if (juce::Time::getMillisecondCounter() >= deadline)
                return false;

            for (int i = 0; i < 10; ++i)
            {
                if (window.isNotEmpty())
                    server->sendWakeUp (static_cast<unsigned long> (window.getLargeIntValue()));

                juce::Thread::sleep (10);
            }
        }
    }

    /** Lets the mixer go on for a while, still woken up as while waiting. */
    void pause (int ms)
    {
        waitUntil ([] { return false; }, ms);
    }

    ExternalProgram::Result tool (const juce::StringArray& arguments)
    {
        return ExternalProgram::run (arguments, environment, juce::jmin (10000, remainingMs()));
    }

    /** xdotool with the given commands; false (and a failure) when it does not succeed. */
    bool xdotool (juce::StringArray commands)
    {
        commands.insert (0, "xdotool");
        const auto result = tool (commands);
        EXPECT_EQ (result.exitCode, 0) << commands.joinIntoString (" ") << ": " << result.errors;
        return result.exitCode == 0;
    }

    std::unique_ptr<ExternalProgram> startMixer()
    {
        return std::make_unique<ExternalProgram> (juce::StringArray { KELVARO_APP_PATH }, environment, logFile());
    }

    /** The ids of the shown windows with the mixer's title. */
    juce::StringArray findWindows()
    {
        // xdotool walks the window tree and gives up on an X error when a window goes while it
        // looks (the framework creates and drops windows of its own): it then reports on its
        // error output, and the search is made again.
        for (int attempt = 0;; ++attempt)
        {
            const auto result = tool ({ "xdotool", "search", "--onlyvisible", "--name", "^" + windowTitle + "$" });

            if (result.errors.trim().isEmpty() || attempt == 4)
            {
                auto ids = juce::StringArray::fromLines (result.output);
                ids.removeEmptyStrings();
                return ids;
            }

            juce::Thread::sleep (100);
        }
    }

    /** The mixer's window, once it is shown: the first window shown is the one that stays, at
        its size and place (no bare window flashes up in the screen's corner while the view is
        built, as the framework's own windows did before the view was put on the desktop). */
    juce::String findShownWindow()
    {
        const auto found = findWindows();
        return found.size() == 1 && ! geometryOf (found[0]).isEmpty() ? found[0] : juce::String();
    }

    /** Where the window is on the screen; empty when it cannot be found out. */
    juce::Rectangle<int> geometryOf (const juce::String& id)
    {
        for (int attempt = 0; attempt < 5; ++attempt)
        {
            const auto result = tool ({ "xdotool", "getwindowgeometry", "--shell", id });
            juce::StringPairArray values;

            for (const auto& line : juce::StringArray::fromLines (result.output))
                values.set (line.upToFirstOccurrenceOf ("=", false, false), line.fromFirstOccurrenceOf ("=", false, false));

            if (result.exitCode == 0 && values.containsKey ("WIDTH"))
                return { values["X"].getIntValue(), values["Y"].getIntValue(), values["WIDTH"].getIntValue(), values["HEIGHT"].getIntValue() };

            juce::Thread::sleep (100);
        }

        return {};
    }

    /** A picture of the window alone, saved in the test's folder under the given name. */
    juce::Image screenshot (const juce::String& id, const juce::String& name)
    {
        const auto file = folder.getChildFile (name);
        file.deleteFile();

        if (tool ({ "import", "-window", id, file.getFullPathName() }).exitCode != 0)
            return {};

        return juce::ImageFileFormat::loadFrom (file);
    }

    /** Keeps a picture where KELVARO_SCREENSHOT_DIR says (how the README's pictures are taken). */
    void keepScreenshot (const juce::String& name) const
    {
        const auto target = juce::SystemStats::getEnvironmentVariable ("KELVARO_SCREENSHOT_DIR", {});

        if (target.isNotEmpty())
            folder.getChildFile (name).copyFileTo (juce::File (target).getChildFile (name));
    }

    /** The journal's lines that begin with the prefix. */
    juce::StringArray requests (const juce::String& prefix) const
    {
        auto lines = juce::StringArray::fromLines (journalFile().loadFileAsString());
        juce::StringArray result;

        for (const auto& line : lines)
            if (line.startsWith (prefix))
                result.add (line);

        return result;
    }

    /** A value of the user settings file ("~/.config/Kelvaro/Kelvaro-Mixer." and whatever suffix
        the framework gives it); empty when the file or the value is missing. */
    juce::String userSetting (const juce::String& name) const
    {
        const auto files = folder.getChildFile ("home/.config/Kelvaro")
                               .findChildFiles (juce::File::findFiles, false, "Kelvaro-Mixer*");

        if (files.size() != 1)
            return {};

        if (const auto xml = juce::XmlDocument::parse (files.getFirst()))
            for (const auto* value : xml->getChildWithTagNameIterator ("VALUE"))
                if (value->getStringAttribute ("name") == name)
                    return value->getStringAttribute ("val");

        return {};
    }

    juce::uint32 started = 0;
    juce::File folder;
    juce::String window;    // the mixer's window, once it is there
    std::unique_ptr<XvfbServer> server;
    ExternalProgram::Environment environment;
    std::unique_ptr<ExternalProgram> windowWatcher;
    std::unique_ptr<ExternalProgram> mixer;
    std::unique_ptr<ExternalProgram> secondMixer;
};

TEST_F (EndToEnd, StartSwitchToAdvancedMixCloseAndFindTheSettings)
{
    // Only one mixer may run on a machine: its lock is machine-wide, whatever HOME says. End-to-end
    // runs from other build folders wait for each other; a mixer that some other program runs for
    // a moment is waited for, and should one slip in between, the start is tried again.
    juce::InterProcessLock oneRunAtATime ("kelvaro-end-to-end-test");
    ASSERT_TRUE (oneRunAtATime.enter (20000)) << "another end-to-end run kept the machine for 20 s";

    const auto registration = tool ({ "bash", juce::String (KELVARO_SOURCE_DIR) + "/tools/register-driver.sh",
                                      KELVARO_SIMULATOR_PATH });
    ASSERT_EQ (registration.exitCode, 0) << registration.errors;

    // Start: the simple view, centred on the screen.
    for (;;)
    {
        juce::InterProcessLock mixerLock ("juceAppLock_" + windowTitle);
        ASSERT_TRUE (waitUntil ([&mixerLock] { return mixerLock.enter (0); }, 20000))
            << "another Kelvaro Audio Mixer runs on this machine; the test can only start one when none does";
        mixerLock.exit();

        ASSERT_TRUE (startWatchingWindows()) << "xev did not report on the root window";
        mixer = startMixer();
        ASSERT_TRUE (mixer->wasStarted());
        ASSERT_TRUE (waitUntil ([this] { return (window = findShownWindow()).isNotEmpty() || ! mixer->isRunning(); }, 20000))
            << "no window \"" << windowTitle << "\" appeared";

        if (mixer->isRunning())
            break;

        ASSERT_EQ (mixer->waitForExit (0), 0) << "the mixer ended at start";
        ASSERT_GT (remainingMs(), 0) << "other mixers kept the machine";
    }

    // The view asks for 800 x 550 after limiting the window to 790 pixels in width; the window
    // ends at either width, depending on the order in which the framework hears back from the server.
    const auto simpleBounds = geometryOf (window);
    EXPECT_EQ (simpleBounds.getHeight(), 550);
    EXPECT_TRUE (simpleBounds.getWidth() == 800 || simpleBounds.getWidth() == 790) << simpleBounds.toString();
    EXPECT_EQ (simpleBounds.getCentre(), juce::Point<int> (screenWidth / 2, screenHeight / 2));

    // The mixer's window is the only one that was ever shown, and it was shown at its size and
    // place: no bare window in the screen's corner while the view was being built.
    windowWatcher.reset();
    const auto mapped = mappedWindows (windowEventsFile().loadFileAsString());
    ASSERT_EQ (mapped.size(), 1u) << windowEventsFile().loadFileAsString();
    EXPECT_EQ (mapped[0].id, window.getLargeIntValue());
    EXPECT_EQ (mapped[0].bounds, juce::Rectangle<int> (400, 225, 800, 550));

    juce::Image simple;
    ASSERT_TRUE (waitUntil ([&] { simple = screenshot (window, "mixer-simple.png"); return simple.isValid() && isPainted (simple); }, 25000))
        << "the simple view was not painted";
    EXPECT_EQ (simple.getBounds(), simpleBounds.withZeroOrigin());
    keepScreenshot ("mixer-simple.png");

    EXPECT_FALSE (isVeiled (simple));

    // Nothing has the keyboard focus at start. A click on the settings panel's background, between
    // the reset button and the model's logo, gives it to the main view. "?" (xdotool holds Shift
    // and presses the slash key for it, as a user does) shows About over the whole view; a click
    // closes it.
    ASSERT_TRUE (xdotool ({ "mousemove", "--window", window, "100", "350", "click", "1" }));
    ASSERT_TRUE (xdotool ({ "key", "question" }));
    EXPECT_TRUE (waitUntil ([&] { const auto about = screenshot (window, "mixer-about.png");
                                  return about.isValid() && isVeiled (about); }, 25000))
        << "\"?\" did not show About";
    ASSERT_TRUE (xdotool ({ "click", "1" }));
    EXPECT_TRUE (waitUntil ([&] { const auto closed = screenshot (window, "mixer-about-closed.png");
                                  return closed.isValid() && ! isVeiled (closed); }, 25000))
        << "a click did not close About";

    // The next click gives the focus back to the main view; then Ctrl+A switches to the
    // advanced view, which takes (strips + 5) x 100 by 550 + 30 x inputs (8 strips and 16 inputs:
    // 1300 x 1030), but never more than the screen's 1000 pixels in height.
    // The switch resizes the window more than once; the first meter request comes from the
    // advanced view's timer, after the switch has made its last size request.
    const auto metersBefore = requests (meterRequest).size();
    ASSERT_TRUE (xdotool ({ "mousemove", "--window", window, "100", "350", "click", "1" }));
    ASSERT_TRUE (xdotool ({ "key", "ctrl+a" }));
    ASSERT_TRUE (waitUntil ([&] { return requests (meterRequest).size() > metersBefore; }, 25000))
        << "Ctrl+A did not switch to the advanced view";
    EXPECT_TRUE (waitUntil ([&] { return geometryOf (window).getWidth() == 1300 && geometryOf (window).getHeight() == screenHeight; }, 10000))
        << "the advanced view has not the size it asks for";
    EXPECT_EQ (userSetting ("advanced"), "1") << "the mode is stored at once";

    // The window is brought to the screen's size.
    ASSERT_TRUE (xdotool ({ "windowmove", window, "0", "0", "windowsize", window, juce::String (screenWidth), juce::String (screenHeight) }));
    ASSERT_TRUE (waitUntil ([&] { return geometryOf (window) == juce::Rectangle<int> (0, 0, screenWidth, screenHeight); }, 5000));

    // At 1600 x 1000 the 16 input rows take the upper 480 pixels, 30 each, and the matrix cells
    // are 103 x 30 from x = 200. The cell of input row 3 (OTG Playback L) and the first output
    // (Monitor Out L) is off. Dragging it up by 60 pixels, 3 at a time, raises it by 20 %:
    // -64 dB, the gain 0x0000295A in 8.24.
    const auto crosspointsBefore = requests (crosspointRequest).size();
    juce::StringArray drag { "mousemove", "--window", window, "250", "85", "mousedown", "1" };

    for (int y = 82; y >= 25; y -= 3)
        drag.addArray (juce::StringArray { "mousemove", "--window", window, "250", juce::String (y), "sleep", "0.02" });

    drag.addArray (juce::StringArray { "mouseup", "1" });
    ASSERT_TRUE (xdotool (drag));

    const auto lastCrosspoint = draggedCrosspoint + "5A290000 status=00000000";
    EXPECT_TRUE (waitUntil ([&] { return requests (crosspointRequest).contains (lastCrosspoint); }, 25000))
        << "no request set the dragged crosspoint to 20 %";

    auto crosspoints = requests (crosspointRequest);
    crosspoints.removeRange (0, crosspointsBefore);
    ASSERT_FALSE (crosspoints.isEmpty());

    for (int i = 0; i < crosspoints.size(); ++i)
    {
        EXPECT_TRUE (crosspoints[i].startsWith (draggedCrosspoint)) << crosspoints[i];
        EXPECT_TRUE (crosspoints[i].endsWith (" status=00000000")) << crosspoints[i];

        if (i > 0)
        {
            EXPECT_GE (gainOf (crosspoints[i]), gainOf (crosspoints[i - 1])) << "an upward drag lowered the gain";
        }
    }

    EXPECT_EQ (crosspoints[crosspoints.size() - 1], lastCrosspoint);

    // The first strip (Monitor Out L and R, 206 pixels wide) starts at x = 200 below the resizer
    // bar; its left fader runs down the line x = 251. Dragging it below its end takes it down to
    // -80 dB: the gain 0.
    const auto outputGainsBefore = requests (outputGainRequest).size();
    juce::StringArray faderDrag { "mousemove", "--window", window, "250", "600", "mousedown", "1" };

    for (int y = 620; y <= 980; y += 20)
        faderDrag.addArray (juce::StringArray { "mousemove", "--window", window, "250", juce::String (y), "sleep", "0.02" });

    faderDrag.addArray (juce::StringArray { "mouseup", "1" });
    ASSERT_TRUE (xdotool (faderDrag));

    const auto silentOutput = firstOutputGain + "00000000 status=00000000";
    EXPECT_TRUE (waitUntil ([&] { return requests (outputGainRequest).contains (silentOutput); }, 25000))
        << "no request turned the first output down to -80 dB";

    auto outputGains = requests (outputGainRequest);
    outputGains.removeRange (0, outputGainsBefore);
    ASSERT_FALSE (outputGains.isEmpty());

    for (int i = 0; i < outputGains.size(); ++i)
    {
        // Only this output: its strip is not linked. The fader moves in whole decibels.
        EXPECT_TRUE (outputGains[i].startsWith (firstOutputGain)) << outputGains[i];
        EXPECT_TRUE (outputGains[i].endsWith (" status=00000000")) << outputGains[i];

        const auto gain = gainOf (outputGains[i]);
        EXPECT_LT (gain, 0x01000000) << outputGains[i];

        if (gain > 0)
        {
            const auto dB = 20.0 * std::log10 (gain / 16777216.0);
            EXPECT_NEAR (dB, std::round (dB), 0.01) << outputGains[i];
        }

        if (i > 0)
        {
            EXPECT_LE (gain, gainOf (outputGains[i - 1])) << "a downward drag raised the gain";
        }
    }

    EXPECT_EQ (outputGains[outputGains.size() - 1], silentOutput);

    // The picture of the advanced view, once the raised cell shows in sand. The fader may lag
    // behind its requests in a slow build: a moment is left for it to be painted at the bottom.
    pause (1500);
    juce::Image advanced;
    const auto sand = juce::Colour (0xFFE2A36E);
    EXPECT_TRUE (waitUntil ([&] { advanced = screenshot (window, "mixer-advanced.png");
                                  return advanced.isValid() && advanced.getPixelAt (205, 65) == sand; }, 25000))
        << "the raised cell is not painted in sand";
    EXPECT_EQ (advanced.getBounds(), juce::Rectangle<int> (0, 0, screenWidth, screenHeight));
    keepScreenshot ("mixer-advanced.png");

    // A second start ends at once without a window; the first mixer goes on as it was.
    secondMixer = startMixer();
    ASSERT_TRUE (secondMixer->wasStarted());
    EXPECT_EQ (secondMixer->waitForExit (juce::jmin (10000, remainingMs())), 0) << "the second mixer did not end by itself within 10 s";
    EXPECT_EQ (findWindows(), juce::StringArray (window));
    EXPECT_TRUE (mixer->isRunning());
    EXPECT_EQ (geometryOf (window), juce::Rectangle<int> (0, 0, screenWidth, screenHeight));

    // The close button (the window manager's close request): the mixer ends normally and leaves
    // its mode and the view's size in the user settings file.
    EXPECT_TRUE (userSetting ("lastWidth").isEmpty()) << "the size is only written at the end";
    ASSERT_TRUE (server->sendCloseRequest (static_cast<unsigned long> (window.getLargeIntValue())));
    EXPECT_TRUE (waitUntil ([this] { return ! mixer->isRunning(); }, 25000)) << "the mixer did not end after its window was closed";
    window = {};
    EXPECT_EQ (mixer->waitForExit (0), 0);
    EXPECT_TRUE (findWindows().isEmpty());

    EXPECT_EQ (userSetting ("advanced"), "1");
    EXPECT_EQ (userSetting ("lastWidth"), juce::String (screenWidth));
    EXPECT_EQ (userSetting ("lastHeight"), juce::String (screenHeight));
}
