#pragma once

// The trace log's file: appends text to a log file and, at a size limit, moves the file aside
// to a backup (its name plus ".bak", replacing an older backup) and starts a new one.

#include "platform/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

class WnTraceLogFile
{
public:
    static constexpr std::size_t pathLength = 260;
    static constexpr std::uint32_t defaultMaxSize = 0x00A00000u; // 10 MiB

    WnTraceLogFile();
    ~WnTraceLogFile();

    WnTraceLogFile (const WnTraceLogFile&) = delete;
    WnTraceLogFile& operator= (const WnTraceLogFile&) = delete;

    /** Appends bytes to the open file, then rotates it when it has reached maxSize.
        Returns false when no file is open or not every byte was written. */
    virtual bool write (const void* data, std::size_t length);

    /** Opens `path` ("ab" when `append`, else "wb"), shared for reading and writing by others,
        and sets bytesWritten to the file's size. Returns false when it cannot be opened. */
    bool OpenLogFile();

    /** Closes the file if it is open. */
    void close();

    std::FILE* stream = nullptr;
    win::WCHAR path[pathLength] = {};
    win::WCHAR backupSuffix[5] = { u'.', u'b', u'a', u'k', 0 };
    std::uint32_t bytesWritten = 0;
    std::uint32_t maxSize = defaultMaxSize; // 0: no limit
    bool lastWasCR = false;                 // whether the last character written was a carriage return
    bool append = true;
    bool flushEachWrite = true;

private:
    void moveToBackup();
};
