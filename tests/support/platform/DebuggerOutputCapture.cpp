#include "support/platform/DebuggerOutputCapture.h"

#ifdef _WIN32
 #include <mutex>
 #include <windows.h>

namespace
{
constexpr DWORD debugPrintException = 0x40010006;   // DBG_PRINTEXCEPTION_C

std::mutex collectedLock;
std::string collected;
void* handler = nullptr;

LONG CALLBACK collect (EXCEPTION_POINTERS* pointers)
{
    const auto* record = pointers->ExceptionRecord;

    if (record->ExceptionCode == debugPrintException && record->NumberParameters >= 2)
    {
        const auto length = static_cast<std::size_t> (record->ExceptionInformation[0]);
        const auto* text = reinterpret_cast<const char*> (record->ExceptionInformation[1]);

        // The length counts the terminating NUL.
        if (text != nullptr && length > 0)
        {
            const std::lock_guard<std::mutex> lock (collectedLock);
            collected.append (text, length - 1);
        }
    }

    return EXCEPTION_CONTINUE_SEARCH;   // the system's own handler ends the exception as usual
}
} // namespace

namespace win
{
DebuggerOutputCapture::DebuggerOutputCapture()
{
    collected.clear();
    handler = ::AddVectoredExceptionHandler (1, collect);
}

DebuggerOutputCapture::~DebuggerOutputCapture()
{
    finish();
}

std::string DebuggerOutputCapture::finish()
{
    if (! finished)
    {
        finished = true;
        ::RemoveVectoredExceptionHandler (handler);
        handler = nullptr;

        const std::lock_guard<std::mutex> lock (collectedLock);
        captured = collected;
    }

    return captured;
}
} // namespace win

#else // standard error, redirected to a temporary file
 #include <cstdio>
 #include <unistd.h>

namespace win
{
DebuggerOutputCapture::DebuggerOutputCapture()
{
    std::fflush (stderr);

    if (auto* file = std::tmpfile())
    {
        captureFile = ::dup (::fileno (file));
        std::fclose (file);
        savedStderr = ::dup (STDERR_FILENO);
        ::dup2 (captureFile, STDERR_FILENO);
    }
}

DebuggerOutputCapture::~DebuggerOutputCapture()
{
    finish();

    if (captureFile >= 0)
        ::close (captureFile);
}

std::string DebuggerOutputCapture::finish()
{
    if (finished || captureFile < 0)
        return captured;

    finished = true;
    std::fflush (stderr);
    ::dup2 (savedStderr, STDERR_FILENO);
    ::close (savedStderr);

    ::lseek (captureFile, 0, SEEK_SET);
    char buffer[4096];

    for (ssize_t got; (got = ::read (captureFile, buffer, sizeof (buffer))) > 0;)
        captured.append (buffer, static_cast<std::size_t> (got));

    return captured;
}
} // namespace win
#endif
