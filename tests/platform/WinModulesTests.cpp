#include "platform/WideText.h"
#include "platform/WinModules.h"

#include <gtest/gtest.h>

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

    EXPECT_EQ (attributesOf (home()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ (attributesOf (file), FILE_ATTRIBUTE_NORMAL);

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

    SetLastError (0);
    EXPECT_EQ (LoadLibraryW (wide (text.string()).c_str()), nullptr);
    EXPECT_EQ (GetLastError(), ERROR_MOD_NOT_FOUND);

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

    SetLastError (99);
    const auto answer = GetProcAddress (module, "KelvaroFixture_Answer");
    ASSERT_NE (answer, nullptr);
    EXPECT_EQ (GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ (reinterpret_cast<int (*)()> (answer)(), 42);

    EXPECT_EQ (GetProcAddress (module, "KelvaroFixture_Missing"), nullptr);
    EXPECT_EQ (GetLastError(), ERROR_PROC_NOT_FOUND);

    EXPECT_EQ (FreeLibrary (module), 1);
    EXPECT_EQ (FreeLibrary (nullptr), 0);
    EXPECT_EQ (GetProcAddress (nullptr, "KelvaroFixture_Answer"), nullptr);
}

TEST (WinModulesTests, KeepsTheLastErrorPerThread)
{
    SetLastError (5);
    DWORD seenByOtherThread = 1;

    std::thread other ([&]
    {
        seenByOtherThread = GetLastError();
        SetLastError (7);
    });
    other.join();

    EXPECT_EQ (seenByOtherThread, 0u);
    EXPECT_EQ (GetLastError(), 5u);
}
