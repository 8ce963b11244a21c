// QorStringUrl.cpp: CQorString's URL escaping (RFC 3986 percent-encoding, in the two modes callers use),
// its decoding, and the scheme/host prefixes of a URL.
#include "QorString.h"

#include "QorPlatform.h"

#include <cctype>
#include <climits>
#include <cstring>

// The characters that text-mode encoding escapes: blank, " # % & ' + / : ; < = > ? @ [ \ ] ^ ` { | } ~.
// Everything else (controls, ! $ ( ) * , - . _, letters, digits, bytes 128-255) is copied.
const unsigned char CQorString::s_szURLCharMap[256] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    32, 0, 34, 35, 0, 37, 38, 39, 0, 0, 0, 43, 0, 0, 0, 47,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 58, 59, 60, 61, 62, 63,
    64, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 91, 92, 93, 94, 0,
    96, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 123, 124, 125, 126, 0,
    // 128-255: all zero
};

namespace {

const char kUpperHexDigits[] = "0123456789ABCDEF";

// An escape's character as a digit value, unchecked: callers' decoders have always taken "%zz" as a
// value rather than refusing it, so any character gives some value.
int EscapeDigit(unsigned char ch)
{
    if (ch >= 'A' && ch <= 'Z')
        return ch - 55;
    if (ch >= 'a' && ch <= 'z')
        return ch - 87;
    return ch - 48;
}

// Decodes `length` characters of `text` into `out` (which may be `text` itself: the output never runs
// ahead of the input). Answers the bytes written, or -1 when the text ends inside an escape.
int DecodeEscapes(const char *text, int length, unsigned char *out)
{
    int written = 0;
    for (int at = 0; at < length; ++at) {
        if (text[at] != '%') {
            out[written++] = (unsigned char)text[at];
            continue;
        }
        if (length - at < 3)
            return -1;
        int value = 16 * EscapeDigit((unsigned char)text[at + 1]) + EscapeDigit((unsigned char)text[at + 2]);
        out[written++] = (unsigned char)value;
        at += 2;
    }
    return written;
}

int SchemeEnd(const char *text)
{
    const char *separator = strstr(text, "://");
    return separator ? (int)(separator - text) : -1;
}

} // namespace

HRESULT CQorString::URLEncode(bool binary, const unsigned char *source, int length, char *&out)
{
    for (int at = 0; at < length; ++at) {
        unsigned char value = source[at];
        if (isalnum(value) || (!binary && s_szURLCharMap[value] == 0)) {
            *out++ = (char)value;
            continue;
        }
        unsigned char escaped = binary ? value : s_szURLCharMap[value];
        *out++ = '%';
        *out++ = kUpperHexDigits[escaped >> 4];
        *out++ = kUpperHexDigits[escaped & 0xF];
    }
    *out = 0;
    return S_OK;
}

HRESULT CQorString::URLEncode(bool binary)
{
    int length = GetLength();
    if (length == 0)
        return S_OK;
    if (length > (INT_MAX - 1) / 3)
        throw static_cast<HRESULT>(E_OUTOFMEMORY); // no block can hold the encoding
    CQorString encoded;
    char *start = encoded.GetBuffer(3 * length);
    char *end = start;
    URLEncode(binary, reinterpret_cast<const unsigned char *>(m_pszText), length, end);
    encoded.ReleaseBuffer((int)(end - start));
    encoded.FreeExtra();
    *this = encoded;
    return S_OK;
}

HRESULT CQorString::URLDecode(unsigned char *out, int &outLength)
{
    outLength = 0;
    if (!m_pData)
        return S_OK;
    CheckData(GetLength(), true);
    int written = DecodeEscapes(m_pszText, GetLength(), out);
    if (written < 0)
        return E_FAIL;
    outLength = written;
    return S_OK;
}

HRESULT CQorString::URLDecode()
{
    if (GetLength() == 0)
        return S_OK;
    CQorString saved(*this);
    CheckData(GetLength(), true);
    int written = DecodeEscapes(m_pszText, GetLength(), reinterpret_cast<unsigned char *>(m_pszText));
    if (written < 0) {
        *this = saved;
        return E_FAIL;
    }
    ReleaseBuffer(written);
    FreeExtra();
    return S_OK;
}

HRESULT CQorString::UrlSchemeHostname(CQorString &out) const
{
    int schemeEnd = SchemeEnd(m_pszText);
    if (schemeEnd < 0)
        return E_INVALIDARG;
    const char *slash = strchr(m_pszText + schemeEnd + 3, '/');
    out = slash ? Left((int)(slash - m_pszText)) : *this;
    return S_OK;
}

HRESULT CQorString::UrlSchemeHostnamePath(CQorString &out) const
{
    int schemeEnd = SchemeEnd(m_pszText);
    if (schemeEnd < 0)
        return E_INVALIDARG;
    if (strchr(m_pszText + schemeEnd + 3, '/'))
        out = Left(ReverseFind('/') + 1);
    else
        out = *this + "/";
    return S_OK;
}
