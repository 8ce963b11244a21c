// QorToolArguments.cpp: reading the numbers that qor's commands take, and echoing input in errors.
#include "QorToolCommand.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace qor::tool {

uint32_t ParseNumber32(const std::string &text)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *digits = text.c_str() + (hex ? 2 : 0);
    char *end = nullptr;
    errno = 0;
    long long value = hex ? (long long)std::strtoull(digits, &end, 16) : std::strtoll(digits, &end, 10);
    // strtoll would skip leading blanks and take a sign after 0x: a number is digits from its start.
    const bool startsRight = !text.empty() && (std::isxdigit((unsigned char)digits[0]) || (!hex && digits[0] == '-'));
    const bool whole = startsRight && end != digits && *end == '\0' && errno == 0;
    if (!whole || value < INT32_MIN || value > (long long)UINT32_MAX)
        throw UsageError(Echo(text) + " is not a 32-bit number (decimal, or hexadecimal with 0x)");
    return (uint32_t)value;
}

std::string Echo(const std::string &input)
{
    const size_t kLongest = 100;
    std::string quoted = "'";
    for (size_t i = 0; i < input.size() && i < kLongest; ++i) {
        unsigned char ch = (unsigned char)input[i];
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", ch);
        quoted += ch < 0x20 || ch == 0x7F ? std::string(escaped) : std::string(1, (char)ch);
    }
    return quoted + (input.size() > kLongest ? "...'" : "'");
}

} // namespace qor::tool
