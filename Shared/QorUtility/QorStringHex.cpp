// QorStringHex.cpp: CQorString's hexadecimal form of binary data, two upper-case digits per byte, and
// reading it back into a buffer of the task allocator.
#include "QorString.h"

#include "QorPlatform.h"

#include <climits>

namespace {

const char kUpperHexDigits[] = "0123456789ABCDEF";

// Extra bytes behind the data in an extracted buffer: callers have relied on a little room to
// terminate or pad what they get.
constexpr DWORD kExtractSpare = 10;

int HexDigit(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

// A pair read as the runtime's "%02X" would: its leading hexadecimal digits, 0 when there are none.
unsigned char PairValue(const char *pair)
{
    int high = HexDigit(pair[0]);
    if (high < 0)
        return 0;
    int low = HexDigit(pair[1]);
    return (unsigned char)(low < 0 ? high : high * 16 + low);
}

} // namespace

HRESULT CQorString::SetBinary(DWORD count, const unsigned char *bytes)
{
    long long size = 2LL * count + 1;
    if (size > INT_MAX)
        return E_OUTOFMEMORY;
    try {
        CheckData((int)size, false);
    } catch (HRESULT) {
        return E_OUTOFMEMORY;
    }
    for (DWORD at = 0; at < count; ++at) {
        m_pszText[2 * at] = kUpperHexDigits[bytes[at] >> 4];
        m_pszText[2 * at + 1] = kUpperHexDigits[bytes[at] & 0xF];
    }
    m_pData->nLength = (int)(2 * count);
    m_pszText[2 * count] = 0;
    return S_OK;
}

HRESULT CQorString::ExtractBinary(DWORD &count, unsigned char *&bytes) const
{
    count = (DWORD)GetLength() / 2;
    if (count == 0)
        return S_FALSE;
    auto *buffer = static_cast<unsigned char *>(CoTaskMemAlloc(count + kExtractSpare));
    if (!buffer)
        return E_OUTOFMEMORY;
    for (DWORD at = 0; at < count; ++at)
        buffer[at] = PairValue(m_pszText + 2 * at);
    bytes = buffer;
    return S_OK;
}
