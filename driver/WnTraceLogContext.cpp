#include "driver/WnTraceLogContext.h"

#include "driver/WnStringPrintf.h"
#include "platform/WinDebug.h"
#include "platform/WinProcess.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

WnTraceLogContext::WnTraceLogContext()
{
    for (auto& level : levelNames)
        level = { "", "" };

    levelNames[0] = { "ERROR", "Error" };
    levelNames[1] = { "WARNING", "Warning" };
    levelNames[2] = { "INFO", "Info" };
    levelNames[3] = { "INFO", "Extended Info" };

    win::InitializeCriticalSection (&lock);

    // Set last: a context with this mark is completely set up.
    std::memcpy (magic, "BEEF", sizeof (magic));
}

WnTraceLogContext::~WnTraceLogContext()
{
    if (etwHandle != 0)
    {
        win::EventUnregister (etwHandle);
        etwHandle = 0;
    }

    std::memset (magic, 0, sizeof (magic));
    win::DeleteCriticalSection (&lock);
    file.close();
}

void WnTraceLogContext::writeText (const char* text)
{
    if (text == nullptr)
        return;

    if (toDebugger)
        win::OutputDebugStringA (text);

    if (toFile)
        writeToFile (text);

    if (etwHandle != 0)
    {
        win::EVENT_DATA_DESCRIPTOR data {};
        data.Ptr = reinterpret_cast<std::uintptr_t> (text);
        data.Size = static_cast<std::uint32_t> (std::strlen (text) + 1);
        win::EventWrite (etwHandle, &eventDescriptor, 1, &data);
    }
}

void WnTraceLogContext::writeToFile (const char* text)
{
    // Each character of a chunk may gain a carriage return in front of it.
    char converted[2 * chunkSize];
    auto remaining = std::strlen (text);

    while (remaining > 0)
    {
        const auto chunkLength = std::min (remaining, chunkSize);
        std::size_t convertedLength = 0;

        for (std::size_t i = 0; i < chunkLength; ++i)
        {
            const char c = text[i];

            if (c == '\n' && ! file.lastWasCR)
                converted[convertedLength++] = '\r';

            converted[convertedLength++] = c;
            file.lastWasCR = (c == '\r');
        }

        file.write (converted, convertedLength);
        text += chunkLength;
        remaining -= chunkLength;
    }
}

std::size_t WnTraceLogContext::formatPrefix (int level, char* buffer, std::size_t capacity)
{
    if (buffer == nullptr || capacity == 0)
        return 0;

    // The prefix field need not hold a terminator when it is full.
    const auto* prefixEnd = static_cast<const char*> (std::memchr (prefix, 0, sizeof (prefix)));
    const auto prefixSize = prefixEnd != nullptr ? static_cast<std::size_t> (prefixEnd - prefix) : sizeof (prefix);
    const auto prefixLength = std::min (prefixSize, capacity - 1);
    std::memcpy (buffer, prefix, prefixLength);
    buffer[prefixLength] = 0;

    // Every part goes after what is there already, cut at the buffer's end.
    auto end = [buffer] { return buffer + std::strlen (buffer); };
    auto room = [buffer, capacity] { return capacity - std::strlen (buffer); };

    if (showDate || showTime)
    {
        win::SYSTEMTIME now {};
        win::GetLocalTime (&now);

        if (showDate)
            WnStringPrintfA (end(), room(), "%04u-%02u-%02u ",
                             unsigned { now.wYear }, unsigned { now.wMonth }, unsigned { now.wDay });

        if (showTime)
            WnStringPrintfA (end(), room(), "%02u:%02u:%02u.%03u ",
                             unsigned { now.wHour }, unsigned { now.wMinute }, unsigned { now.wSecond },
                             unsigned { now.wMilliseconds });
    }

    if (showPid)
        WnStringPrintfA (end(), room(), "[%u] ", unsigned { win::GetCurrentProcessId() });

    if (showTid)
        WnStringPrintfA (end(), room(), "(%u) ", unsigned { win::GetCurrentThreadId() });

    if (showLevel && level >= 0)
    {
        const char* levelName = static_cast<std::size_t> (level) < levelCount
                                    ? levelNames[static_cast<std::size_t> (level)].shortName
                                    : "";
        WnStringPrintfA (end(), room(), "%s ", levelName != nullptr ? levelName : "");
    }

    return std::strlen (buffer);
}

namespace
{
// The global context lives in static storage: it is set up during static initialisation and
// torn down by an exit handler, so that it serves from before the application object exists
// until the very end of the process.
alignas (WnTraceLogContext) unsigned char globalStorage[sizeof (WnTraceLogContext)];

struct GlobalContextSetUp
{
    GlobalContextSetUp()
    {
        new (globalStorage) WnTraceLogContext();
        std::atexit ([] { WnTraceLogContext::getGlobal().~WnTraceLogContext(); });
    }
};

const GlobalContextSetUp globalContextSetUp;
} // namespace

WnTraceLogContext& WnTraceLogContext::getGlobal()
{
    // The address is fixed, whichever static initialiser runs first.
    return *std::launder (reinterpret_cast<WnTraceLogContext*> (globalStorage));
}
