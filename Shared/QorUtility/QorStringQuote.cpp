// QorStringQuote.cpp: CQorString's quoting for SQL and similar languages: surrounding a text with
// quotes, escaping quote characters with a doubling or escape character, and undoing that.
#include "QorString.h"

#include "QorPlatform.h"

#include <climits>
#include <cstring>

void CQorString::AdoptBlock(CQorStringData *block)
{
    ReleaseData();
    m_pData = block;
    m_pszText = block->Characters();
}

// In place the text moves right by one prefix; a new block is allocated with room for the prefix
// twice, the text and a terminator, plus the `slack` spare the in-place rule asks for.
HRESULT CQorString::Surround(const char *prefix, int length, int slack)
{
    int textLength = GetLength();
    if (m_pData && m_pData->nRefCount <= 1 && m_pData->nBufferLength > textLength + slack) {
        memmove(m_pszText + length, m_pszText, (size_t)textLength);
    } else {
        long long size = (long long)textLength + 2 * slack - 1;
        CQorStringData *block = size <= INT_MAX ? AllocData((int)size) : nullptr;
        if (!block)
            return E_OUTOFMEMORY;
        memcpy(block->Characters() + length, m_pszText, (size_t)textLength);
        AdoptBlock(block);
    }
    memcpy(m_pszText, prefix, (size_t)length);
    memcpy(m_pszText + length + textLength, prefix, (size_t)length);
    m_pData->nLength = textLength + 2 * length;
    m_pszText[m_pData->nLength] = 0;
    return S_OK;
}

HRESULT CQorString::AddQuotes(int ch)
{
    const char quote = (char)ch;
    return Surround(&quote, 1, 3);
}

HRESULT CQorString::AddAmpQuotes() { return Surround("&quot;", 6, 13); }

// Counts the quote characters first and then widens the text from its end, so a text full of quotes
// costs one pass; the block is the unshared one when it holds 2 * length + 2 bytes, else exactly that.
HRESULT CQorString::QuoteEncode(int q1, int q2)
{
    const char first = (char)q1, escape = (char)q2;
    int length = GetLength();
    if (length == 0)
        return S_FALSE;
    int found = 0;
    for (int at = 0; at < length; ++at)
        found += m_pszText[at] == first || m_pszText[at] == escape;
    if (found == 0)
        return S_OK;
    long long needed = 2LL * length + 2;
    if (m_pData->nRefCount > 1 || m_pData->nBufferLength < needed) {
        CQorStringData *block = needed <= INT_MAX ? AllocData((int)needed) : nullptr;
        if (!block)
            return E_OUTOFMEMORY;
        memcpy(block->Characters(), m_pszText, (size_t)length + 1);
        block->nLength = length;
        AdoptBlock(block);
    }
    int write = length + found;
    m_pszText[write] = 0;
    for (int read = length - 1; read >= 0; --read) {
        char ch = m_pszText[read];
        m_pszText[--write] = ch;
        if (ch == first || ch == escape)
            m_pszText[--write] = escape;
    }
    m_pData->nLength = length + found;
    return S_OK;
}

// A `q2` is removed once the character after it is known; that character is then taken literally, so
// it cannot remove the one after it in turn.
HRESULT CQorString::QuoteDecode(int, int q2)
{
    const char escape = (char)q2;
    int length = GetLength();
    if (length == 0)
        return S_FALSE;
    CheckData(length, true);
    int write = 0;
    bool escaping = false;
    for (int read = 0; read < length; ++read) {
        char ch = m_pszText[read];
        if (escaping) {
            m_pszText[write - 1] = ch;
            escaping = false;
            continue;
        }
        m_pszText[write++] = ch;
        escaping = ch == escape;
    }
    m_pData->nLength = write;
    m_pszText[write] = 0;
    return S_OK;
}
