// QorStringQuery.cpp: the read-only side of CQorString: comparison, searching, sub-strings (which
// share the block when they are the whole text) and the string hash.
#include "QorString.h"

#include "QorPlatform.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// A null text compares as the empty text, as a string without a block does.
const char *OrEmpty(const char *text) { return text ? text : ""; }

int IndexOf(const char *found, const char *text) { return found ? (int)(found - text) : -1; }

} // namespace

bool CQorString::operator==(const CQorString &other) const { return strcmp(m_pszText, other.m_pszText) == 0; }

bool CQorString::operator==(const char *text) const { return strcmp(m_pszText, OrEmpty(text)) == 0; }

bool CQorString::operator<(const CQorString &other) const { return strcmp(m_pszText, other.m_pszText) < 0; }

bool CQorString::operator>(const CQorString &other) const { return strcmp(m_pszText, other.m_pszText) > 0; }

int CQorString::Compare(const char *text) const
{
    int order = strcmp(m_pszText, OrEmpty(text));
    return (order > 0) - (order < 0);
}

int CQorString::CompareNoCase(const char *text) const { return _stricmp(m_pszText, OrEmpty(text)); }

int CQorString::Find(int ch) const { return m_pData ? IndexOf(strchr(m_pszText, ch), m_pszText) : -1; }

int CQorString::ReverseFind(int ch) const { return m_pData ? IndexOf(strrchr(m_pszText, ch), m_pszText) : -1; }

int CQorString::Find(const char *sub) const
{
    return m_pData && sub ? IndexOf(strstr(m_pszText, sub), m_pszText) : -1;
}

int CQorString::FindOneOf(const char *set) const
{
    return m_pData && set ? IndexOf(strpbrk(m_pszText, set), m_pszText) : -1;
}

CQorString CQorString::Mid(int first, int count) const
{
    if (!m_pData)
        return *this;
    first = std::max(first, 0);
    int available = m_pData->nLength - first;
    if (count < 0 || count > available)
        count = available;
    if (count <= 0 || available <= 0)
        return CQorString();
    if (first == 0 && count == available)
        return *this;
    return CQorString(m_pszText + first, count);
}

CQorString CQorString::Left(int count) const { return Mid(0, count); }

CQorString CQorString::Right(int count) const
{
    long long first = std::clamp((long long)GetLength() - count, 0LL, (long long)INT_MAX);
    return Mid((int)first, -1);
}

CQorString CQorString::SpanExcluding(const char *set) const
{
    if (!set)
        return *this;
    size_t run = strcspn(m_pszText, set);
    return run ? CQorString(m_pszText, (int)run) : CQorString();
}

DWORD CQorString::HashFunc(const char *text) { return CalcBufferHash(reinterpret_cast<const unsigned char *>(text), 0); }

DWORD CQorString::HashFunc2(const void *text) { return CalcBufferHash(static_cast<const unsigned char *>(text), 0); }

// The ELF symbol-table hash (System V ABI, "Hash Table" section): four bits of shift per byte, the
// top nibble folded back in.
DWORD CQorString::CalcBufferHash(const unsigned char *buffer, DWORD)
{
    DWORD hash = 0;
    if (!buffer)
        return hash;
    for (; *buffer; ++buffer) {
        hash = (hash << 4) + *buffer;
        DWORD high = hash & 0xF0000000u;
        if (high)
            hash = (hash & 0x0FFFFFFFu) ^ (high >> 24);
    }
    return hash;
}

int CQorString::ReverseFindEx(const char *set) const
{
    if (!m_pData || !set || !*set)
        return -1;
    for (int at = m_pData->nLength - 1; at >= 0; --at)
        if (m_pszText[at] && strchr(set, m_pszText[at]))
            return at;
    return -1;
}
