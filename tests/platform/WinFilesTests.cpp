#include "platform/WinFiles.h"
#include "platform/WinHost.h"
#include "platform/WinModules.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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

std::string readWide (const std::u16string& path)
{
    std::string content;

    if (auto* stream = win::_wfsopen (path.c_str(), u"rb", win::SH_DENYNO))
    {
        for (int c; (c = std::fgetc (stream)) != EOF;)
            content += static_cast<char> (c);

        std::fclose (stream);
    }

    return content;
}

// The file's protection as this layer sets it: Windows' read-only attribute, or else the
// permission bits (0444 read-only, 0644 writable).
void expectReadOnly (const std::string& path, bool readOnly)
{
    if (win::isWindowsBuild)
    {
        EXPECT_EQ ((win::GetFileAttributesW (wide (path).c_str()) & win::FILE_ATTRIBUTE_READONLY) != 0, readOnly);
        return;
    }

    const auto permissions = std::filesystem::status (path).permissions() & std::filesystem::perms::mask;
    EXPECT_EQ (static_cast<unsigned> (permissions), readOnly ? 0444u : 0644u);
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

    // Here the file's name on disk is UTF-8; Windows keeps the wide name as it is.
    EXPECT_EQ (win::isWindowsBuild ? readWide (path) : readFile (utf8), "onetwo");
    EXPECT_EQ (win::_wfsopen (u"", u"rb", win::SH_DENYNO), nullptr);
}

TEST (WinFiles, AttributesDeleteAndMove)
{
    const auto path = home() + "/attributes.txt";
    const auto other = home() + "/moved.txt";
    writeFile (path, "data");
    std::filesystem::permissions (path, static_cast<std::filesystem::perms> (0644));

    EXPECT_EQ (win::SetFileAttributesW (wide (path).c_str(), win::FILE_ATTRIBUTE_READONLY), 1);
    expectReadOnly (path, true);
    EXPECT_EQ (win::SetFileAttributesW (wide (path).c_str(), win::FILE_ATTRIBUTE_NORMAL), 1);
    expectReadOnly (path, false);
    EXPECT_EQ (win::SetFileAttributesW (wide (home() + "/missing").c_str(), win::FILE_ATTRIBUTE_NORMAL), 0);

    // Unlike rename(), MoveFileW leaves an existing target alone.
    writeFile (other, "keep");
    EXPECT_EQ (win::MoveFileW (wide (path).c_str(), wide (other).c_str()), 0);
    EXPECT_EQ (readFile (other), "keep");

    EXPECT_EQ (win::DeleteFileW (wide (other).c_str()), 1);
    EXPECT_EQ (win::DeleteFileW (wide (other).c_str()), 0);
    EXPECT_EQ (win::MoveFileW (wide (path).c_str(), wide (other).c_str()), 1);
    EXPECT_EQ (readFile (other), "data");
    EXPECT_FALSE (std::filesystem::exists (path));
}
