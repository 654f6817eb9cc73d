#include "driver/WnStringPrintf.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>

namespace
{
constexpr int bufferOverflow   = 111; // ERROR_BUFFER_OVERFLOW
constexpr int invalidParameter = 87;  // ERROR_INVALID_PARAMETER

int failureResult()
{
    const int error = errno;

    if (error == 0)
        return bufferOverflow;

    if (error == EINVAL)
        return invalidParameter;

    return error;
}

/** Appends wide characters to a bounded buffer; notes when something did not fit. */
class WideWriter
{
public:
    WideWriter (win::WCHAR* destination, std::size_t size)
        : buffer (destination), capacity (size)
    {
    }

    bool put (win::WCHAR c)
    {
        if (length + 1 >= capacity)
        {
            cut = true;
            return false;
        }

        buffer[length++] = c;
        return true;
    }

    void pad (win::WCHAR c, long count)
    {
        for (long i = 0; i < count; ++i)
            if (! put (c))
                return;
    }

    void terminate()               { buffer[length] = 0; }
    bool wasCut() const noexcept   { return cut; }

private:
    win::WCHAR* buffer;
    std::size_t capacity;
    std::size_t length = 0;
    bool cut = false;
};

struct FieldFormat
{
    bool leftAlign = false;
    bool zeroPad = false;
    long width = 0;
};

void putField (WideWriter& out, const FieldFormat& field, const win::WCHAR* sign, const win::WCHAR* body, long bodyLength)
{
    long signLength = 0;
    while (sign[signLength] != 0)
        ++signLength;

    const long padding = field.width - signLength - bodyLength;

    if (! field.leftAlign && ! field.zeroPad)
        out.pad (u' ', padding);

    for (long i = 0; i < signLength; ++i)
        out.put (sign[i]);

    if (! field.leftAlign && field.zeroPad)
        out.pad (u'0', padding);

    for (long i = 0; i < bodyLength; ++i)
        if (! out.put (body[i]))
            break;

    if (field.leftAlign)
        out.pad (u' ', padding);
}

void putNumber (WideWriter& out, const FieldFormat& field, bool negative, unsigned long long value, unsigned base, bool upperCase)
{
    const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    win::WCHAR text[24] = {};
    long length = 0;

    do
    {
        text[length++] = static_cast<win::WCHAR> (digits[value % base]);
        value /= base;
    }
    while (value != 0);

    for (long i = 0; i < length / 2; ++i)
    {
        const auto swapped = text[i];
        text[i] = text[length - 1 - i];
        text[length - 1 - i] = swapped;
    }

    putField (out, field, negative ? u"-" : u"", text, length);
}

/** Returns false, with errno set to EINVAL, on a conversion it does not know. */
bool formatWide (WideWriter& out, const win::WCHAR* format, va_list args)
{
    for (auto* p = format; *p != 0; ++p)
    {
        if (*p != u'%')
        {
            out.put (*p);
            continue;
        }

        FieldFormat field;

        for (++p; *p == u'-' || *p == u'0'; ++p)
        {
            if (*p == u'-')
                field.leftAlign = true;
            else
                field.zeroPad = true;
        }

        for (; *p >= u'0' && *p <= u'9'; ++p)
            field.width = field.width < INT_MAX / 10 ? field.width * 10 + (*p - u'0') : INT_MAX;

        switch (*p)
        {
            case u'%':
                out.put (u'%');
                break;

            case u'c':
            {
                const win::WCHAR c[] = { static_cast<win::WCHAR> (va_arg (args, int)), 0 };
                field.zeroPad = false;
                putField (out, field, u"", c, 1);
                break;
            }

            case u's':
            {
                const auto* text = va_arg (args, const win::WCHAR*);

                if (text == nullptr)
                    text = u"(null)";

                long length = 0;
                while (text[length] != 0)
                    ++length;

                field.zeroPad = false;
                putField (out, field, u"", text, length);
                break;
            }

            case u'd':
            case u'i':
            {
                const long long value = va_arg (args, int);
                putNumber (out, field, value < 0, static_cast<unsigned long long> (value < 0 ? -value : value), 10, false);
                break;
            }

            case u'u':
                putNumber (out, field, false, va_arg (args, unsigned int), 10, false);
                break;

            case u'x':
            case u'X':
                putNumber (out, field, false, va_arg (args, unsigned int), 16, *p == u'X');
                break;

            default:
                errno = EINVAL;
                return false;
        }
    }

    return true;
}

/** Checks the arguments and empties the buffer; false (with errno EINVAL) when they are unusable.
    Clears errno otherwise, so that a stale value never passes for the formatter's verdict. */
template <typename Char>
bool startFormatting (Char* buffer, std::size_t capacity, const Char* format)
{
    if (buffer == nullptr || capacity == 0)
    {
        errno = EINVAL;
        return false;
    }

    buffer[0] = 0;

    if (format == nullptr)
    {
        errno = EINVAL;
        return false;
    }

    errno = 0;
    return true;
}
} // namespace

int WnStringPrintfA (char* buffer, std::size_t capacity, const char* format, ...)
{
    if (! startFormatting (buffer, capacity, format))
        return failureResult();

    va_list args;
    va_start (args, format);
    const int length = std::vsnprintf (buffer, capacity, format, args);
    va_end (args);

    if (length < 0 || static_cast<std::size_t> (length) >= capacity)
        return failureResult();

    return 0;
}

int WnStringPrintfW (win::WCHAR* buffer, std::size_t capacity, const win::WCHAR* format, ...)
{
    if (! startFormatting (buffer, capacity, format))
        return failureResult();

    WideWriter out (buffer, capacity);

    va_list args;
    va_start (args, format);
    const bool known = formatWide (out, format, args);
    va_end (args);

    out.terminate();

    if (! known || out.wasCut())
        return failureResult();

    return 0;
}
