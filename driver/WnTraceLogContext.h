#pragma once

// The driver toolkit's trace log: builds a line prefix (own text, date, time, process and
// thread id, level name) and sends text to the debugger output, a log file and Windows event
// tracing. One global context exists from static initialisation until process exit, with
// debugger output on and file output off; nothing is registered for event tracing.

#include "driver/WnTraceLogFile.h"
#include "platform/WinEventTrace.h"
#include "platform/WinSync.h"
#include "platform/WinTypes.h"

#include <cstddef>

class WnTraceLogContext
{
public:
    static constexpr std::size_t levelCount = 32;
    static constexpr std::size_t chunkSize = 512;

    /** The level named "ERROR" (short) and "Error" (long). */
    static constexpr int errorLevel = 0;

    struct LevelName
    {
        const char* shortName;
        const char* longName;
    };

    /** Sets up a context with the start-up values: debugger output only, name "default",
        thread id and level shown. */
    WnTraceLogContext();

    /** Unregisters event tracing, clears `magic`, deletes `lock` and closes the file. */
    virtual ~WnTraceLogContext();

    WnTraceLogContext (const WnTraceLogContext&) = delete;
    WnTraceLogContext& operator= (const WnTraceLogContext&) = delete;

    /** Sends a NUL-terminated text to every enabled output; the file gets CR LF line ends. */
    virtual void writeText (const char* text);

    /** Writes the prefix for a level into `buffer` (cut to `capacity`, terminated) and returns
        its length. A negative level shows no level name. */
    virtual std::size_t formatPrefix (int level, char* buffer, std::size_t capacity);

    /** The process-wide context. */
    static WnTraceLogContext& getGlobal();

    char magic[4] = {};
    WnTraceLogFile file;
    bool toFile = false;
    bool toDebugger = true;
    char prefix[32] = {};
    win::WCHAR name[40] = { u'd', u'e', u'f', u'a', u'u', u'l', u't', 0 };
    bool showDate = false;
    bool showTime = false;
    bool showPid = false;
    bool showTid = true;
    bool showLevel = true;
    win::CRITICAL_SECTION lock {};
    LevelName levelNames[levelCount];
    win::REGHANDLE etwHandle = 0;
    win::EVENT_DESCRIPTOR eventDescriptor { 1, 1, 0, 4, 0, 0, 0 };

private:
    void writeToFile (const char* text);
};
