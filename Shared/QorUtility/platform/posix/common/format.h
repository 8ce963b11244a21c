// format.h: the printf engine behind _vsnprintf and FormatMessageA's inserts. It parses each
// conversion itself (Windows size prefixes, UTF-16 %S/%C) and asks its argument source for each value
// by the value's C type, so that one engine serves a va_list and an array of insert values alike.
#pragma once

#include "QorPlatform.h"

#include <cstdarg>
#include <cstdint>
#include <string>

namespace qor::platform {

// The C type in which a conversion's argument was passed.
enum class FormatArgumentType { Int, Long, LongLong, IntMax, Size, PtrDiff };

class FormatArguments {
public:
    virtual ~FormatArguments() = default;
    // The next integer argument of `type`, widened (unsigned types keep their bits).
    virtual intmax_t NextInteger(FormatArgumentType type) = 0;
    virtual double NextDouble() = 0;
    virtual long double NextLongDouble() = 0;
    virtual const void *NextPointer() = 0;
};

// The arguments of a printf-style call.
class VaListArguments : public FormatArguments {
public:
    explicit VaListArguments(va_list args);
    ~VaListArguments() override;
    VaListArguments(const VaListArguments &) = delete;
    VaListArguments &operator=(const VaListArguments &) = delete;

    intmax_t NextInteger(FormatArgumentType type) override;
    double NextDouble() override;
    long double NextLongDouble() override;
    const void *NextPointer() override;

private:
    va_list m_args;
};

// Appends the text of `format` with its arguments to `out`. Returns false, with errno EINVAL, for a
// malformed or unknown conversion (the Windows runtime's invalid-parameter case).
bool FormatText(const char *format, FormatArguments &args, std::string &out);

// Formats a printf-style call into `text`; false (errno set) when the format is invalid or the text
// longer than an int can count.
bool FormatToText(const char *format, va_list argptr, std::string &text);

} // namespace qor::platform
