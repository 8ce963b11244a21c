// com.cpp: the COM calls the library needs: the task allocator and the braced text form of GUIDs
// ("{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"), with the results Microsoft documents for them.
#include "QorPlatform.h"

#include <cstdlib>
#include <cstring>

using qor::platform::FaultFires;

namespace {

constexpr int kGuidTextLength = 38;
const char kHexDigits[] = "0123456789ABCDEF";

// The dashes of "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; every other inner character is a digit.
bool IsDashPosition(int at) { return at == 9 || at == 14 || at == 19 || at == 24; }

int HexValue(OLECHAR ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

// The 32 hexadecimal digits of a braced GUID in text order; false when the text is not one.
bool ReadDigits(LPCOLESTR text, unsigned char digits[32])
{
    if (text[0] != '{')
        return false;
    int count = 0;
    for (int at = 1; at < kGuidTextLength - 1; ++at) {
        if (IsDashPosition(at)) {
            if (text[at] != '-')
                return false;
            continue;
        }
        int value = HexValue(text[at]);
        if (value < 0)
            return false;
        digits[count++] = (unsigned char)value;
    }
    return text[kGuidTextLength - 1] == '}' && text[kGuidTextLength] == 0;
}

uint32_t Number(const unsigned char *digits, int count)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 4 | digits[i];
    return value;
}

void AppendHex(OLECHAR *&out, uint32_t value, int digits)
{
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        *out++ = (OLECHAR)kHexDigits[(value >> shift) & 0xF];
}

} // namespace

LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb)
{
    if (FaultFires("CoTaskMemAlloc"))
        return nullptr;
    return std::malloc(cb);
}

void WINAPI CoTaskMemFree(LPVOID pv) { std::free(pv); }

HRESULT WINAPI StringFromCLSID(REFCLSID rclsid, LPOLESTR *lplpsz)
{
    auto *text = static_cast<OLECHAR *>(CoTaskMemAlloc((kGuidTextLength + 1) * sizeof(OLECHAR)));
    *lplpsz = text;
    if (text == nullptr)
        return E_OUTOFMEMORY;
    OLECHAR *out = text;
    *out++ = '{';
    AppendHex(out, rclsid.Data1, 8);
    *out++ = '-';
    AppendHex(out, rclsid.Data2, 4);
    *out++ = '-';
    AppendHex(out, rclsid.Data3, 4);
    *out++ = '-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2)
            *out++ = '-';
        AppendHex(out, rclsid.Data4[i], 2);
    }
    *out++ = '}';
    *out = 0;
    return S_OK;
}

HRESULT WINAPI CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid)
{
    if (pclsid == nullptr)
        return E_INVALIDARG;
    std::memset(pclsid, 0, sizeof *pclsid); // CLSID_NULL, also what a failed parse leaves
    if (lpsz == nullptr)
        return NOERROR; // no text names the null class
    for (int at = 0; at < kGuidTextLength; ++at)
        if (lpsz[at] == 0)
            return CO_E_CLASSSTRING; // too short: never read past the terminator
    unsigned char digits[32];
    if (!ReadDigits(lpsz, digits))
        return CO_E_CLASSSTRING;
    pclsid->Data1 = Number(digits, 8);
    pclsid->Data2 = (uint16_t)Number(digits + 8, 4);
    pclsid->Data3 = (uint16_t)Number(digits + 12, 4);
    for (int i = 0; i < 8; ++i)
        pclsid->Data4[i] = (uint8_t)Number(digits + 16 + 2 * i, 2);
    return NOERROR;
}
