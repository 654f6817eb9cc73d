#pragma once

// Conversions between the layer's wide strings (UTF-16, one char16_t per unit) and UTF-8, which
// is what file names and the registry file use here.

#include "platform/WinTypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace win
{
class WideText
{
public:
    /** The length in units of a NUL-terminated wide string; 0 for null. */
    static std::size_t length (LPCWSTR text);

    /** UTF-8 form of a NUL-terminated wide string (null gives an empty string). A unit that is
        not part of a valid surrogate pair becomes U+FFFD. */
    static std::string toUtf8 (LPCWSTR text);
    static std::string toUtf8 (std::u16string_view text);

    /** Decodes UTF-8 into UTF-16; false (and result unspecified) for input that is not valid
        UTF-8: overlong forms, surrogates, values above U+10FFFF, truncated sequences. */
    static bool fromUtf8 (std::string_view text, std::u16string& result);

    /** The units as little-endian bytes followed by a terminating NUL unit, as the registry stores
        a string. */
    static std::vector<BYTE> toRegistryBytes (std::u16string_view text);

    /** Lower-cases ASCII letters only: key and value names compare this way. */
    static char foldCase (char c) noexcept;
    static bool equalsIgnoringCase (std::string_view a, std::string_view b) noexcept;
};
} // namespace win
