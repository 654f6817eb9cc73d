#include "platform/WinFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

namespace
{
std::string home()
{
    const char* folder = std::getenv ("HOME");
    return folder != nullptr ? folder : "/tmp";
}

std::u16string wide (const std::string& ascii)
{
    return { ascii.begin(), ascii.end() };
}

std::string readFile (const std::string& path)
{
    std::ifstream in (path, std::ios::binary);
    return { std::istreambuf_iterator<char> (in), std::istreambuf_iterator<char>() };
}

void writeFile (const std::string& path, const std::string& content)
{
    std::ofstream (path, std::ios::binary) << content;
}

mode_t modeOf (const std::string& path)
{
    struct stat info {};
    ::stat (path.c_str(), &info);
    return info.st_mode & 0777;
}
} // namespace

TEST (WinFiles, OpensWidePathsAsUtf8)
{
    // "é" and the surrogate pair of U+1F3B5 become their UTF-8 bytes.
    const auto path = wide (home() + "/") + u"caf\x00e9-\xD83C\xDFB5.log";
    const auto utf8 = home() + "/caf\xC3\xA9-\xF0\x9F\x8E\xB5.log";

    auto* stream = win::_wfsopen (path.c_str(), u"wb", win::SH_DENYNO);
    ASSERT_NE (stream, nullptr);
    std::fputs ("one", stream);
    std::fclose (stream);

    stream = win::_wfsopen (path.c_str(), u"ab", win::SH_DENYNO);
    ASSERT_NE (stream, nullptr);
    std::fputs ("two", stream);
    std::fclose (stream);

    EXPECT_EQ (readFile (utf8), "onetwo");
    EXPECT_EQ (win::_wfsopen (u"", u"rb", win::SH_DENYNO), nullptr);
}

TEST (WinFiles, AttributesDeleteAndMove)
{
    const auto path = home() + "/attributes.txt";
    const auto other = home() + "/moved.txt";
    writeFile (path, "data");
    ::chmod (path.c_str(), 0644);

    EXPECT_EQ (win::SetFileAttributesW (wide (path).c_str(), win::FILE_ATTRIBUTE_READONLY), 1);
    EXPECT_EQ (modeOf (path), 0444u);
    EXPECT_EQ (win::SetFileAttributesW (wide (path).c_str(), win::FILE_ATTRIBUTE_NORMAL), 1);
    EXPECT_EQ (modeOf (path), 0644u);
    EXPECT_EQ (win::SetFileAttributesW (wide (home() + "/missing").c_str(), win::FILE_ATTRIBUTE_NORMAL), 0);

    // Unlike rename(), MoveFileW leaves an existing target alone.
    writeFile (other, "keep");
    EXPECT_EQ (win::MoveFileW (wide (path).c_str(), wide (other).c_str()), 0);
    EXPECT_EQ (readFile (other), "keep");

    EXPECT_EQ (win::DeleteFileW (wide (other).c_str()), 1);
    EXPECT_EQ (win::DeleteFileW (wide (other).c_str()), 0);
    EXPECT_EQ (win::MoveFileW (wide (path).c_str(), wide (other).c_str()), 1);
    EXPECT_EQ (readFile (other), "data");
    EXPECT_EQ (modeOf (path), 0u); // gone
}
