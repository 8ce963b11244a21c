// codepage.cpp: MultiByteToWideChar, WideCharToMultiByte, GetACP, lstrlenA/W. The ANSI code page of
// POSIX is UTF-8, so CP_ACP converts exactly as CP_UTF8 does (Windows, too, resolves CP_ACP to the
// system's code page first and then applies that code page's rules); other code pages are refused.
#include "QorPlatform.h"
#include "common/unicode.h"

#include <cstring>
#include <string>

using qor::platform::FaultFires;

namespace {

bool IsUtf8CodePage(UINT codePage) { return codePage == CP_ACP || codePage == CP_UTF8; }

// The length of the input in units, the terminator included when the caller gave -1 (so that it is
// converted and counted too).
template <typename Unit> size_t InputLength(const Unit *text, int length)
{
    if (length >= 0)
        return static_cast<size_t>(length);
    size_t count = 0;
    while (text[count] != 0)
        ++count;
    return count + 1;
}

// Shared tail of both conversions: a size query, too small a buffer, or the copy.
template <typename Unit> int Deliver(const std::basic_string<Unit> &converted, Unit *output, int capacity)
{
    if (converted.size() > static_cast<size_t>(INT32_MAX)) {
        SetLastError(ERROR_ARITHMETIC_OVERFLOW);
        return 0;
    }
    int count = static_cast<int>(converted.size());
    if (capacity == 0)
        return count;
    if (count > capacity) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(output, converted.data(), converted.size() * sizeof(Unit));
    return count;
}

} // namespace

UINT WINAPI GetACP(void) { return CP_UTF8; }

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar)
{
    if (FaultFires("MultiByteToWideChar"))
        return 0;
    if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (cchWideChar > 0 && lpWideCharStr == nullptr) ||
        static_cast<const void *>(lpMultiByteStr) == static_cast<const void *>(lpWideCharStr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!IsUtf8CodePage(CodePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((dwFlags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS); // the only flag that UTF-8 takes
        return 0;
    }
    std::u16string converted;
    bool strict = (dwFlags & MB_ERR_INVALID_CHARS) != 0;
    if (!qor::platform::Utf16FromUtf8(lpMultiByteStr, InputLength(lpMultiByteStr, cbMultiByte), strict,
                                      converted)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return Deliver(converted, lpWideCharStr, cchWideChar);
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                               LPBOOL lpUsedDefaultChar)
{
    if (FaultFires("WideCharToMultiByte"))
        return 0;
    if (lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
        (cbMultiByte > 0 && lpMultiByteStr == nullptr) ||
        static_cast<const void *>(lpMultiByteStr) == static_cast<const void *>(lpWideCharStr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // UTF-8 can encode every character, so it has no default character to report.
    if (!IsUtf8CodePage(CodePage) || lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((dwFlags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    std::string converted;
    bool strict = (dwFlags & WC_ERR_INVALID_CHARS) != 0;
    if (!qor::platform::Utf8FromUtf16(lpWideCharStr, InputLength(lpWideCharStr, cchWideChar), strict,
                                      converted)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return Deliver(converted, lpMultiByteStr, cbMultiByte);
}

int WINAPI lstrlenA(LPCSTR lpString) { return lpString == nullptr ? 0 : static_cast<int>(std::strlen(lpString)); }

int WINAPI lstrlenW(LPCWSTR lpString)
{
    if (lpString == nullptr)
        return 0;
    int length = 0;
    while (lpString[length] != 0)
        ++length;
    return length;
}
