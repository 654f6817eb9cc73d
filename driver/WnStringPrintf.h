#pragma once

// printf into a bounded buffer, narrow and wide. The text is cut where the buffer ends and is
// always terminated (when the capacity is not 0).
//
// Result: 0 when the whole text fitted. Otherwise the errno left by the formatter decides:
// 0 (the usual case, a cut text) gives 111 (ERROR_BUFFER_OVERFLOW), 22 (EINVAL) gives 87
// (ERROR_INVALID_PARAMETER), any other value is returned as it is.
//
// The wide formatter is our own and knows only what the trace log needs: the conversions
// %s (a wide string; null prints "(null)"), %d and %i (int), %u, %x and %X (unsigned int),
// %c (a wide character, passed as int) and %%, each with the optional flags '-' and '0' and a
// field width. Anything else fails with EINVAL.

#include "platform/WinTypes.h"

#include <cstddef>

int WnStringPrintfA (char* buffer, std::size_t capacity, const char* format, ...)
#if defined (__GNUC__)
    __attribute__ ((format (printf, 3, 4)))
#endif
    ;

int WnStringPrintfW (win::WCHAR* buffer, std::size_t capacity, const win::WCHAR* format, ...);
