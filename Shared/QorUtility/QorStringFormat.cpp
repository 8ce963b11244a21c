// QorStringFormat.cpp: CQorString::Format: a size estimate from one scan of the format reserves the
// buffer, the runtime's _vsnprintf formats into it bounded, and output that does not fit is
// measured with _vscprintf and formatted again into a buffer of the measured size.
#include "QorString.h"

#include "QorPlatform.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

// The size prefix of a conversion, as far as it tells which argument type the conversion reads.
enum class SizeMark { None, Short, Long, LongLong, PointerSize };

// One scan of a format: the estimate of its output, reading the arguments as the formatting will.
// Widths, precisions and string lengths come from the arguments; every conversion steps over its
// argument by its real C type, so each later conversion finds its own.
class FormatEstimate {
public:
    FormatEstimate(va_list args, const char *blockBegin, const char *blockEnd)
        : m_blockBegin(blockBegin), m_blockEnd(blockEnd)
    {
        va_copy(m_args, args);
    }
    ~FormatEstimate() { va_end(m_args); }
    FormatEstimate(const FormatEstimate &) = delete;
    FormatEstimate &operator=(const FormatEstimate &) = delete;

    long long Scan(const char *format);
    // True when a text argument points into the block that the formatting will write.
    bool ReadsFromBlock() const { return m_readsFromBlock; }
    // True when the format has a %n, which would write the count so far through its argument.
    bool StoresCount() const { return m_storesCount; }

private:
    long long Conversion(const char *&p);
    long long Item(char conversion, SizeMark mark, int width, int precision);
    long long TextItem(bool wide, int width, int precision);
    void StepInteger(SizeMark mark);
    static SizeMark ReadSizeMark(const char *&p);
    static int ReadNumber(const char *&p);
    static long long StringRule(long long length, int width, int precision);

    va_list m_args;
    const char *m_blockBegin;
    const char *m_blockEnd;
    bool m_readsFromBlock = false;
    bool m_storesCount = false;
};

long long FormatEstimate::Scan(const char *format)
{
    long long estimate = 0;
    const char *p = format;
    while (*p) {
        if (*p != '%') {
            ++estimate;
            ++p;
        } else if (p[1] == '%') {
            ++estimate;
            p += 2;
        } else {
            ++p; // a lone '%' at the very end: Conversion finds nothing and the scan ends
            estimate += Conversion(p);
        }
    }
    return estimate;
}

// Flags ('#' adds 2, '*' reads the width), width, precision, size prefix, conversion character.
long long FormatEstimate::Conversion(const char *&p)
{
    long long estimate = 0;
    int width = 0;
    for (;; ++p) {
        if (*p == '#')
            estimate += 2;
        else if (*p == '*')
            width = va_arg(m_args, int);
        else if (!*p || !strchr("-+0 ", *p))
            break;
    }
    if (width == 0)
        width = ReadNumber(p);
    int precision = 0;
    if (*p == '.') {
        ++p;
        if (*p == '*') {
            precision = std::max(va_arg(m_args, int), 0); // a negative precision counts as none
            ++p;
        } else {
            precision = ReadNumber(p);
        }
    }
    SizeMark mark = ReadSizeMark(p);
    char conversion = *p;
    if (!conversion)
        return estimate;
    ++p;
    return estimate + Item(conversion, mark, width, precision);
}

// The size prefixes of the Windows runtime (I64, I32, I), of C (hh, h, l, ll, j, z, t) and w, the
// runtime's wide-text mark, which reads like l. Then one F, L or N (far, long double and near in the
// runtime's terms) is skipped: it changes nothing that the estimate reads.
SizeMark FormatEstimate::ReadSizeMark(const char *&p)
{
    struct Prefix {
        const char *text;
        SizeMark mark;
    };
    static const Prefix prefixes[] = {
        // longest first, so that "I64" is not read as "I" nor "ll" as "l"
        {"I64", SizeMark::LongLong}, {"I32", SizeMark::None}, {"hh", SizeMark::Short},
        {"ll", SizeMark::LongLong},  {"I", SizeMark::PointerSize}, {"h", SizeMark::Short},
        {"l", SizeMark::Long},       {"w", SizeMark::Long},   {"j", SizeMark::LongLong},
        {"z", SizeMark::PointerSize}, {"t", SizeMark::PointerSize},
    };
    SizeMark mark = SizeMark::None;
    for (const Prefix &prefix : prefixes) {
        size_t length = strlen(prefix.text);
        if (strncmp(p, prefix.text, length) == 0) {
            mark = prefix.mark;
            p += length;
            break;
        }
    }
    if (*p == 'F' || *p == 'L' || *p == 'N')
        ++p;
    return mark;
}

int FormatEstimate::ReadNumber(const char *&p)
{
    long long number = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        number = std::min(number * 10 + (*p - '0'), (long long)INT_MAX);
    return (int)number;
}

// The length of one conversion's output, as far as the format and its argument tell it.
long long FormatEstimate::Item(char conversion, SizeMark mark, int width, int precision)
{
    long long widthAndPrecision = (long long)width + precision;
    switch (conversion) {
    case 'c':
    case 'C':
        (void)va_arg(m_args, int);
        return StringRule(2, width, precision);
    case 's':
        return TextItem(mark == SizeMark::Long, width, precision);
    case 'S':
        return TextItem(mark != SizeMark::Short, width, precision);
    case 'd':
    case 'i':
    case 'o':
    case 'u':
    case 'x':
    case 'X':
        StepInteger(mark);
        return std::max(32LL, widthAndPrecision);
    case 'e':
    case 'g':
    case 'G':
        (void)va_arg(m_args, double);
        return std::max(128LL, widthAndPrecision);
    case 'f':
        (void)va_arg(m_args, double);
        return std::max(128LL, 312LL + precision);
    case 'E': // nothing estimated (the measured second try gives them room), but the double is
              // stepped over so that later conversions find their own arguments
    case 'a':
    case 'A':
        (void)va_arg(m_args, double);
        return 0;
    case 'p':
        (void)va_arg(m_args, void *);
        return std::max(32LL, widthAndPrecision);
    case 'n':
        (void)va_arg(m_args, void *);
        m_storesCount = true;
        return 0;
    default:
        return 0;
    }
}

void FormatEstimate::StepInteger(SizeMark mark)
{
    switch (mark) {
    case SizeMark::LongLong: (void)va_arg(m_args, long long); break;
    case SizeMark::Long: (void)va_arg(m_args, LONG); break; // the runtime's long: 32 bits on every build
    case SizeMark::PointerSize: (void)va_arg(m_args, INT_PTR); break;
    default: (void)va_arg(m_args, int); break;
    }
}

// A null text prints as "(null)". Only the characters that a precision lets through are read, as the
// formatting reads them: the text need not be terminated beyond them.
long long FormatEstimate::TextItem(bool wide, int width, int precision)
{
    const void *text = va_arg(m_args, const void *);
    long long length = 6;
    if (text) {
        std::less_equal<const void *> atOrBefore;
        if (atOrBefore(m_blockBegin, text) && !atOrBefore(m_blockEnd, text))
            m_readsFromBlock = true;
        long long limit = precision > 0 ? precision : LLONG_MAX;
        length = 0;
        if (wide) {
            for (auto *w = static_cast<const WCHAR *>(text); length < limit && w[length]; )
                ++length;
        } else {
            for (auto *c = static_cast<const char *>(text); length < limit && c[length]; )
                ++length;
        }
        length = std::max(length, 1LL);
    }
    return StringRule(length, width, precision);
}

// A precision cuts the text; a wider width pads it.
long long FormatEstimate::StringRule(long long length, int width, int precision)
{
    if (precision != 0 && length >= precision)
        length = precision;
    return std::max(length, (long long)width);
}

// Formats into a buffer of `bufferLength` bytes, terminator included, and answers the length written;
// -1 when the output does not fit (the buffer then holds a cut text) or the runtime refuses the format.
int FormatInto(char *buffer, int bufferLength, const char *format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int written = _vsnprintf(buffer, (size_t)bufferLength - 1, format, copy);
    va_end(copy);
    if (written < 0 || written >= bufferLength)
        return -1;
    buffer[written] = 0; // the runtime leaves it out when the output fills the count exactly
    return written;
}

int FormattedLength(const char *format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int length = _vscprintf(format, copy);
    va_end(copy);
    return length;
}

} // namespace

void CQorString::Format(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    try {
        FormatV(format, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

// A text argument inside this string's block is kept alive by a second holder: the shared block is
// then left for a new one, so formatting never reads what it writes. A %n is refused before the
// runtime sees it, on every build, so a format string can never write memory. The length is the one
// the runtime reports, so a %c of 0 stays in the text as the runtime wrote it instead of cutting it.
void CQorString::FormatV(const char *format, va_list args)
{
    if (!format) {
        Empty();
        return;
    }
    const char *blockEnd = m_pData ? m_pszText + m_pData->nBufferLength : m_pszText;
    FormatEstimate estimate(args, m_pszText, blockEnd);
    long long reserve = std::clamp(estimate.Scan(format), 0LL, (long long)INT_MAX);
    if (estimate.StoresCount()) {
        Empty();
        return;
    }
    CQorString sourceHolder;
    if (estimate.ReadsFromBlock())
        sourceHolder = *this;
    char *buffer = GetBuffer((int)reserve);
    int length = FormatInto(buffer, BufferLength(), format, args);
    if (length < 0) {
        int needed = FormattedLength(format, args);
        if (needed >= 0) {
            buffer = GetBuffer(needed);
            length = FormatInto(buffer, BufferLength(), format, args);
        }
    }
    ReleaseBuffer(length < 0 ? 0 : length); // a format that the runtime refuses leaves the empty text
}
