#include "platform/WideText.h"
#include "platform/WinHost.h"
#include "platform/WinModules.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace win;

namespace
{
std::filesystem::path home()
{
    return std::getenv ("HOME");
}

std::u16string wide (const std::string& utf8)
{
    std::u16string result;
    EXPECT_TRUE (WideText::fromUtf8 (utf8, result));
    return result;
}

DWORD attributesOf (const std::filesystem::path& path)
{
    return GetFileAttributesW (wide (path.string()).c_str());
}
} // namespace

TEST (WinModulesTests, TellsMissingFilesFromMissingFolders)
{
    const auto file = home() / "file.txt";
    std::ofstream (file) << "text";

    // Windows marks a new file for archiving; here a file is just a normal one.
    constexpr DWORD fileAttributeArchive = 0x20;
    EXPECT_EQ (attributesOf (home()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ (attributesOf (file), isWindowsBuild ? fileAttributeArchive : FILE_ATTRIBUTE_NORMAL);

    SetLastError (0);
    EXPECT_EQ (attributesOf (home() / "missing.dll"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ (GetLastError(), ERROR_FILE_NOT_FOUND);

    SetLastError (0);
    EXPECT_EQ (attributesOf (home() / "missing" / "api.dll"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ (GetLastError(), ERROR_PATH_NOT_FOUND);

    SetLastError (0);
    EXPECT_EQ (attributesOf (file / "api.dll"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ (GetLastError(), ERROR_PATH_NOT_FOUND);

    SetLastError (0);
    EXPECT_EQ (GetFileAttributesW (u""), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ (GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST (WinModulesTests, FailsToLoadWhatIsNoLibrary)
{
    const auto text = home() / "not-a-library.so";
    std::ofstream (text) << "not a library";

    // Windows tells a file that is no executable image by ERROR_BAD_EXE_FORMAT; dlopen does not.
    constexpr DWORD errorBadExeFormat = 193;
    SetLastError (0);
    EXPECT_EQ (LoadLibraryW (wide (text.string()).c_str()), nullptr);
    EXPECT_EQ (GetLastError(), isWindowsBuild ? errorBadExeFormat : ERROR_MOD_NOT_FOUND);

    SetLastError (0);
    EXPECT_EQ (LoadLibraryW (wide ((home() / "missing.so").string()).c_str()), nullptr);
    EXPECT_EQ (GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST (WinModulesTests, LooksUpExportsOfALoadedLibrary)
{
    // A copy under a name with non-ASCII letters: the wide path goes to the system as UTF-8.
    const auto copy = home() / "Bibliothek \xC3\xBC\xE2\x82\xAC.so";
    std::filesystem::copy_file (KELVARO_PLATFORM_FIXTURE_PATH, copy);

    auto* module = LoadLibraryW (wide (copy.string()).c_str());
    ASSERT_NE (module, nullptr);

    // A successful look-up clears the code here; Windows leaves it as it was.
    SetLastError (99);
    const auto answer = GetProcAddress (module, "KelvaroFixture_Answer");
    ASSERT_NE (answer, nullptr);
    EXPECT_EQ (GetLastError(), isWindowsBuild ? 99u : ERROR_SUCCESS);
    EXPECT_EQ (reinterpret_cast<int (*)()> (answer)(), 42);

    EXPECT_EQ (GetProcAddress (module, "KelvaroFixture_Missing"), nullptr);
    EXPECT_EQ (GetLastError(), ERROR_PROC_NOT_FOUND);

    EXPECT_EQ (FreeLibrary (module), 1);
    EXPECT_EQ (FreeLibrary (nullptr), 0);
    EXPECT_EQ (GetProcAddress (nullptr, "KelvaroFixture_Answer"), nullptr);
}

TEST (WinModulesTests, KeepsTheLastErrorPerThread)
{
    // The threads take turns through atomics alone: no other call may touch the codes in between
    // (on Windows, starting and joining a thread do).
    std::atomic<int> step { 0 };
    DWORD seenByOtherThread = 1;

    std::thread other ([&]
    {
        while (step.load() != 1) {}
        seenByOtherThread = GetLastError();
        SetLastError (7);
        step = 2;
    });

    SetLastError (5);
    step = 1;
    while (step.load() != 2) {}
    const auto seenByThisThread = GetLastError();
    other.join();

    EXPECT_EQ (seenByOtherThread, 0u);
    EXPECT_EQ (seenByThisThread, 5u);
}
