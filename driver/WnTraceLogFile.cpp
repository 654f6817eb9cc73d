#include "driver/WnTraceLogFile.h"

#include "driver/WnStringPrintf.h"
#include "platform/WinFiles.h"

WnTraceLogFile::WnTraceLogFile() = default;

WnTraceLogFile::~WnTraceLogFile()
{
    close();
}

bool WnTraceLogFile::write (const void* data, std::size_t length)
{
    if (stream == nullptr)
        return false;

    if (std::fwrite (data, 1, length, stream) < length)
        return false;

    if (flushEachWrite)
        std::fflush (stream);

    bytesWritten += static_cast<std::uint32_t> (length);

    if (maxSize != 0 && bytesWritten >= maxSize)
    {
        close();
        moveToBackup();
        OpenLogFile();
    }

    return true;
}

bool WnTraceLogFile::OpenLogFile()
{
    close();

    stream = win::_wfsopen (path, append ? u"ab" : u"wb", win::SH_DENYNO);

    if (stream == nullptr)
        return false;

    bytesWritten = 0;

    std::fseek (stream, 0, SEEK_END);
    const long position = std::ftell (stream);

    if (position >= 0)
        bytesWritten = static_cast<std::uint32_t> (position);

    return true;
}

void WnTraceLogFile::close()
{
    if (stream != nullptr)
    {
        std::fclose (stream);
        stream = nullptr;
    }
}

void WnTraceLogFile::moveToBackup()
{
    win::WCHAR backupPath[pathLength];

    // A cut name would be some other file: better to let the log grow than to delete that one.
    if (WnStringPrintfW (backupPath, pathLength, u"%s%s", path, backupSuffix) != 0)
        return;

    win::SetFileAttributesW (backupPath, win::FILE_ATTRIBUTE_NORMAL);
    win::DeleteFileW (backupPath);
    win::MoveFileW (path, backupPath);
}
