// QorString.cpp: CQorString's block and its life: allocation and the growth rules, copy on write,
// construction and assignment (8-bit and wide text), the raw buffer protocol and concatenation.
// Searching, in-place edits, formatting and the platform conversions live in QorString*.cpp.
#include "QorString.h"

#include "QorPlatform.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>

char *CQorString::m_szNull = nullptr;

namespace {

// A block's whole allocation, header included, must be describable by a signed 32-bit size.
constexpr int kMaxBufferLength = INT_MAX - (int)sizeof(CQorStringData);

// The first single character appended to a full (or absent) block reserves this much beyond the text.
constexpr int kAppendReserve = 10;

[[noreturn]] void ThrowOutOfMemory() { throw static_cast<HRESULT>(E_OUTOFMEMORY); }

// A size computed wider than int: one that no int can carry cannot be allocated either.
int BlockSize(long long size)
{
    if (size > INT_MAX)
        ThrowOutOfMemory();
    return (int)size;
}

int TextLength(const char *text) { return BlockSize((long long)strlen(text)); }

template <class WideChar> size_t WideLength(const WideChar *text)
{
    const WideChar *end = text;
    while (*end)
        ++end;
    return (size_t)(end - text);
}

} // namespace

CQorString::CQorString() { Init(); }

CQorString::CQorString(std::nullptr_t) { Init(); }

CQorString::CQorString(const char *text)
{
    Init();
    *this = text;
}

CQorString::CQorString(const unsigned short *text)
{
    Init();
    *this = text;
}

CQorString::CQorString(const WCHAR *text)
{
    Init();
    *this = text;
}

CQorString::CQorString(const CQorString &other) : m_pszText(other.m_pszText), m_pData(other.m_pData)
{
    if (m_pData)
        ++m_pData->nRefCount;
}

CQorString::CQorString(const char *text, int length)
{
    Init();
    SetString(text, length);
}

CQorString::~CQorString() { ReleaseData(); }

void CQorString::Init()
{
    m_pData = nullptr;
    m_pszText = EmptyText();
}

int CQorString::ReleaseData()
{
    int remaining = 0;
    if (m_pData) {
        remaining = --m_pData->nRefCount;
        if (remaining <= 0)
            free(m_pData);
    }
    Init();
    return remaining;
}

CQorStringData *CQorString::AllocData(int bufferLength)
{
    if (bufferLength == 0)
        bufferLength = 2;
    if (bufferLength < 0 || bufferLength > kMaxBufferLength)
        return nullptr;
    auto *data = static_cast<CQorStringData *>(malloc(sizeof(CQorStringData) + (size_t)bufferLength));
    if (!data)
        return nullptr;
    data->nRefCount = 1;
    data->nLength = 0;
    data->nBufferLength = bufferLength;
    data->Characters()[0] = 0;
    return data;
}

int CQorString::CheckData(int size, bool keepText)
{
    if (m_pData && m_pData->nRefCount <= 1 && m_pData->nBufferLength >= size)
        return size;
    int length = GetLength();
    if (keepText && size <= length)
        size = length + 1; // a kept text is never cut
    CQorStringData *data = nullptr;
    if (size > 0) {
        data = AllocData(size);
        if (!data)
            ThrowOutOfMemory(); // before anything changes: the string keeps its block
        if (keepText && length > 0) {
            memcpy(data->Characters(), m_pszText, (size_t)length);
            data->Characters()[length] = 0;
            data->nLength = length;
        }
    }
    ReleaseData();
    m_pData = data;
    m_pszText = data ? data->Characters() : EmptyText();
    return size;
}

bool CQorString::PointsIntoBlock(const void *pointer) const
{
    if (!m_pData)
        return false;
    auto *p = static_cast<const char *>(pointer);
    std::less_equal<const char *> atOrBefore;
    return atOrBefore(m_pszText, p) && !atOrBefore(m_pszText + m_pData->nBufferLength, p);
}

// Without the guard, assigning a string to itself would drop the block before taking it again.
CQorString &CQorString::operator=(const CQorString &other)
{
    if (this == &other)
        return *this;
    ReleaseData();
    m_pData = other.m_pData;
    m_pszText = other.m_pszText;
    if (m_pData)
        ++m_pData->nRefCount;
    return *this;
}

CQorString &CQorString::operator=(std::nullptr_t)
{
    Empty();
    return *this;
}

CQorString &CQorString::operator=(const char *text)
{
    if (!text)
        Empty();
    else
        SetString(text, TextLength(text));
    return *this;
}

CQorString &CQorString::operator=(const unsigned short *text)
{
    if (!text)
        Empty();
    else
        AssignWide(reinterpret_cast<const WCHAR *>(text), WideLength(text));
    return *this;
}

CQorString &CQorString::operator=(const WCHAR *text)
{
    if (!text)
        Empty();
    else
        AssignWide(text, WideLength(text));
    return *this;
}

// Two bytes for each wide character suffice for the double-byte code pages; UTF-8, the ANSI code page
// on POSIX, may need three, so the converted size is asked for first and the larger one reserved.
void CQorString::AssignWide(const WCHAR *text, size_t length)
{
    if (length == 0) {
        Empty();
        return;
    }
    int wideLength = BlockSize((long long)length);
    int needed = WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        Empty();
        return;
    }
    int size = BlockSize(2LL * wideLength + 1);
    if (needed > size)
        size = needed;
    char *buffer = GetBuffer(size);
    int converted = WideCharToMultiByte(CP_ACP, 0, text, wideLength, buffer, size, nullptr, nullptr);
    if (converted <= 0) {
        Empty();
        return;
    }
    buffer[converted] = 0;
    ReleaseBuffer(-1);
}

// A source inside this string's own block is kept alive by a second holder while it is copied:
// sharing the block makes CheckData move this string to a new one instead of freeing the old.
void CQorString::SetString(const char *text, int length)
{
    if (!text || length < 0)
        length = 0;
    CQorString sourceHolder;
    if (length > 0 && PointsIntoBlock(text))
        sourceHolder = *this;
    CheckData(BlockSize(length + 1LL), false);
    if (length > 0)
        memcpy(m_pszText, text, (size_t)length);
    m_pszText[length] = 0;
    m_pData->nLength = length;
}

void CQorString::Empty()
{
    if (!m_pData)
        return;
    CheckData(0, false);
    if (m_pData) {
        m_pszText[0] = 0;
        m_pData->nLength = 0;
    }
}

char *CQorString::GetBuffer(int length)
{
    CheckData(BlockSize(length + 1LL), true);
    return m_pszText;
}

char *CQorString::GetBufferSetLength(int length)
{
    if (length < 0)
        length = 0;
    GetBuffer(BlockSize(length + 1LL));
    m_pData->nLength = length;
    m_pszText[length] = 0;
    return m_pszText;
}

// -1 looks for the terminator only inside the buffer: a caller that wrote none gets the whole buffer.
void CQorString::ReleaseBuffer(int length)
{
    if (!m_pData)
        return;
    int lastIndex = m_pData->nBufferLength - 1;
    if (length == -1) {
        auto *zero = static_cast<const char *>(memchr(m_pszText, 0, (size_t)m_pData->nBufferLength));
        length = zero ? (int)(zero - m_pszText) : lastIndex;
    } else if (length < 0) {
        length = 0;
    } else if (length > lastIndex) {
        length = lastIndex;
    }
    m_pData->nLength = length;
    m_pszText[length] = 0;
}

// _expand only ever resizes in place, so the text never moves; when it cannot, nothing changes.
void CQorString::FreeExtra()
{
    if (!m_pData || m_pData->nRefCount > 1 || m_pData->nBufferLength <= m_pData->nLength + 1)
        return;
    int bufferLength = m_pData->nLength + 1;
    if (_expand(m_pData, sizeof(CQorStringData) + (size_t)bufferLength))
        m_pData->nBufferLength = bufferLength;
}

void CQorString::Append(const char *text, int length)
{
    CQorString sourceHolder;
    if (PointsIntoBlock(text))
        sourceHolder = *this;
    int oldLength = GetLength();
    int newLength = BlockSize((long long)oldLength + length);
    CheckData(BlockSize(newLength + 1LL), true);
    memcpy(m_pszText + oldLength, text, (size_t)length);
    m_pszText[newLength] = 0;
    m_pData->nLength = newLength;
}

CQorString &CQorString::operator+=(const CQorString &other)
{
    if (other.GetLength() > 0)
        Append(other.m_pszText, other.GetLength());
    return *this;
}

CQorString &CQorString::operator+=(const char *text)
{
    if (text && *text)
        Append(text, TextLength(text));
    return *this;
}

// Slack only where a run of single characters starts: a full block grows by ten, else by one.
CQorString &CQorString::operator+=(char ch)
{
    int length = GetLength();
    if (!m_pData || m_pData->nBufferLength == length + 1)
        CheckData(BlockSize((long long)length + kAppendReserve), true);
    else
        CheckData(length + 2, true);
    m_pszText[length] = ch;
    m_pszText[length + 1] = 0;
    m_pData->nLength = length + 1;
    return *this;
}

CQorString operator+(const CQorString &left, const CQorString &right)
{
    CQorString result(left);
    result += right;
    return result;
}

CQorString operator+(const CQorString &left, const char *right)
{
    CQorString result(left);
    result += right;
    return result;
}

CQorString operator+(const CQorString &left, char right)
{
    CQorString result(left);
    result += right;
    return result;
}
