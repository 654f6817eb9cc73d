#include "platform/RegistryFile.h"
#include "support/platform/RegistryFileWriter.h"
#include "platform/WideText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

using win::BYTE;
using win::RegistryFile;
using win::RegistryFileWriter;

namespace
{
const RegistryFile::Value& valueOf (const RegistryFile& registry, const std::string& key, const std::string& name)
{
    const auto* k = registry.findKey (key);

    if (k == nullptr)
        throw std::runtime_error ("no key " + key);

    const auto* v = RegistryFile::findValue (*k, name);

    if (v == nullptr)
        throw std::runtime_error ("no value " + name);

    return *v;
}

} // namespace

TEST (RegistryFileTests, ParsesEveryValueFormExactly)
{
    const std::string text =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; a comment\r\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}\\InprocServer32]\r\n"
        "@=\"C:\\\\Program Files\\\\\\\"Vantiq\\\"\\\\api.dll\"\r\n"
        "\"ThreadingModel\" = \"Gr\xC3\xBC\xC3\x9F" "e\"\r\n"
        "\"Expand\"=hex(2):25,00,41,00,\\\r\n"
        "    25,00,00,00\r\n"
        "\"Blob\"=hex:01,ff,7\r\n"
        "\"Empty\"=hex:\r\n"
        "\"Quad\"=hex(b):01,02,03,04,05,06,07,08\r\n"
        "\"Custom\"=hex(12345):aa\r\n"
        "\"Count\"=dword:0000abcd\r\n"
        "\"Short\"=dword:7\r\n";

    RegistryFile registry;
    ASSERT_TRUE (registry.parse (text)) << registry.getError();

    const std::string key = "HKEY_CLASSES_ROOT\\CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}\\InprocServer32";

    const auto& path = valueOf (registry, key, "");
    EXPECT_EQ (path.type, win::REG_SZ);
    EXPECT_EQ (path.data, win::WideText::toRegistryBytes (u"C:\\Program Files\\\"Vantiq\"\\api.dll"));

    EXPECT_EQ (valueOf (registry, key, "ThreadingModel").data, win::WideText::toRegistryBytes (u"Gr\u00FC\u00DFe"));

    const auto& expand = valueOf (registry, key, "Expand");
    EXPECT_EQ (expand.type, win::REG_EXPAND_SZ);
    EXPECT_EQ (expand.data, (std::vector<BYTE> { 0x25, 0, 0x41, 0, 0x25, 0, 0, 0 }));

    EXPECT_EQ (valueOf (registry, key, "Blob").type, win::REG_BINARY);
    EXPECT_EQ (valueOf (registry, key, "Blob").data, (std::vector<BYTE> { 0x01, 0xFF, 0x07 }));
    EXPECT_TRUE (valueOf (registry, key, "Empty").data.empty());
    EXPECT_EQ (valueOf (registry, key, "Quad").type, win::REG_QWORD);
    EXPECT_EQ (valueOf (registry, key, "Quad").data, (std::vector<BYTE> { 1, 2, 3, 4, 5, 6, 7, 8 }));
    EXPECT_EQ (valueOf (registry, key, "Custom").type, 0x12345u);

    EXPECT_EQ (valueOf (registry, key, "Count").type, win::REG_DWORD);
    EXPECT_EQ (valueOf (registry, key, "Count").data, (std::vector<BYTE> { 0xCD, 0xAB, 0, 0 }));
    EXPECT_EQ (valueOf (registry, key, "Short").data, (std::vector<BYTE> { 7, 0, 0, 0 }));
}

TEST (RegistryFileTests, MatchesKeysAndValuesIgnoringCaseWithImpliedParents)
{
    RegistryFile registry;
    ASSERT_TRUE (registry.parse ("Windows Registry Editor Version 5.00\n\n"
                                 "[HKEY_CLASSES_ROOT\\CLSID\\{ABC}\\InprocServer32]\n"
                                 "\"Name\"=\"x\"\n"
                                 "[HKEY_LOCAL_MACHINE\\Software]\n"));

    EXPECT_TRUE (registry.hasKey ("hkey_classes_root\\clsid"));
    EXPECT_TRUE (registry.hasKey ("HKEY_CLASSES_ROOT\\CLSID\\{abc}\\INPROCSERVER32"));
    EXPECT_FALSE (registry.hasKey ("HKEY_CLASSES_ROOT\\CLS"));
    EXPECT_FALSE (registry.hasKey ("HKEY_CLASSES_ROOT\\CLSID\\{ABC}\\InprocServer32\\More"));
    EXPECT_TRUE (registry.hasKey ("HKEY_LOCAL_MACHINE\\Software"));
    EXPECT_FALSE (registry.hasKey ("HKEY_CLASSES_ROOT\\Software"));

    EXPECT_EQ (registry.findKey ("HKEY_CLASSES_ROOT\\CLSID"), nullptr);   // implied, without values
    EXPECT_EQ (valueOf (registry, "HKEY_CLASSES_ROOT\\clsid\\{abc}\\inprocserver32", "NAME").data, win::WideText::toRegistryBytes (u"x"));
}

TEST (RegistryFileTests, AppliesRemovalsAndLaterDefinitions)
{
    RegistryFile registry;
    ASSERT_TRUE (registry.parse ("Windows Registry Editor Version 5.00\n"
                                 "[HKEY_CLASSES_ROOT\\A]\n\"x\"=\"1\"\n\"y\"=\"2\"\n"
                                 "[HKEY_CLASSES_ROOT\\A\\B\\C]\n"
                                 "[HKEY_CLASSES_ROOT\\AB]\n"
                                 "[HKEY_CLASSES_ROOT\\a]\n\"X\"=dword:1\n\"y\"=-\n"
                                 "[-HKEY_CLASSES_ROOT\\A\\B]\n")) << registry.getError();

    const auto& x = valueOf (registry, "HKEY_CLASSES_ROOT\\A", "x");
    EXPECT_EQ (x.type, win::REG_DWORD);
    EXPECT_EQ (registry.findKey ("HKEY_CLASSES_ROOT\\A")->values.size(), 1u);
    EXPECT_FALSE (registry.hasKey ("HKEY_CLASSES_ROOT\\A\\B"));
    EXPECT_TRUE (registry.hasKey ("HKEY_CLASSES_ROOT\\AB"));
}

TEST (RegistryFileTests, ReadsUtf16FilesAsRegeditWritesThem)
{
    const std::u16string text = u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CLASSES_ROOT\\K]\r\n@=\"\u00E9\"\r\n";
    std::string bytes;

    for (const auto unit : text)
    {
        bytes += static_cast<char> (unit & 0xFF);
        bytes += static_cast<char> (unit >> 8);
    }

    RegistryFile registry;
    ASSERT_TRUE (registry.parse (bytes)) << registry.getError();
    EXPECT_EQ (valueOf (registry, "HKEY_CLASSES_ROOT\\K", "").data, win::WideText::toRegistryBytes (u"\u00E9"));
}

TEST (RegistryFileTests, RefusesMalformedTextWithTheLine)
{
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::string key = "[HKEY_CLASSES_ROOT\\K]\n";

    const std::vector<std::string> malformed {
        "",
        "REGEDIT4\n" + key,
        header + "@=\"outside of a key\"\n",
        header + key + "@=\"C:\\dir\"\n",
        header + key + "@=\"unterminated\n",
        header + key + "@=\"a\" trailing\n",
        header + key + "@=dword:123456789\n",
        header + key + "@=dword:\n",
        header + key + "@=hex:1g\n",
        header + key + "@=hex:123\n",
        header + key + "@=hex(zz):00\n",
        header + key + "@=hex(2:00\n",
        header + key + "@=hex:00,\\\n",
        header + key + "@=text\n",
        header + key + "name=\"x\"\n",
        header + key + "@\"x\"\n",
        header + "[HKEY_CLASSES_ROOT\\A\\\\B]\n",
        header + "[CLASSES\\A]\n",
        header + "[HKEY_CLASSES_ROOT\\A\n",
        header + key + "@=\"\xC3\x28\"\n",
        header + key + std::string ("@=\"a\0b\"\n", 9),
        std::string ("\x7F" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0\x3E\0", 20),
        "\xFF\xFE" "W",
    };

    for (const auto& text : malformed)
    {
        RegistryFile registry;
        EXPECT_FALSE (registry.parse (text)) << text;
        EXPECT_TRUE (registry.getKeys().empty()) << text;
        EXPECT_FALSE (registry.getError().empty()) << text;
    }

    RegistryFile registry;
    EXPECT_FALSE (registry.parse (header + key + "\n@=\"ok\"\n@=bad\n"));
    EXPECT_EQ (registry.getError().rfind ("line 5:", 0), 0u) << registry.getError();
}

TEST (RegistryFileTests, WritesTextThatReadsBackToTheSameBytes)
{
    RegistryFile registry;
    registry.setValue ("HKEY_CLASSES_ROOT\\K", "", win::REG_SZ, win::WideText::toRegistryBytes (u"a\\b\"c"));
    registry.setValue ("HKEY_CLASSES_ROOT\\K", "Count", win::REG_DWORD, { 0x2A, 0, 0, 0x80 });
    registry.setValue ("HKEY_CLASSES_ROOT\\K", "Path", win::REG_EXPAND_SZ, win::WideText::toRegistryBytes (u"%X%"));
    registry.createKey ("HKEY_CLASSES_ROOT\\Empty");

    EXPECT_EQ (RegistryFileWriter::toText (registry),
               "Windows Registry Editor Version 5.00\r\n"
               "\r\n"
               "[HKEY_CLASSES_ROOT\\K]\r\n"
               "@=\"a\\\\b\\\"c\"\r\n"
               "\"Count\"=dword:8000002a\r\n"
               "\"Path\"=hex(2):25,00,58,00,25,00,00,00\r\n"
               "\r\n"
               "[HKEY_CLASSES_ROOT\\Empty]\r\n");

    // Values that a quoted string cannot carry exactly are written as hex.
    std::vector<BYTE> longBinary (45);

    for (std::size_t i = 0; i < longBinary.size(); ++i)
        longBinary[i] = static_cast<BYTE> (i * 7);

    registry.setValue ("HKEY_CLASSES_ROOT\\K", "NoNul", win::REG_SZ, { 'a', 0, 'b', 0 });
    registry.setValue ("HKEY_CLASSES_ROOT\\K", "Lines", win::REG_SZ, win::WideText::toRegistryBytes (u"a\r\nb"));
    registry.setValue ("HKEY_CLASSES_ROOT\\K", "Odd", win::REG_SZ, { 'a', 0, 0 });
    registry.setValue ("HKEY_CLASSES_ROOT\\K", "Long", win::REG_BINARY, longBinary);

    RegistryFile reread;
    ASSERT_TRUE (reread.parse (RegistryFileWriter::toText (registry))) << reread.getError();
    ASSERT_EQ (reread.getKeys().size(), registry.getKeys().size());

    for (std::size_t k = 0; k < registry.getKeys().size(); ++k)
    {
        const auto& written = registry.getKeys()[k];
        const auto& read = reread.getKeys()[k];
        EXPECT_EQ (read.path, written.path);
        ASSERT_EQ (read.values.size(), written.values.size());

        for (std::size_t v = 0; v < written.values.size(); ++v)
        {
            EXPECT_EQ (read.values[v].name, written.values[v].name);
            EXPECT_EQ (read.values[v].type, written.values[v].type);
            EXPECT_EQ (read.values[v].data, written.values[v].data) << written.values[v].name;
        }
    }
}

TEST (RegistryFileTests, LoadsFilesWithinTheSizeLimit)
{
    const auto folder = std::filesystem::path (std::getenv ("HOME"));
    RegistryFile registry;

    EXPECT_EQ (registry.load ((folder / "absent.reg").string()), RegistryFile::LoadResult::missing);
    EXPECT_EQ (registry.load ((folder / "absent" / "x.reg").string()), RegistryFile::LoadResult::missing);
    EXPECT_EQ (registry.load (folder.string()), RegistryFile::LoadResult::unreadable);

    const auto huge = folder / "huge.reg";
    std::ofstream (huge) << "Windows Registry Editor Version 5.00\n";
    std::filesystem::resize_file (huge, RegistryFile::maximumFileSize + 1);
    EXPECT_EQ (registry.load (huge.string()), RegistryFile::LoadResult::malformed);

    const auto good = folder / "good.reg";
    std::ofstream (good) << "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\K]\n";
    EXPECT_EQ (registry.load (good.string()), RegistryFile::LoadResult::loaded);
    EXPECT_TRUE (registry.hasKey ("HKEY_CLASSES_ROOT\\K"));
}
