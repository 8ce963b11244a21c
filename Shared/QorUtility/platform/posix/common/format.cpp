// format.cpp: the printf engine with the Windows runtime's rules, behind _vsnprintf and FormatMessageA's
// inserts. Each conversion is parsed here and its argument taken by its real C type; the single
// item is then formatted by the C library (numbers) or here (text, pointers). Windows differences
// kept: 'l' integers are 32-bit, I/I32/I64 size prefixes, %S/%C and %ls/%lc/%ws/%wc take UTF-16 text
// (written as UTF-8), %hs/%hc narrow text, %p as 16 uppercase hex digits, a null %s as "(null)", and
// '0' pads text with zeros. Floating-point output is the C library's (two-digit exponents).
#include "common/format.h"
#include "common/unicode.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace qor::platform {

VaListArguments::VaListArguments(va_list args) { va_copy(m_args, args); }

VaListArguments::~VaListArguments() { va_end(m_args); }

intmax_t VaListArguments::NextInteger(FormatArgumentType type)
{
    switch (type) {
    case FormatArgumentType::Int: return va_arg(m_args, int);
    case FormatArgumentType::Long: return va_arg(m_args, long);
    case FormatArgumentType::LongLong: return va_arg(m_args, long long);
    case FormatArgumentType::IntMax: return va_arg(m_args, intmax_t);
    case FormatArgumentType::Size: return static_cast<intmax_t>(va_arg(m_args, size_t));
    case FormatArgumentType::PtrDiff: return va_arg(m_args, ptrdiff_t);
    }
    return 0;
}

double VaListArguments::NextDouble() { return va_arg(m_args, double); }

long double VaListArguments::NextLongDouble() { return va_arg(m_args, long double); }

const void *VaListArguments::NextPointer() { return va_arg(m_args, const void *); }

namespace {

// The size prefix of a conversion. Windows' 'l' integer is 32-bit (its long); I is pointer-sized.
enum class SizePrefix { None, Char, Short, Long, LongLong, LongDouble, IntMax, Size, PtrDiff, Int32, Int64, PtrSize, Wide };

struct Conversion {
    std::string flags;
    int width = -1;
    int precision = -1;
    SizePrefix size = SizePrefix::None;
    char type = 0;
};

bool Invalid()
{
    errno = EINVAL;
    return false;
}

// Reads a decimal field or a '*' argument; null on overflow.
const char *ParseNumber(const char *p, FormatArguments &args, int &value, bool &fromArgument)
{
    fromArgument = *p == '*';
    if (fromArgument) {
        value = static_cast<int>(args.NextInteger(FormatArgumentType::Int));
        return p + 1;
    }
    long long number = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        number = number * 10 + (*p - '0');
        if (number > INT_MAX)
            return nullptr;
    }
    value = static_cast<int>(number);
    return p;
}

const char *ParseSize(const char *p, SizePrefix &size)
{
    struct Prefix {
        const char *text;
        SizePrefix size;
    };
    // Longest first, so that "hh" is not read as "h" and "I64" not as "I".
    static const Prefix prefixes[] = {
        {"hh", SizePrefix::Char}, {"ll", SizePrefix::LongLong}, {"I64", SizePrefix::Int64},
        {"I32", SizePrefix::Int32}, {"h", SizePrefix::Short},   {"l", SizePrefix::Long},
        {"L", SizePrefix::LongDouble}, {"j", SizePrefix::IntMax}, {"z", SizePrefix::Size},
        {"t", SizePrefix::PtrDiff}, {"I", SizePrefix::PtrSize},  {"w", SizePrefix::Wide},
    };
    for (const Prefix &prefix : prefixes) {
        size_t length = std::strlen(prefix.text);
        if (std::strncmp(p, prefix.text, length) == 0) {
            size = prefix.size;
            return p + length;
        }
    }
    size = SizePrefix::None;
    return p;
}

// Parses the conversion after a '%' (flags, width, precision, size, type); returns the position
// behind it, or null when it is malformed.
const char *ParseConversion(const char *p, FormatArguments &args, Conversion &conversion)
{
    while (*p != '\0' && std::strchr("-+ #0", *p) != nullptr)
        conversion.flags += *p++;
    bool fromArgument;
    p = ParseNumber(p, args, conversion.width, fromArgument);
    if (p == nullptr)
        return nullptr;
    if (fromArgument && conversion.width < 0) { // a negative '*' width means left alignment
        conversion.flags += '-';
        conversion.width = conversion.width == INT_MIN ? INT_MAX : -conversion.width;
    }
    if (!fromArgument && conversion.width == 0)
        conversion.width = -1;
    if (*p == '.') {
        p = ParseNumber(p + 1, args, conversion.precision, fromArgument);
        if (p == nullptr)
            return nullptr;
        if (conversion.precision < 0) // a negative '*' precision counts as none
            conversion.precision = -1;
    }
    p = ParseSize(p, conversion.size);
    conversion.type = *p;
    return *p == '\0' ? nullptr : p + 1;
}

bool HasFlag(const Conversion &conversion, char flag) { return conversion.flags.find(flag) != std::string::npos; }

// The C library's conversion specification for one item of `conversion`, with `lengthAndType`.
std::string CSpecification(const Conversion &conversion, const char *lengthAndType)
{
    std::string specification = "%" + conversion.flags;
    if (conversion.width >= 0)
        specification += std::to_string(conversion.width);
    if (conversion.precision >= 0)
        specification += "." + std::to_string(conversion.precision);
    return specification + lengthAndType;
}

template <typename Value> bool AppendC(std::string &out, const std::string &specification, Value value)
{
    int length = std::snprintf(nullptr, 0, specification.c_str(), value);
    if (length < 0)
        return false;
    size_t start = out.size();
    out.resize(start + static_cast<size_t>(length) + 1);
    std::snprintf(&out[start], static_cast<size_t>(length) + 1, specification.c_str(), value);
    out.resize(start + static_cast<size_t>(length));
    return true;
}

// Text items: padded to the width on the left (zeros with '0', as the Windows runtime does for text
// too) or on the right with '-'.
void AppendPadded(std::string &out, const Conversion &conversion, const std::string &text)
{
    size_t width = conversion.width > 0 ? static_cast<size_t>(conversion.width) : 0;
    size_t padding = width > text.size() ? width - text.size() : 0;
    if (HasFlag(conversion, '-')) {
        out += text;
        out.append(padding, ' ');
        return;
    }
    out.append(padding, HasFlag(conversion, '0') ? '0' : ' ');
    out += text;
}

bool AppendSigned(std::string &out, const Conversion &conversion, FormatArguments &args)
{
    intmax_t value;
    switch (conversion.size) {
    case SizePrefix::None: value = static_cast<int>(args.NextInteger(FormatArgumentType::Int)); break;
    case SizePrefix::Char: value = static_cast<signed char>(args.NextInteger(FormatArgumentType::Int)); break;
    case SizePrefix::Short: value = static_cast<short>(args.NextInteger(FormatArgumentType::Int)); break;
    case SizePrefix::Int32: value = static_cast<int32_t>(args.NextInteger(FormatArgumentType::Int)); break;
    // A C long is taken whole and cut to the 32 bits that Windows' long has.
    case SizePrefix::Long: value = static_cast<int32_t>(args.NextInteger(FormatArgumentType::Long)); break;
    case SizePrefix::LongLong:
    case SizePrefix::Int64: value = args.NextInteger(FormatArgumentType::LongLong); break;
    case SizePrefix::IntMax: value = args.NextInteger(FormatArgumentType::IntMax); break;
    case SizePrefix::Size: value = static_cast<ptrdiff_t>(args.NextInteger(FormatArgumentType::Size)); break;
    case SizePrefix::PtrDiff:
    case SizePrefix::PtrSize: value = args.NextInteger(FormatArgumentType::PtrDiff); break;
    default: return Invalid();
    }
    const char type[] = {'j', conversion.type, '\0'};
    return AppendC(out, CSpecification(conversion, type), value);
}

bool AppendUnsigned(std::string &out, const Conversion &conversion, FormatArguments &args)
{
    uintmax_t value;
    switch (conversion.size) {
    case SizePrefix::None: value = static_cast<unsigned>(args.NextInteger(FormatArgumentType::Int)); break;
    case SizePrefix::Char: value = static_cast<unsigned char>(args.NextInteger(FormatArgumentType::Int)); break;
    case SizePrefix::Short: value = static_cast<unsigned short>(args.NextInteger(FormatArgumentType::Int)); break;
    case SizePrefix::Int32: value = static_cast<uint32_t>(args.NextInteger(FormatArgumentType::Int)); break;
    case SizePrefix::Long: value = static_cast<uint32_t>(args.NextInteger(FormatArgumentType::Long)); break;
    case SizePrefix::LongLong:
    case SizePrefix::Int64:
        value = static_cast<unsigned long long>(args.NextInteger(FormatArgumentType::LongLong));
        break;
    case SizePrefix::IntMax: value = static_cast<uintmax_t>(args.NextInteger(FormatArgumentType::IntMax)); break;
    case SizePrefix::Size:
    case SizePrefix::PtrSize: value = static_cast<size_t>(args.NextInteger(FormatArgumentType::Size)); break;
    case SizePrefix::PtrDiff: value = static_cast<size_t>(args.NextInteger(FormatArgumentType::PtrDiff)); break;
    default: return Invalid();
    }
    const char type[] = {'j', conversion.type, '\0'};
    return AppendC(out, CSpecification(conversion, type), value);
}

bool AppendFloating(std::string &out, const Conversion &conversion, FormatArguments &args)
{
    const char type[] = {'L', conversion.type, '\0'};
    if (conversion.size == SizePrefix::LongDouble)
        return AppendC(out, CSpecification(conversion, type), args.NextLongDouble());
    if (conversion.size == SizePrefix::None || conversion.size == SizePrefix::Long)
        return AppendC(out, CSpecification(conversion, type + 1), args.NextDouble());
    return Invalid();
}

// %S and %C are wide in a narrow format unless 'h' makes them narrow; %s and %c are wide with 'l' or 'w'.
bool IsWideText(const Conversion &conversion)
{
    if (conversion.type == 'S' || conversion.type == 'C')
        return conversion.size != SizePrefix::Short;
    return conversion.size == SizePrefix::Long || conversion.size == SizePrefix::Wide;
}

bool AppendCharacter(std::string &out, const Conversion &conversion, FormatArguments &args)
{
    auto value = args.NextInteger(FormatArgumentType::Int);
    std::string text(1, static_cast<char>(value));
    if (IsWideText(conversion)) {
        const WCHAR unit = static_cast<WCHAR>(value);
        Utf8FromUtf16(&unit, 1, false, text);
    }
    AppendPadded(out, conversion, text);
    return true;
}

bool AppendString(std::string &out, const Conversion &conversion, FormatArguments &args)
{
    const void *pointer = args.NextPointer();
    size_t limit = conversion.precision >= 0 ? static_cast<size_t>(conversion.precision) : SIZE_MAX;
    std::string text;
    if (pointer == nullptr) {
        text = std::string("(null)").substr(0, limit);
    } else if (!IsWideText(conversion)) {
        const auto *narrow = static_cast<const char *>(pointer);
        text.assign(narrow, strnlen(narrow, limit));
    } else {
        // At most `limit` units are read (each gives at least one byte), then the UTF-8 text is cut
        // to the precision without splitting a character.
        const auto *wide = static_cast<const WCHAR *>(pointer);
        size_t length = 0;
        while (length < limit && wide[length] != 0)
            ++length;
        Utf8FromUtf16(wide, length, false, text);
        if (text.size() > limit) {
            size_t cut = limit;
            while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
                --cut;
            text.resize(cut);
        }
    }
    AppendPadded(out, conversion, text);
    return true;
}

bool AppendPointer(std::string &out, const Conversion &conversion, FormatArguments &args)
{
    char digits[2 * sizeof(void *) + 1];
    std::snprintf(digits, sizeof digits, "%0*jX", static_cast<int>(2 * sizeof(void *)),
                  static_cast<uintmax_t>(reinterpret_cast<uintptr_t>(args.NextPointer())));
    Conversion padding = conversion;
    padding.flags.erase(std::remove(padding.flags.begin(), padding.flags.end(), '0'), padding.flags.end());
    AppendPadded(out, padding, digits);
    return true;
}

bool AppendConversion(std::string &out, const Conversion &conversion, FormatArguments &args)
{
    switch (conversion.type) {
    case 'd':
    case 'i': return AppendSigned(out, conversion, args);
    case 'o':
    case 'u':
    case 'x':
    case 'X': return AppendUnsigned(out, conversion, args);
    case 'e':
    case 'E':
    case 'f':
    case 'F':
    case 'g':
    case 'G':
    case 'a':
    case 'A': return AppendFloating(out, conversion, args);
    case 'c':
    case 'C': return AppendCharacter(out, conversion, args);
    case 's':
    case 'S': return AppendString(out, conversion, args);
    case 'p': return AppendPointer(out, conversion, args);
    case 'n': return Invalid(); // writes through its argument: refused, as by the Windows runtime's default
    case '%': out += '%'; return true;
    default: return Invalid();
    }
}

} // namespace

bool FormatText(const char *format, FormatArguments &args, std::string &out)
{
    if (format == nullptr)
        return Invalid();
    const char *p = format;
    while (*p != '\0') {
        const char *percent = std::strchr(p, '%');
        if (percent == nullptr) {
            out.append(p);
            break;
        }
        out.append(p, percent);
        if (percent[1] == '\0') // a lone '%' ends the format and prints nothing, as on Windows
            break;
        Conversion conversion;
        p = ParseConversion(percent + 1, args, conversion);
        if (p == nullptr)
            return Invalid();
        if (!AppendConversion(out, conversion, args))
            return false;
    }
    return true;
}

bool FormatToText(const char *format, va_list argptr, std::string &text)
{
    VaListArguments args(argptr);
    if (!FormatText(format, args, text))
        return false;
    if (text.size() > static_cast<size_t>(INT_MAX)) {
        errno = ERANGE;
        return false;
    }
    return true;
}

} // namespace qor::platform
