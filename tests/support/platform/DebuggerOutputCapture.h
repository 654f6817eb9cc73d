#pragma once

// Collects, for tests, what this process sends to the debugger with OutputDebugStringA while a
// capture exists. On Windows it sees the text through a vectored exception handler (the system
// hands debugger output on as an exception); elsewhere the text goes to standard error, which
// this class then captures. Only one capture may exist at a time.

#include <string>

namespace win
{
class DebuggerOutputCapture
{
public:
    DebuggerOutputCapture();
    ~DebuggerOutputCapture();

    DebuggerOutputCapture (const DebuggerOutputCapture&) = delete;
    DebuggerOutputCapture& operator= (const DebuggerOutputCapture&) = delete;

    /** Ends the capture and returns everything collected. */
    std::string finish();

private:
    bool finished = false;
    std::string captured;
   #ifndef _WIN32
    int savedStderr = -1;
    int captureFile = -1;
   #endif
};
} // namespace win
