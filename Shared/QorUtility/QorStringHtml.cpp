// QorStringHtml.cpp: CQorString's HTML forms: the five entities callers write and read, numeric
// character references, and stripping markup down to text with simple line structure.
#include "QorString.h"

#include "QorPlatform.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

const CQorString::SQorHTMLAltText CQorString::s_HTMLAltText[6] = {
    {"&nbsp;", 6, ' '}, {"&quot;", 6, '"'}, {"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {nullptr, 0, 0},
};

namespace {

using AltText = CQorString::SQorHTMLAltText;

// The longest entity is six characters, so six output bytes per input byte always suffice.
constexpr int kLongestEntity = 6;

// The row of `table` whose entity begins `text`, or null.
const AltText *EntityAt(const AltText *table, const char *text)
{
    for (const AltText *row = table; row->pszEntity; ++row)
        if (strncmp(text, row->pszEntity, (size_t)row->nEntityLength) == 0)
            return row;
    return nullptr;
}

// "&#NNN;": the number after "&#" (as the runtime's atol reads it, saturated rather than undefined
// when too long), reduced modulo 128 with the number's sign.
char NumericReference(const char *text)
{
    long number = strtol(text + 2, nullptr, 10);
    return (char)(number % 128);
}

// For each character, the first row of `table` that stands for it, or null: one look-up per
// character instead of a walk through the table.
struct EntityIndex {
    explicit EntityIndex(const AltText *table)
    {
        for (const AltText *row = table; row->pszEntity; ++row)
            if (!rows[(unsigned char)row->chValue])
                rows[(unsigned char)row->chValue] = row;
    }
    const AltText *rows[256] = {};
};

bool IsSpace(char ch) { return isspace((unsigned char)ch) != 0; }

bool StartsWith(const char *text, const char *prefix) { return _strnicmp(text, prefix, strlen(prefix)) == 0; }

// The index just past the next `closing` at or after `from` (case-insensitive), or `length` when none.
int PastNext(const char *text, int from, int length, const char *closing)
{
    for (int at = from; at < length; ++at)
        if (StartsWith(text + at, closing))
            return at + (int)strlen(closing);
    return length;
}

// The in-place rewriting of HtmlStripTags: the output never runs ahead of the input.
class TagStripper {
public:
    TagStripper(const AltText *entities, char *text, int length) : m_entities(entities), m_text(text), m_length(length) {}

    int Run()
    {
        while (m_read < m_length) {
            char ch = m_text[m_read];
            if (ch == '<')
                Markup();
            else if (m_inTag)
                m_inTag = m_text[m_read++] != '>';
            else if (ch == '&')
                Entity();
            else if (ch == '\n' || ch == '\r')
                LineBreak();
            else
                m_text[m_write++] = m_text[m_read++];
        }
        return m_write;
    }

private:
    void Markup()
    {
        const char *at = m_text + m_read;
        if (StartsWith(at, "<!--"))
            m_read = PastNext(m_text, m_read + 4, m_length, "-->");
        else if (StartsWith(at, "<style>"))
            m_read = PastNext(m_text, m_read + 7, m_length, "</style>");
        else if (StartsWith(at, "<br>"))
            Emit('\n', 4);
        else if (StartsWith(at, "</tr>"))
            Emit('\n', 5);
        else if (StartsWith(at, "</td>"))
            Emit('\t', 5);
        else if (StartsWith(at, "<p") || StartsWith(at, "<div")) {
            Emit('\n', 1);
            m_inTag = true;
        } else {
            ++m_read;
            m_inTag = true;
        }
    }

    void Emit(char ch, int consumed)
    {
        m_text[m_write++] = ch;
        m_read += consumed;
    }

    void Entity()
    {
        const AltText *row = EntityAt(m_entities, m_text + m_read);
        if (row)
            Emit((char)row->chValue, row->nEntityLength);
        else
            Emit('&', 1);
    }

    // A line break folds with the white space around it into one blank between texts; at the very
    // start of the output only the break itself goes.
    void LineBreak()
    {
        while (m_write > 0 && IsSpace(m_text[m_write - 1]))
            --m_write;
        ++m_read;
        if (m_write == 0)
            return;
        while (m_read < m_length && IsSpace(m_text[m_read]))
            ++m_read;
        if (m_read < m_length)
            m_text[m_write++] = ' ';
    }

    const AltText *m_entities;
    char *m_text;
    int m_length;
    int m_read = 0;
    int m_write = 0;
    bool m_inTag = false;
};

} // namespace

HRESULT CQorString::HtmlEncode(bool nbsp)
{
    int length = GetLength();
    if (length == 0)
        return S_OK;
    char *work = static_cast<char *>(malloc((size_t)length * kLongestEntity + 1));
    if (!work)
        return E_OUTOFMEMORY;
    static const EntityIndex withBlanks(s_HTMLAltText), withoutBlanks(s_HTMLAltText + 1);
    const EntityIndex &index = nbsp ? withBlanks : withoutBlanks;
    size_t written = 0;
    bool replaced = false;
    for (int at = 0; at < length; ++at) {
        const AltText *row = index.rows[(unsigned char)m_pszText[at]];
        if (row) {
            memcpy(work + written, row->pszEntity, (size_t)row->nEntityLength);
            written += (size_t)row->nEntityLength;
            replaced = true;
        } else {
            work[written++] = m_pszText[at];
        }
    }
    try {
        if (replaced)
            SetString(work, (int)written);
    } catch (HRESULT) {
        free(work);
        return E_OUTOFMEMORY;
    }
    free(work);
    return S_OK;
}

HRESULT CQorString::HtmlDecode()
{
    int length = GetLength();
    if (length == 0)
        return S_OK;
    CheckData(length, true);
    int write = 0;
    for (int read = 0; read < length;) {
        const char *at = m_pszText + read;
        const AltText *row = nullptr;
        if (at[0] != '&') {
            m_pszText[write++] = m_pszText[read++];
        } else if (at[1] == '#') {
            m_pszText[write++] = NumericReference(at);
            read += 6;
        } else if ((row = EntityAt(s_HTMLAltText, at)) != nullptr) {
            m_pszText[write++] = (char)row->chValue;
            read += row->nEntityLength;
        } else {
            m_pszText[write++] = m_pszText[read++];
        }
    }
    m_pData->nLength = write;
    m_pszText[write] = 0;
    return S_OK;
}

HRESULT CQorString::HtmlStripTags()
{
    int length = GetLength();
    if (length == 0)
        return S_OK;
    CheckData(length, true);
    int written = TagStripper(s_HTMLAltText, m_pszText, length).Run();
    m_pData->nLength = written;
    m_pszText[written] = 0;
    return S_OK;
}
