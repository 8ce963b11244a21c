// printf.cpp: the runtime's _vsnprintf, _snprintf and _vscprintf with the Windows rules: formats whose
// meaning is the same in the C library go to vsnprintf directly, the rest through the engine of
// common/format.h; then the Windows rules for a text that does not fit.
#include "common/format.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// True when every conversion of `format` means the same to the C library as to the Windows runtime:
// no size prefix (Windows' 'l' is 32-bit, I/I64/w are its own), no text or pointer forms that differ
// (%S, %C, %p, %a, %n, zero-padded or cut text), and no lone '%' at the end. Such a format goes to vsnprintf directly.
bool IsPortableFormat(const char *format)
{
    for (const char *p = std::strchr(format, '%'); p != nullptr; p = std::strchr(p, '%')) {
        ++p;
        const char *flags = p;
        p += std::strspn(p, "-+ #0");
        const bool zeroFlag = std::memchr(flags, '0', static_cast<size_t>(p - flags)) != nullptr;
        const char *sizes = p;
        p += std::strspn(p, "0123456789.*");
        const bool precision = std::memchr(sizes, '.', static_cast<size_t>(p - sizes)) != nullptr;
        if (*p == '\0' || std::strchr("diouxXeEfFgGcs%", *p) == nullptr)
            return false;
        // Text padded with zeros, and a cut null text, are Windows' own.
        if ((*p == 's' || *p == 'c') && (zeroFlag || precision))
            return false;
        ++p;
    }
    return true;
}

} // namespace

int _vsnprintf(char *buffer, size_t count, const char *format, va_list argptr)
{
    if (buffer == nullptr && count > 0) {
        errno = EINVAL;
        return -1;
    }
    if (format != nullptr && buffer != nullptr && IsPortableFormat(format)) {
        va_list args;
        va_copy(args, argptr);
        int length = vsnprintf(buffer, count, format, args);
        va_end(args);
        // The C library terminates a text that does not fit; Windows rules for that case below.
        if (length >= 0 && static_cast<size_t>(length) < count)
            return length;
    }
    std::string text;
    if (!qor::platform::FormatToText(format, argptr, text))
        return -1;
    if (buffer == nullptr) // a size query
        return static_cast<int>(text.size());
    std::memcpy(buffer, text.data(), std::min(text.size(), count));
    if (text.size() < count)
        buffer[text.size()] = '\0';
    // Exactly filled: no terminator, but the length; overflowing: truncated, no terminator, -1.
    return text.size() > count ? -1 : static_cast<int>(text.size());
}

int _snprintf(char *buffer, size_t count, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int result = _vsnprintf(buffer, count, format, args);
    va_end(args);
    return result;
}

int _vscprintf(const char *format, va_list argptr)
{
    if (format != nullptr && IsPortableFormat(format)) {
        va_list args;
        va_copy(args, argptr);
        int length = vsnprintf(nullptr, 0, format, args);
        va_end(args);
        return length;
    }
    std::string text;
    if (!qor::platform::FormatToText(format, argptr, text))
        return -1;
    return static_cast<int>(text.size());
}
