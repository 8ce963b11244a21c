// QorStringEdit.cpp: CQorString's changes in place: case, reversal, trimming white space and word
// capitals. Each first makes the block private (CheckData with the current length keeps the text).
#include "QorString.h"

#include "QorPlatform.h"

#include <cctype>
#include <cstring>

namespace {

// The classification functions take the character as an unsigned byte: a negative char is outside
// their domain. For the 7-bit characters that the C locale classifies this changes nothing.
bool IsSpace(char ch) { return isspace((unsigned char)ch) != 0; }

} // namespace

void CQorString::MakeUpper()
{
    if (!m_pData)
        return;
    CheckData(GetLength(), true);
    if (GetLength() > 0)
        _strupr(m_pszText);
}

void CQorString::MakeLower()
{
    if (!m_pData)
        return;
    CheckData(GetLength(), true);
    if (GetLength() > 0)
        _strlwr(m_pszText);
}

void CQorString::MakeReverse()
{
    if (!m_pData)
        return;
    CheckData(GetLength(), true);
    _strrev(m_pszText);
}

void CQorString::TrimLeft()
{
    if (!m_pData)
        return;
    CheckData(GetLength(), true);
    const char *rest = m_pszText;
    while (IsSpace(*rest))
        ++rest;
    int removed = (int)(rest - m_pszText);
    if (removed == 0)
        return;
    memmove(m_pszText, rest, (size_t)(m_pData->nLength - removed + 1));
    m_pData->nLength -= removed;
}

// One pass: the start of the current run of white space is forgotten at every other character, so
// what remains at the end is the start of the trailing run.
void CQorString::TrimRight()
{
    if (!m_pData)
        return;
    CheckData(GetLength(), true);
    char *trailingRun = nullptr;
    for (char *p = m_pszText; *p; ++p) {
        if (!IsSpace(*p))
            trailingRun = nullptr;
        else if (!trailingRun)
            trailingRun = p;
    }
    if (trailingRun) {
        *trailingRun = 0;
        m_pData->nLength = (int)(trailingRun - m_pszText);
    }
}

// Only white space starts a word: "o'neil" gives "O'neil", "hello-world" gives "Hello-world".
void CQorString::Capitalize()
{
    if (!m_pData)
        return;
    CheckData(GetLength(), true);
    bool wordStart = true;
    for (char *p = m_pszText; *p; ++p) {
        unsigned char ch = (unsigned char)*p;
        if (!isalpha(ch)) {
            wordStart = isspace(ch) != 0;
        } else if (wordStart) {
            if (!isupper(ch))
                *p = (char)(ch - 32);
            wordStart = false;
        } else if (!islower(ch)) {
            *p = (char)(ch + 32);
        }
    }
}
