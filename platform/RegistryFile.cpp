#include "platform/RegistryFile.h"
#include "platform/WideText.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace win
{
namespace
{

bool isSpace (char c) noexcept { return c == ' ' || c == '\t'; }

std::string_view trim (std::string_view s)
{
    while (! s.empty() && isSpace (s.front()))
        s.remove_prefix (1);

    while (! s.empty() && isSpace (s.back()))
        s.remove_suffix (1);

    return s;
}

std::optional<unsigned> hexDigit (char c)
{
    if (c >= '0' && c <= '9') return static_cast<unsigned> (c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned> (c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned> (c - 'A' + 10);
    return std::nullopt;
}

// 1 to maxDigits hex digits and nothing else.
std::optional<std::uint32_t> parseHexNumber (std::string_view s, std::size_t maxDigits)
{
    if (s.empty() || s.size() > maxDigits)
        return std::nullopt;

    std::uint32_t value = 0;

    for (const auto c : s)
    {
        const auto digit = hexDigit (c);

        if (! digit)
            return std::nullopt;

        value = (value << 4) | *digit;
    }

    return value;
}

std::string_view withoutTrailingSeparator (std::string_view path)
{
    if (! path.empty() && path.back() == '\\')
        path.remove_suffix (1);

    return path;
}

// "HKEY_..." followed by non-empty key names, each separated by one backslash.
bool isValidKeyPath (std::string_view path)
{
    if (path.substr (0, 5) != "HKEY_")
        return false;

    std::size_t start = 0;

    while (true)
    {
        const auto end = path.find ('\\', start);

        if (end == start || start == path.size())
            return false;

        if (end == std::string_view::npos)
            return true;

        start = end + 1;
    }
}

bool isSameOrBelow (std::string_view path, std::string_view ancestor)
{
    if (path.size() < ancestor.size())
        return false;

    return WideText::equalsIgnoringCase (path.substr (0, ancestor.size()), ancestor)
        && (path.size() == ancestor.size() || path[ancestor.size()] == '\\');
}

// A "..." string with \\ and \" escapes, starting at text[pos]; pos ends after the closing quote.
bool parseQuoted (std::string_view text, std::size_t& pos, std::string& result, std::string& error)
{
    result.clear();
    ++pos;

    while (pos < text.size())
    {
        const auto c = text[pos++];

        if (c == '"')
            return true;

        if (c == '\\')
        {
            if (pos < text.size() && (text[pos] == '\\' || text[pos] == '"'))
            {
                result += text[pos++];
                continue;
            }

            error = "a backslash in a quoted string must be followed by \\ or \"";
            return false;
        }

        result += c;
    }

    error = "unterminated quoted string";
    return false;
}

// Reads logical lines: a trailing CR is dropped.
class LineReader
{
public:
    explicit LineReader (std::string_view textToRead) : text (textToRead) {}

    bool next (std::string_view& line)
    {
        if (position >= text.size())
            return false;

        auto end = text.find ('\n', position);

        if (end == std::string_view::npos)
            end = text.size();

        line = text.substr (position, end - position);
        position = end + 1;
        ++number;

        if (! line.empty() && line.back() == '\r')
            line.remove_suffix (1);

        return true;
    }

    int getLineNumber() const noexcept { return number; }

private:
    std::string_view text;
    std::size_t position = 0;
    int number = 0;
};

// "xx,xx,...", with lines continued by a trailing backslash.
bool parseHexBytes (std::string_view first, LineReader& lines, std::vector<BYTE>& bytes, std::string& error)
{
    std::string list;
    auto part = trim (first);

    while (! part.empty() && part.back() == '\\')
    {
        list.append (part.substr (0, part.size() - 1));

        std::string_view nextLine;

        if (! lines.next (nextLine))
        {
            error = "the file ends after a line continuation";
            return false;
        }

        part = trim (nextLine);
    }

    list.append (part);

    std::string_view rest (list);

    while (! trim (rest).empty())
    {
        const auto comma = rest.find (',');
        const auto token = trim (rest.substr (0, comma));
        const auto byte = parseHexNumber (token, 2);

        if (! byte)
        {
            error = "\"" + std::string (token) + "\" is not a hex byte";
            return false;
        }

        bytes.push_back (static_cast<BYTE> (*byte));

        if (comma == std::string_view::npos)
            break;

        rest.remove_prefix (comma + 1);
    }

    return true;
}


} // namespace

//==============================================================================
std::string RegistryFile::defaultPath()
{
    const char* home = std::getenv ("HOME");

    if (home == nullptr || *home == 0)
        return {};

    return std::string (home) + "/.config/Kelvaro/registry.reg";
}

RegistryFile::LoadResult RegistryFile::load (const std::string& path)
{
    keys.clear();
    error.clear();

    std::FILE* file = path.empty() ? nullptr : std::fopen (path.c_str(), "rb");

    if (file == nullptr)
    {
        if (path.empty() || errno == ENOENT || errno == ENOTDIR)
            return LoadResult::missing;

        error = "cannot open " + path;
        return LoadResult::unreadable;
    }

    std::string bytes;
    char buffer[16384];
    bool tooLarge = false;

    while (true)
    {
        const auto count = std::fread (buffer, 1, sizeof (buffer), file);
        bytes.append (buffer, count);

        if (bytes.size() > maximumFileSize)
        {
            tooLarge = true;
            break;
        }

        if (count < sizeof (buffer))
            break;
    }

    const bool failed = std::ferror (file) != 0;
    std::fclose (file);

    if (failed)
    {
        error = "cannot read " + path;
        return LoadResult::unreadable;
    }

    if (tooLarge)
    {
        error = path + " is larger than the registry file limit";
        return LoadResult::malformed;
    }

    if (! parse (bytes))
    {
        error = path + ": " + error;
        return LoadResult::malformed;
    }

    return LoadResult::loaded;
}

bool RegistryFile::parse (std::string_view bytes)
{
    keys.clear();
    error.clear();

    std::string converted;

    if (bytes.substr (0, 3) == "\xEF\xBB\xBF")
    {
        bytes.remove_prefix (3);
    }
    else if (bytes.substr (0, 2) == "\xFF\xFE")
    {
        if (bytes.size() % 2 != 0)
        {
            error = "odd number of bytes in a UTF-16 file";
            return false;
        }

        std::u16string units;

        for (std::size_t i = 2; i < bytes.size(); i += 2)
            units += static_cast<char16_t> (static_cast<unsigned char> (bytes[i])
                                            | (static_cast<unsigned char> (bytes[i + 1]) << 8));

        converted = WideText::toUtf8 (units);
        bytes = converted;
    }

    std::u16string check;

    if (bytes.find ('\0') != std::string_view::npos || ! WideText::fromUtf8 (bytes, check))
    {
        error = "the file is not UTF-8 text";
        return false;
    }

    if (! parseText (bytes))
    {
        keys.clear();
        return false;
    }

    return true;
}

bool RegistryFile::parseText (std::string_view text)
{
    LineReader lines (text);
    std::string_view line;

    const auto fail = [&] (const std::string& reason)
    {
        error = "line " + std::to_string (lines.getLineNumber()) + ": " + reason;
        return false;
    };

    if (! lines.next (line) || trim (line) != RegistryFile::headerLine)
        return fail ("the first line must be \"" + std::string (RegistryFile::headerLine) + "\"");

    std::optional<std::string> currentKey;   // none after a [-key] section

    while (lines.next (line))
    {
        line = trim (line);

        if (line.empty() || line.front() == ';')
            continue;

        if (line.front() == '[')
        {
            if (line.back() != ']')
                return fail ("a key section must end with ]");

            auto path = line.substr (1, line.size() - 2);
            const bool removal = ! path.empty() && path.front() == '-';

            if (removal)
                path.remove_prefix (1);

            path = withoutTrailingSeparator (path);

            if (! isValidKeyPath (path))
                return fail ("\"" + std::string (path) + "\" is not a key path");

            if (removal)
            {
                removeKey (path);
                currentKey.reset();
            }
            else
            {
                createKey (path);
                currentKey = std::string (path);
            }

            continue;
        }

        std::string name;
        std::size_t pos = 0;

        if (line.front() == '@')
            pos = 1;
        else if (line.front() == '"')
        {
            std::string reason;

            if (! parseQuoted (line, pos, name, reason))
                return fail (reason);
        }
        else
            return fail ("a value line must start with @ or \"");

        while (pos < line.size() && isSpace (line[pos]))
            ++pos;

        if (pos >= line.size() || line[pos] != '=')
            return fail ("= expected after the value name");

        const auto data = trim (line.substr (pos + 1));

        if (! currentKey)
            return fail ("a value outside of a key section");

        if (data == "-")
        {
            removeValue (*currentKey, name);
        }
        else if (! data.empty() && data.front() == '"')
        {
            std::size_t end = 0;
            std::string text8, reason;

            if (! parseQuoted (data, end, text8, reason))
                return fail (reason);

            if (end != data.size())
                return fail ("unexpected text after a quoted string");

            std::u16string units;
            WideText::fromUtf8 (text8, units);   // the whole file was checked to be UTF-8
            setValue (*currentKey, name, REG_SZ, WideText::toRegistryBytes (units));
        }
        else if (data.substr (0, 6) == "dword:")
        {
            const auto number = parseHexNumber (data.substr (6), 8);

            if (! number)
                return fail ("a dword value needs 1 to 8 hex digits");

            setValue (*currentKey, name, REG_DWORD,
                      { static_cast<BYTE> (*number), static_cast<BYTE> (*number >> 8),
                        static_cast<BYTE> (*number >> 16), static_cast<BYTE> (*number >> 24) });
        }
        else if (data.substr (0, 3) == "hex")
        {
            auto rest = data.substr (3);
            DWORD type = REG_BINARY;

            if (! rest.empty() && rest.front() == '(')
            {
                const auto close = rest.find (')');
                const auto number = close == std::string_view::npos ? std::nullopt
                                                                    : parseHexNumber (rest.substr (1, close - 1), 8);
                if (! number)
                    return fail ("hex(N) needs a type number of 1 to 8 hex digits");

                type = *number;
                rest.remove_prefix (close + 1);
            }

            if (rest.empty() || rest.front() != ':')
                return fail (": expected after hex");

            std::vector<BYTE> bytes;
            std::string reason;

            if (! parseHexBytes (rest.substr (1), lines, bytes, reason))
                return fail (reason);

            setValue (*currentKey, name, type, std::move (bytes));
        }
        else
        {
            return fail ("unknown value data \"" + std::string (data) + "\"");
        }
    }

    return true;
}

//==============================================================================
bool RegistryFile::hasKey (std::string_view path) const
{
    path = withoutTrailingSeparator (path);

    for (const auto& key : keys)
        if (isSameOrBelow (key.path, path))
            return true;

    return false;
}

const RegistryFile::Key* RegistryFile::findKey (std::string_view path) const
{
    path = withoutTrailingSeparator (path);

    for (const auto& key : keys)
        if (WideText::equalsIgnoringCase (key.path, path))
            return &key;

    return nullptr;
}

RegistryFile::Key* RegistryFile::findMutableKey (std::string_view path)
{
    return const_cast<Key*> (static_cast<const RegistryFile&> (*this).findKey (path));
}

const RegistryFile::Value* RegistryFile::findValue (const Key& key, std::string_view name)
{
    for (const auto& value : key.values)
        if (WideText::equalsIgnoringCase (value.name, name))
            return &value;

    return nullptr;
}

void RegistryFile::createKey (std::string_view path)
{
    path = withoutTrailingSeparator (path);

    if (findKey (path) == nullptr)
        keys.push_back ({ std::string (path), {} });
}

void RegistryFile::setValue (std::string_view keyPath, std::string_view name, DWORD type, std::vector<BYTE> data)
{
    createKey (keyPath);
    auto& key = *findMutableKey (keyPath);

    for (auto& value : key.values)
    {
        if (WideText::equalsIgnoringCase (value.name, name))
        {
            value.type = type;
            value.data = std::move (data);
            return;
        }
    }

    key.values.push_back ({ std::string (name), type, std::move (data) });
}

void RegistryFile::removeValue (std::string_view keyPath, std::string_view name)
{
    if (auto* key = findMutableKey (keyPath))
        for (auto it = key->values.begin(); it != key->values.end(); ++it)
            if (WideText::equalsIgnoringCase (it->name, name))
            {
                key->values.erase (it);
                return;
            }
}

void RegistryFile::removeKey (std::string_view path)
{
    path = withoutTrailingSeparator (path);

    for (auto it = keys.begin(); it != keys.end();)
        it = isSameOrBelow (it->path, path) ? keys.erase (it) : it + 1;
}
} // namespace win
