#include "driver/WnStringPrintf.h"
#include "driver/WnTraceLogContext.h"
#include "driver/WnTraceLogFile.h"
#include "support/platform/DebuggerOutputCapture.h"
#include "platform/WinProcess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <sys/stat.h>

namespace
{
std::string homeFolder()
{
    const char* home = std::getenv ("HOME");
    return home != nullptr ? home : "/tmp";
}

std::string tempPath (const std::string& name)
{
    return homeFolder() + "/" + name;
}

std::u16string toWide (const std::string& ascii)
{
    return { ascii.begin(), ascii.end() };
}

void setPath (WnTraceLogFile& file, const std::string& path)
{
    const auto wide = toWide (path);
    ASSERT_LT (wide.size(), WnTraceLogFile::pathLength);
    std::copy (wide.begin(), wide.end(), file.path);
    file.path[wide.size()] = 0;
}

std::string readFile (const std::string& path)
{
    std::ifstream in (path, std::ios::binary);
    return { std::istreambuf_iterator<char> (in), std::istreambuf_iterator<char>() };
}

void writeFile (const std::string& path, const std::string& content)
{
    std::ofstream out (path, std::ios::binary | std::ios::trunc);
    out << content;
}

bool exists (const std::string& path)
{
    struct stat info {};
    return ::stat (path.c_str(), &info) == 0;
}

std::string prefixOf (WnTraceLogContext& context, int level)
{
    char buffer[128];
    const auto length = context.formatPrefix (level, buffer, sizeof (buffer));
    EXPECT_EQ (length, std::strlen (buffer));
    return buffer;
}

std::string threadTag()
{
    return "(" + std::to_string (win::GetCurrentThreadId()) + ") ";
}

/** A context that writes only to a fresh log file. */
struct FileContext
{
    explicit FileContext (const std::string& fileName)
        : path (tempPath (fileName))
    {
        context.toDebugger = false;
        context.toFile = true;
        setPath (context.file, path);
        EXPECT_TRUE (context.file.OpenLogFile());
    }

    std::string path;
    WnTraceLogContext context;
};
} // namespace

TEST (WnTraceLogContext, GlobalContextHasStartUpValues)
{
    auto& global = WnTraceLogContext::getGlobal();

    EXPECT_EQ (std::string (global.magic, 4), "BEEF");
    EXPECT_FALSE (global.toFile);
    EXPECT_TRUE (global.toDebugger);
    EXPECT_EQ (global.prefix[0], 0);
    EXPECT_EQ (std::u16string (global.name), u"default");
    EXPECT_FALSE (global.showDate);
    EXPECT_FALSE (global.showTime);
    EXPECT_FALSE (global.showPid);
    EXPECT_TRUE (global.showTid);
    EXPECT_TRUE (global.showLevel);

    EXPECT_STREQ (global.levelNames[0].shortName, "ERROR");
    EXPECT_STREQ (global.levelNames[0].longName, "Error");
    EXPECT_STREQ (global.levelNames[1].shortName, "WARNING");
    EXPECT_STREQ (global.levelNames[1].longName, "Warning");
    EXPECT_STREQ (global.levelNames[2].shortName, "INFO");
    EXPECT_STREQ (global.levelNames[2].longName, "Info");
    EXPECT_STREQ (global.levelNames[3].shortName, "INFO");
    EXPECT_STREQ (global.levelNames[3].longName, "Extended Info");
    for (std::size_t i = 4; i < WnTraceLogContext::levelCount; ++i)
    {
        EXPECT_STREQ (global.levelNames[i].shortName, "");
        EXPECT_STREQ (global.levelNames[i].longName, "");
    }

    EXPECT_EQ (global.etwHandle, 0u);
    EXPECT_EQ (global.eventDescriptor.Id, 1);
    EXPECT_EQ (global.eventDescriptor.Version, 1);
    EXPECT_EQ (global.eventDescriptor.Channel, 0);
    EXPECT_EQ (global.eventDescriptor.Level, 4);
    EXPECT_EQ (global.eventDescriptor.Opcode, 0);
    EXPECT_EQ (global.eventDescriptor.Task, 0);
    EXPECT_EQ (global.eventDescriptor.Keyword, 0u);

    EXPECT_EQ (global.file.stream, nullptr);
    EXPECT_EQ (global.file.path[0], 0);
    EXPECT_EQ (std::u16string (global.file.backupSuffix), u".bak");
    EXPECT_EQ (global.file.bytesWritten, 0u);
    EXPECT_EQ (global.file.maxSize, 10485760u);
    EXPECT_FALSE (global.file.lastWasCR);
    EXPECT_TRUE (global.file.append);
    EXPECT_TRUE (global.file.flushEachWrite);
}

TEST (WnTraceLogContext, PrefixWithStartUpValues)
{
    WnTraceLogContext context;

    EXPECT_EQ (prefixOf (context, 0), threadTag() + "ERROR ");
    EXPECT_EQ (prefixOf (context, 1), threadTag() + "WARNING ");
    EXPECT_EQ (prefixOf (context, 3), threadTag() + "INFO ");
    EXPECT_EQ (prefixOf (context, 4), threadTag() + " ");
    EXPECT_EQ (prefixOf (context, -1), threadTag());
}

TEST (WnTraceLogContext, LevelBeyondTableShowsOnlyABlank)
{
    WnTraceLogContext context;
    context.showTid = false;

    EXPECT_EQ (prefixOf (context, 40), " ");
    EXPECT_EQ (prefixOf (context, 32), " ");

    std::strcpy (context.prefix, "drv: ");
    EXPECT_EQ (prefixOf (context, 40), "drv:  ");
}

TEST (WnTraceLogContext, PrefixWithEveryPart)
{
    WnTraceLogContext context;
    std::strcpy (context.prefix, "KRV ");
    context.showDate = true;
    context.showTime = true;
    context.showPid = true;

    const std::regex expected (R"(KRV \d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} \[)"
                               + std::to_string (win::GetCurrentProcessId()) + R"(\] \()"
                               + std::to_string (win::GetCurrentThreadId()) + R"(\) WARNING )");
    const auto prefix = prefixOf (context, 1);
    EXPECT_TRUE (std::regex_match (prefix, expected)) << prefix;
}

TEST (WnTraceLogContext, PrefixIsCutToTheBuffer)
{
    WnTraceLogContext context;
    std::memcpy (context.prefix, "0123456789abcdef0123456789abcdef", 32); // full, no terminator

    char buffer[16];
    std::memset (buffer, 'G', sizeof (buffer));
    EXPECT_EQ (context.formatPrefix (0, buffer, 10), 9u);
    EXPECT_STREQ (buffer, "012345678");
    EXPECT_EQ (std::string (buffer + 10, 6), "GGGGGG");

    char large[80];
    EXPECT_EQ (context.formatPrefix (0, large, sizeof (large)), 32 + threadTag().size() + 6);
    EXPECT_EQ (std::string (large), "0123456789abcdef0123456789abcdef" + threadTag() + "ERROR ");

    EXPECT_EQ (context.formatPrefix (0, buffer, 0), 0u);
}

TEST (WnTraceLogContext, DebuggerOutputOnlyWhenEnabled)
{
    WnTraceLogContext context;

    win::DebuggerOutputCapture on;
    context.writeText ("line\n");
    EXPECT_EQ (on.finish(), "line\n");

    context.toDebugger = false;
    win::DebuggerOutputCapture off;
    context.writeText ("line\n");
    EXPECT_EQ (off.finish(), "");
}

TEST (WnTraceLogContext, FileGetsCarriageReturnBeforeLineFeeds)
{
    FileContext log ("crlf.log");

    log.context.writeText ("a\nb\r\nc");
    EXPECT_EQ (readFile (log.path), "a\r\nb\r\nc");

    // A line feed that starts a call follows the last character of the previous call.
    log.context.writeText ("\nd\r");
    log.context.writeText ("\ne\n\n");
    EXPECT_EQ (readFile (log.path), "a\r\nb\r\nc\r\nd\r\ne\r\n\r\n");
    EXPECT_FALSE (log.context.file.lastWasCR);
    EXPECT_EQ (log.context.file.bytesWritten, 17u);
}

TEST (WnTraceLogContext, FileIsWrittenIn512CharacterChunks)
{
    FileContext log ("chunks.log");

    // A small limit rotates after the first chunk, which shows where the text was split.
    log.context.file.maxSize = 100;

    std::string text = "\n" + std::string (510, 'x') + "\r" + "\n" + "y\n";
    ASSERT_EQ (text[511], '\r');
    ASSERT_EQ (text[512], '\n');

    log.context.writeText (text.c_str());

    EXPECT_EQ (readFile (log.path + ".bak"), "\r\n" + std::string (510, 'x') + "\r");
    EXPECT_EQ (readFile (log.path), "\ny\r\n");
}

TEST (WnTraceLogFile, RotatesAtExactlyTheLimit)
{
    const auto path = tempPath ("rotate.log");
    writeFile (path, "HEAD");
    writeFile (path + ".bak", "old backup");

    WnTraceLogFile file;
    setPath (file, path);
    ASSERT_TRUE (file.OpenLogFile());
    EXPECT_EQ (file.bytesWritten, 4u);

    const std::string body (10485760 - 4 - 1, 'z');
    EXPECT_TRUE (file.write (body.data(), body.size()));
    EXPECT_EQ (file.bytesWritten, 10485759u);
    EXPECT_EQ (readFile (path + ".bak"), "old backup");

    EXPECT_TRUE (file.write ("!", 1));
    EXPECT_EQ (readFile (path + ".bak"), "HEAD" + body + "!");
    EXPECT_TRUE (exists (path));
    EXPECT_EQ (readFile (path), "");
    ASSERT_NE (file.stream, nullptr);
    EXPECT_EQ (file.bytesWritten, 0u);

    EXPECT_TRUE (file.write ("next", 4));
    EXPECT_EQ (readFile (path), "next");
}

TEST (WnTraceLogFile, RotationReplacesAReadOnlyBackup)
{
    const auto path = tempPath ("readonly.log");
    writeFile (path + ".bak", "old backup");
    ASSERT_EQ (::chmod ((path + ".bak").c_str(), 0444), 0);

    WnTraceLogFile file;
    setPath (file, path);
    file.maxSize = 3;
    ASSERT_TRUE (file.OpenLogFile());
    EXPECT_TRUE (file.write ("abc", 3));

    EXPECT_EQ (readFile (path + ".bak"), "abc");
    EXPECT_EQ (readFile (path), "");
}

TEST (WnTraceLogFile, OpensForAppendOrTruncate)
{
    const auto path = tempPath ("modes.log");
    writeFile (path, "12345");

    WnTraceLogFile file;
    setPath (file, path);
    EXPECT_FALSE (file.write ("x", 1)); // not open yet

    ASSERT_TRUE (file.OpenLogFile());
    EXPECT_EQ (file.bytesWritten, 5u);
    EXPECT_TRUE (file.write ("6", 1));
    EXPECT_EQ (readFile (path), "123456");

    file.append = false;
    ASSERT_TRUE (file.OpenLogFile());
    EXPECT_EQ (file.bytesWritten, 0u);
    EXPECT_TRUE (file.write ("7", 1));
    EXPECT_EQ (readFile (path), "7");

    setPath (file, tempPath ("no-such-folder/modes.log"));
    EXPECT_FALSE (file.OpenLogFile());
    EXPECT_EQ (file.stream, nullptr);
}

TEST (WnTraceLogFile, BackupNameThatDoesNotFitDeletesNothing)
{
    // path + ".bak" needs 261 characters with its terminator; cut to 260 it would be path + ".b".
    const auto folder = homeFolder() + "/";
    const auto path = folder + std::string (257 - folder.size(), 'n');
    ASSERT_EQ (path.size(), 257u);
    writeFile (path + ".b", "unrelated");

    WnTraceLogFile file;
    setPath (file, path);
    file.maxSize = 2;
    ASSERT_TRUE (file.OpenLogFile());
    EXPECT_TRUE (file.write ("ab", 2));

    EXPECT_EQ (readFile (path + ".b"), "unrelated");
    EXPECT_EQ (readFile (path), "ab");
    EXPECT_NE (file.stream, nullptr);
}

TEST (WnStringPrintf, NarrowResultAndTruncation)
{
    char buffer[12];
    EXPECT_EQ (WnStringPrintfA (buffer, sizeof (buffer), "(%u) %s ", 42u, "INFO"), 0);
    EXPECT_STREQ (buffer, "(42) INFO ");

    char guarded[8 + 4];
    std::memset (guarded, 'G', sizeof (guarded));
    errno = 2; // a stale value must not decide
    EXPECT_EQ (WnStringPrintfA (guarded, 8, "%s", "0123456789"), 111);
    EXPECT_STREQ (guarded, "0123456");
    EXPECT_EQ (std::string (guarded + 8, 4), "GGGG");

    EXPECT_EQ (WnStringPrintfA (guarded, 8, "%s", "0123456"), 0);
    EXPECT_EQ (WnStringPrintfA (guarded, 0, "x"), 87);
}

TEST (WnStringPrintf, WideFormatsWhatTheLogNeeds)
{
    win::WCHAR buffer[64];
    EXPECT_EQ (WnStringPrintfW (buffer, 64, u"%s%s", u"/tmp/trace.log", u".bak"), 0);
    EXPECT_EQ (std::u16string (buffer), u"/tmp/trace.log.bak");

    EXPECT_EQ (WnStringPrintfW (buffer, 64, u"%d|%i|%u|%x|%X|%c|%%", -12, 7, 4000000000u, 0xbeefu, 0xbeefu, int { u'\x00e9' }), 0);
    EXPECT_EQ (std::u16string (buffer), u"-12|7|4000000000|beef|BEEF|\x00e9|%");

    EXPECT_EQ (WnStringPrintfW (buffer, 64, u"[%5d][%-4u][%05d][%02x][%3s][%-3s]", 42, 7u, -42, 5u, u"a", u"b"), 0);
    EXPECT_EQ (std::u16string (buffer), u"[   42][7   ][-0042][05][  a][b  ]");

    EXPECT_EQ (WnStringPrintfW (buffer, 64, u"%s", static_cast<const win::WCHAR*> (nullptr)), 0);
    EXPECT_EQ (std::u16string (buffer), u"(null)");

    EXPECT_EQ (WnStringPrintfW (buffer, 64, u"%ld", 1L), 87);
    EXPECT_EQ (WnStringPrintfW (buffer, 64, u"abc%"), 87);
}

TEST (WnStringPrintf, WideTruncationStaysInsideTheBuffer)
{
    win::WCHAR guarded[6 + 4];
    std::fill (std::begin (guarded), std::end (guarded), u'G');

    EXPECT_EQ (WnStringPrintfW (guarded, 6, u"%s%s", u"abcd", u"efgh"), 111);
    EXPECT_EQ (std::u16string (guarded), u"abcde");
    EXPECT_EQ (std::u16string (guarded + 6, 4), u"GGGG");

    std::fill (std::begin (guarded), std::end (guarded), u'G');
    EXPECT_EQ (WnStringPrintfW (guarded, 6, u"%999999999d", 1), 111);
    EXPECT_EQ (std::u16string (guarded), u"     ");
    EXPECT_EQ (std::u16string (guarded + 6, 4), u"GGGG");

    EXPECT_EQ (WnStringPrintfW (guarded, 6, u"%s", u"abcde"), 0);
    EXPECT_EQ (WnStringPrintfW (guarded, 0, u"x"), 87);
}
