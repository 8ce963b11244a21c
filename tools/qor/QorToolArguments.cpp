// QorToolArguments.cpp: reading the numbers that qor's commands take.
#include "QorToolCommand.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace qor::tool {

uint32_t ParseNumber32(const std::string &text)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *digits = text.c_str() + (hex ? 2 : 0);
    char *end = nullptr;
    errno = 0;
    long long value = hex ? (long long)std::strtoull(digits, &end, 16) : std::strtoll(digits, &end, 10);
    const bool whole = !text.empty() && end != digits && *end == '\0' && errno == 0;
    if (!whole || (hex && digits[0] == '-') || value < INT32_MIN || value > (long long)UINT32_MAX)
        throw UsageError("'" + text + "' is not a 32-bit number (decimal, or hexadecimal with 0x)");
    return (uint32_t)value;
}

} // namespace qor::tool
