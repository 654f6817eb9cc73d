#include "support/platform/RegistryFileWriter.h"

#include "platform/WideText.h"

#include <cstdio>
#include <optional>

namespace win
{
namespace
{
constexpr std::string_view newLine = "\r\n";
constexpr std::size_t bytesPerHexLine = 20;

std::string quoted (std::string_view text)
{
    std::string out = "\"";

    for (const auto c : text)
    {
        if (c == '\\' || c == '"')
            out += '\\';

        out += c;
    }

    return out + "\"";
}

// The text of a REG_SZ value, when writing it as "..." gives back exactly its bytes.
std::optional<std::string> representableString (const std::vector<BYTE>& data)
{
    if (data.size() < 2 || data.size() % 2 != 0)
        return std::nullopt;

    std::u16string units;

    for (std::size_t i = 0; i + 2 < data.size(); i += 2)
        units += static_cast<char16_t> (data[i] | (data[i + 1] << 8));

    if (data[data.size() - 2] != 0 || data.back() != 0)
        return std::nullopt;

    for (const auto unit : units)
        if (unit < 0x20 || unit == 0x7F)
            return std::nullopt;

    auto text = WideText::toUtf8 (units);
    std::u16string roundTrip;

    if (! WideText::fromUtf8 (text, roundTrip) || roundTrip != units)
        return std::nullopt;

    return text;
}

std::string hexList (const std::vector<BYTE>& data)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;

    for (std::size_t i = 0; i < data.size(); ++i)
    {
        if (i > 0)
            out += (i % bytesPerHexLine == 0) ? std::string (",\\") + std::string (newLine) + "  " : std::string (",");

        out += digits[data[i] >> 4];
        out += digits[data[i] & 0x0F];
    }

    return out;
}

std::string valueText (const RegistryFile::Value& value)
{
    if (const auto text = value.type == REG_SZ ? representableString (value.data) : std::nullopt)
        return quoted (*text);

    if (value.type == REG_DWORD && value.data.size() == 4)
    {
        char digits[9];
        std::snprintf (digits, sizeof (digits), "%08x",
                       static_cast<unsigned> (value.data[0] | (value.data[1] << 8)
                                              | (value.data[2] << 16) | (value.data[3] << 24)));
        return std::string ("dword:") + digits;
    }

    char prefix[20];

    if (value.type == REG_BINARY)
        std::snprintf (prefix, sizeof (prefix), "hex:");
    else
        std::snprintf (prefix, sizeof (prefix), "hex(%x):", static_cast<unsigned> (value.type));

    return prefix + hexList (value.data);
}
} // namespace

std::string RegistryFileWriter::toText (const RegistryFile& registry)
{
    std::string out (RegistryFile::headerLine);
    out += newLine;

    for (const auto& key : registry.getKeys())
    {
        out += newLine;
        out += "[" + key.path + "]";
        out += newLine;

        for (const auto& value : key.values)
        {
            out += value.name.empty() ? std::string ("@") : quoted (value.name);
            out += "=";
            out += valueText (value);
            out += newLine;
        }
    }

    return out;
}

bool RegistryFileWriter::save (const RegistryFile& registry, const std::string& path)
{
    const auto temporary = path + ".tmp";
    std::FILE* file = std::fopen (temporary.c_str(), "wb");

    if (file == nullptr)
        return false;

    const auto text = toText (registry);
    const bool written = std::fwrite (text.data(), 1, text.size(), file) == text.size();

    if (std::fclose (file) != 0 || ! written)
    {
        std::remove (temporary.c_str());
        return false;
    }

    return std::rename (temporary.c_str(), path.c_str()) == 0;
}
} // namespace win
