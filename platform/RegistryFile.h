#pragma once

// A registry held in a file of the Registry Editor 5.00 text format, which stands in for the
// Windows registry elsewhere than on Windows:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32]
//   @="/opt/driver/libapi.so"                    default value, REG_SZ (\\ and \" escaped)
//   "ThreadingModel"="Both"                      named REG_SZ value
//   "Path"=hex(2):25,00,41,00,00,00              any type as raw bytes (type number in hex),
//   "Blob"=hex:01,02,\                           REG_BINARY, lines continued with a backslash
//     03
//   "Count"=dword:0000002a                       REG_DWORD, little-endian
//   "Old"=-                                      removes a value
//   [-HKEY_CLASSES_ROOT\Stale]                   removes a key with its subkeys
//
// Strings are stored as regedit stores them: UTF-16LE with a terminating NUL; hex values keep
// their bytes exactly, with or without a NUL. Lines starting with ';' are comments. The file is
// UTF-8 (an optional byte-order mark is skipped) or UTF-16LE with a byte-order mark, as regedit
// writes it; lines end in LF or CR LF. Key and value names match ignoring ASCII case; a key
// exists when it is listed or when a listed key lies below it. Writing the file is for tests
// (tests/support/platform/RegistryFileWriter.h).

#include "platform/WinTypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace win
{
class RegistryFile
{
public:
    struct Value
    {
        std::string name;        // UTF-8; empty for the default value
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };

    struct Key
    {
        std::string path;        // UTF-8, with its root: "HKEY_CLASSES_ROOT\CLSID"
        std::vector<Value> values;
    };

    enum class LoadResult
    {
        loaded,
        missing,                 // no such file: an empty registry
        unreadable,              // the file exists but cannot be read
        malformed                // see getError()
    };

    /** The first line of every registry file. */
    static constexpr std::string_view headerLine = "Windows Registry Editor Version 5.00";

    /** Larger files are refused as malformed, so that a stray file cannot exhaust memory. */
    static constexpr std::size_t maximumFileSize = 16 * 1024 * 1024;

    /** $HOME/.config/Kelvaro/registry.reg; empty when HOME is not set. */
    static std::string defaultPath();

    /** Replaces the contents with those of the file. */
    LoadResult load (const std::string& path);

    /** Replaces the contents with those of the file's bytes; false when they are malformed, and
        then the registry is empty and getError() tells the line and the reason. */
    bool parse (std::string_view bytes);

    const std::string& getError() const noexcept { return error; }
    const std::vector<Key>& getKeys() const noexcept { return keys; }

    /** True when the key is listed or lies above a listed key (its parent keys are implied). */
    bool hasKey (std::string_view path) const;
    const Key* findKey (std::string_view path) const;
    static const Value* findValue (const Key& key, std::string_view name);

    void createKey (std::string_view path);
    void setValue (std::string_view keyPath, std::string_view name, DWORD type, std::vector<BYTE> data);
    void removeValue (std::string_view keyPath, std::string_view name);
    /** Removes the key and every key below it. */
    void removeKey (std::string_view path);

private:
    Key* findMutableKey (std::string_view path);
    bool parseText (std::string_view text);

    std::vector<Key> keys;
    std::string error;
};
} // namespace win
