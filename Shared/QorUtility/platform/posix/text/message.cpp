// message.cpp: FormatMessageA for system messages (FORMAT_MESSAGE_FROM_SYSTEM), in the user-default
// language, which is English here. Message texts are processed as Windows does: escapes (%n %r %t
// %% %space %. %! %0) and inserts (%1 to %99, optionally with a !printf format!) unless
// FORMAT_MESSAGE_IGNORE_INSERTS is given. Caller-supplied message strings and module message tables
// do not exist on POSIX and answer ERROR_CALL_NOT_IMPLEMENTED.
#include "QorPlatform.h"
#include "common/format.h"
#include "text/systemmessages.h"

#include <cstring>
#include <string>

using qor::platform::FailWith;
using qor::platform::FaultFires;
using qor::platform::FormatArgumentType;

namespace {

// The languages in which the English table answers: neutral (0), the user's and the system's default
// language, and English (United States) itself.
bool IsAnsweredLanguage(DWORD language)
{
    return language == 0 || language == MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT) ||
           language == MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT) ||
           language == MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

// The insert values of one call: an array of DWORD_PTR (FORMAT_MESSAGE_ARGUMENT_ARRAY) or a va_list.
class InsertValues {
public:
    InsertValues(DWORD flags, va_list *arguments) : m_flags(flags), m_arguments(arguments) {}

    // Value `number` (1-based), as the insert of that number sees it.
    DWORD_PTR Value(unsigned number) const
    {
        if ((m_flags & FORMAT_MESSAGE_ARGUMENT_ARRAY) != 0)
            return reinterpret_cast<const DWORD_PTR *>(m_arguments)[number - 1];
        va_list walk;
        va_copy(walk, *m_arguments);
        DWORD_PTR value = 0;
        for (unsigned i = 0; i < number; ++i)
            value = va_arg(walk, DWORD_PTR);
        va_end(walk);
        return value;
    }

private:
    DWORD m_flags;
    va_list *m_arguments;
};

// The arguments of one insert's printf format: insert `first`, then the following ones for any '*'.
class InsertArguments : public qor::platform::FormatArguments {
public:
    InsertArguments(const InsertValues &values, unsigned first) : m_values(values), m_next(first) {}

    intmax_t NextInteger(FormatArgumentType type) override
    {
        DWORD_PTR value = m_values.Value(m_next++);
        switch (type) {
        case FormatArgumentType::Int: return static_cast<int>(value);
        case FormatArgumentType::Long: return static_cast<long>(value);
        default: return static_cast<intmax_t>(value);
        }
    }
    // Windows documents floating-point insert formats as unsupported.
    double NextDouble() override
    {
        m_floatingPoint = true;
        return 0;
    }
    long double NextLongDouble() override
    {
        m_floatingPoint = true;
        return 0;
    }
    const void *NextPointer() override { return reinterpret_cast<const void *>(m_values.Value(m_next++)); }

    bool UsedFloatingPoint() const { return m_floatingPoint; }

private:
    const InsertValues &m_values;
    unsigned m_next;
    bool m_floatingPoint = false;
};

// Expands insert `number` with its printf format (default "s") into `out`.
bool AppendInsert(const InsertValues &values, unsigned number, const std::string &format, std::string &out)
{
    InsertArguments arguments(values, number);
    std::string text;
    if (!qor::platform::FormatText(("%" + format).c_str(), arguments, text) || arguments.UsedFloatingPoint())
        return false;
    out += text;
    return true;
}

// Parses "%N" or "%N!format!" at `p` (just behind the '%'); returns the position behind it, or null.
const char *ParseInsert(const char *p, unsigned &number, std::string &format)
{
    number = static_cast<unsigned>(*p++ - '0');
    if (*p >= '0' && *p <= '9')
        number = number * 10 + static_cast<unsigned>(*p++ - '0');
    format = "s";
    if (*p == '!') {
        const char *end = std::strchr(p + 1, '!');
        if (end == nullptr)
            return nullptr;
        format.assign(p + 1, end);
        p = end + 1;
    }
    return p;
}

// Processes the escapes and inserts of `text`; false when an insert cannot be formatted.
bool ExpandMessage(const char *text, const InsertValues *values, std::string &out)
{
    for (const char *p = text; *p != '\0';) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        char escape = *++p;
        if (escape == '\0' || escape == '0') // %0 ends the message without its line break
            return true;
        if (escape >= '1' && escape <= '9') {
            unsigned number;
            std::string format;
            p = ParseInsert(p, number, format);
            if (p == nullptr || values == nullptr || !AppendInsert(*values, number, format, out))
                return false;
            continue;
        }
        switch (escape) {
        case 'n': out += "\r\n"; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        default: out += escape; break; // %% %space %. %! stand for the character itself
        }
        ++p;
    }
    return true;
}

// With FORMAT_MESSAGE_MAX_WIDTH_MASK the text's own line breaks become spaces; %n breaks stay.
std::string JoinLines(const char *text)
{
    std::string joined;
    for (const char *p = text; *p != '\0'; ++p) {
        if (p[0] == '\r' && p[1] == '\n') {
            joined += ' ';
            ++p;
        } else {
            joined += *p;
        }
    }
    return joined;
}

DWORD Deliver(const std::string &message, DWORD flags, LPSTR lpBuffer, DWORD nSize)
{
    size_t needed = message.size() + 1;
    if ((flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
        auto *block = static_cast<char *>(LocalAlloc(LMEM_FIXED, needed > nSize ? needed : nSize));
        if (block == nullptr)
            return 0;
        std::memcpy(block, message.c_str(), needed);
        *reinterpret_cast<LPSTR *>(lpBuffer) = block;
    } else {
        if (needed > nSize)
            return FailWith(ERROR_INSUFFICIENT_BUFFER);
        std::memcpy(lpBuffer, message.c_str(), needed);
    }
    return static_cast<DWORD>(message.size());
}

// Which message source the flags name; 0 when the call can go on, else the error to answer.
DWORD CheckSource(DWORD flags)
{
    bool fromString = (flags & FORMAT_MESSAGE_FROM_STRING) != 0;
    bool fromModule = (flags & FORMAT_MESSAGE_FROM_HMODULE) != 0;
    bool fromSystem = (flags & FORMAT_MESSAGE_FROM_SYSTEM) != 0;
    if (fromString && (fromModule || fromSystem))
        return ERROR_INVALID_PARAMETER;
    if (fromString || (fromModule && !fromSystem))
        return ERROR_CALL_NOT_IMPLEMENTED;
    // A module holds no message table here, so a search of module and system finds the system's.
    return fromSystem ? 0 : ERROR_INVALID_PARAMETER;
}

} // namespace

DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID /*lpSource*/, DWORD dwMessageId, DWORD dwLanguageId,
                            LPSTR lpBuffer, DWORD nSize, va_list *Arguments)
{
    if (lpBuffer != nullptr && (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0)
        *reinterpret_cast<LPSTR *>(lpBuffer) = nullptr;
    if (FaultFires("FormatMessageA"))
        return 0;
    if (lpBuffer == nullptr)
        return FailWith(ERROR_INVALID_PARAMETER);
    if (DWORD error = CheckSource(dwFlags))
        return FailWith(error);
    DWORD width = dwFlags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
    if (width != 0 && width != FORMAT_MESSAGE_MAX_WIDTH_MASK)
        return FailWith(ERROR_CALL_NOT_IMPLEMENTED); // wrapping lines at a given width is not emulated
    if (!IsAnsweredLanguage(dwLanguageId))
        return FailWith(ERROR_RESOURCE_LANG_NOT_FOUND);
    const char *text = qor::platform::SystemMessageText(dwMessageId);
    if (text == nullptr && (dwMessageId & 0xFFFF0000) == 0x80070000) // HRESULT_FROM_WIN32 of an error
        text = qor::platform::SystemMessageText(dwMessageId & 0xFFFF);
    if (text == nullptr)
        return FailWith(ERROR_MR_MID_NOT_FOUND);
    std::string source = width == FORMAT_MESSAGE_MAX_WIDTH_MASK ? JoinLines(text) : std::string(text);
    if ((dwFlags & FORMAT_MESSAGE_IGNORE_INSERTS) != 0)
        return Deliver(source, dwFlags, lpBuffer, nSize);
    InsertValues values(dwFlags, Arguments);
    std::string message;
    if (!ExpandMessage(source.c_str(), Arguments != nullptr ? &values : nullptr, message))
        return FailWith(ERROR_INVALID_PARAMETER);
    return Deliver(message, dwFlags, lpBuffer, nSize);
}
