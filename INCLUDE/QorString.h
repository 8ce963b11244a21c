// QorString.h: CQorString, the library's 8-bit string: a reference-counted block (CQorStringData)
// shared between copies and copied on the first change, with searching, sub-strings, the raw buffer
// protocol, printf-style formatting, string resources, case and blank handling, and the string hash.
#pragma once

#include "QorWinTypes.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// The block: one malloc'ed allocation of 12 + nBufferLength bytes, this header followed directly by
// the characters. A block held by more than one string (nRefCount > 1) is never written.
struct CQorStringData {
    int32_t nRefCount;     // strings that hold the block; 1 when it is made
    int32_t nLength;       // characters, the terminating zero not counted
    int32_t nBufferLength; // bytes for characters, terminator included; at least nLength + 1

    char *Characters() { return reinterpret_cast<char *>(this + 1); }
};
static_assert(sizeof(CQorStringData) == 12, "the block header is three 32-bit fields");

// One named substitution of CQorString::FormatFromParams.
struct tagSTRINGFORMATPARAM {
    char *pszName;
    LONG lUserData;     // the caller's own; not read by the formatter
    char *pValue;       // the replacement bytes, not necessarily zero-terminated
    LONG lValueLength;  // the number of replacement bytes
};

// Text in the ANSI code page (UTF-8 on POSIX), zero-terminated. Positions and lengths are 32-bit
// character (byte) counts. A string without a block reads as the empty text everywhere.
// Out of memory: every operation that grows or copies a block throws the HRESULT E_OUTOFMEMORY
// before the string changes (HRESULT is `long` on Windows, so `catch (long)` works there;
// `catch (HRESULT)` works on every build). Strings sharing a block must stay on one thread.
class QORUTIL_API CQorString {
public:
    // One row of the HTML entity table; a null entity ends the table.
    struct SQorHTMLAltText {
        const char *pszEntity;
        int32_t nEntityLength; // characters of pszEntity
        int32_t chValue;       // the character it stands for, as a signed 8-bit char
    };

    CQorString();
    CQorString(std::nullptr_t);
    CQorString(const char *text);
    CQorString(const unsigned short *text); // UTF-16 text, converted to the ANSI code page
    CQorString(const WCHAR *text);          // the same, for the platform's own wide type
    CQorString(const CQorString &other);
    CQorString(const char *text, int length);
    CQorString(const _GUID &guid); // the braced text form
    virtual ~CQorString();

    // Assignment from a string shares its block. Assigning a string to itself keeps its value.
    CQorString &operator=(const CQorString &other);
    CQorString &operator=(std::nullptr_t);
    CQorString &operator=(const char *text);
    CQorString &operator=(const unsigned short *text);
    CQorString &operator=(const WCHAR *text);
    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (StringFromCLSID); the old text stays if that fails.
    CQorString &operator=(const _GUID &guid);
    // Exactly `length` bytes from `text`, zero bytes included, then a terminator; a null text or a
    // negative length gives the empty text.
    void SetString(const char *text, int length);
    // Keeps an unshared block (length 0); drops a shared one.
    void Empty();

    const char *GetString() const { return m_pszText; }
    operator const char *() const { return m_pszText; }
    int GetLength() const { return m_pData ? m_pData->nLength : 0; }
    int IsEmpty() const { return !m_pData || m_pData->nLength == 0; }
    // No bounds test: the index must lie inside the text.
    char GetAt(int index) const { return m_pszText[index]; }
    char operator[](int index) const { return m_pszText[index]; }

    // Byte-wise, bytes unsigned, up to the first zero.
    bool operator==(const CQorString &other) const;
    bool operator==(const char *text) const;
    bool operator!=(const CQorString &other) const { return !(*this == other); }
    bool operator!=(const char *text) const { return !(*this == text); }
    bool operator<(const CQorString &other) const;
    bool operator>(const CQorString &other) const;
    int Compare(const char *text) const;       // -1, 0 or +1
    int CompareNoCase(const char *text) const; // the runtime's _stricmp: only the sign counts

    // Index into the text, or -1; a string without a block finds nothing.
    int Find(int ch) const; // 0 finds the terminator
    int ReverseFind(int ch) const;
    int Find(const char *sub) const; // an empty sub-string is found at 0
    int FindOneOf(const char *set) const;
    // The last character of the text that occurs in `set`; -1 for an empty or null set.
    int ReverseFindEx(const char *set) const;

    // Sub-strings share this string's block when they are its whole text. A negative `first`
    // counts as 0; a `count` below 0 or beyond the text means "to the end".
    CQorString Mid(int first, int count = -1) const;
    CQorString Left(int count) const;
    CQorString Right(int count) const;
    // The leading run of characters not in `set`; a null set gives the whole string (shared).
    CQorString SpanExcluding(const char *set) const;

    // Room for `length` characters and a terminator, the current text kept; never shrinks. The
    // length is not changed until ReleaseBuffer.
    char *GetBuffer(int length);
    char *GetBufferSetLength(int length);
    // -1: the length is that of the zero-terminated text; otherwise clamped to the buffer.
    void ReleaseBuffer(int length = -1);
    // Shrinks an unshared block in place to its text; nothing when that cannot be done in place.
    void FreeExtra();

    CQorString &operator+=(const CQorString &other);
    CQorString &operator+=(const char *text);
    CQorString &operator+=(char ch);

    // printf rules of the Windows runtime (size prefixes I64, I32, I; %S for wide text). Output never
    // exceeds the buffer: it is reserved from an estimate and grown to the measured size when needed.
    // A format that the runtime refuses (or a null one) leaves the empty text.
    void Format(const char *format, ...);
    // Loads string resource `id` from `module` (the current resource module when null); the result
    // code of the last Win32 error when the string does not exist. The text is cut to fit the current
    // buffer (less 2; 1,022 characters without one) and still counts as loaded. Both builds map the name
    // LoadString to LoadStringA, so that is the member's real name.
    HRESULT LoadString(UINT id, HINSTANCE module = nullptr);

    void MakeUpper();
    void MakeLower();
    void MakeReverse();
    void TrimLeft();
    void TrimRight();
    // Word-initial capitals; only white space starts a word.
    void Capitalize();

    // A new automation string with the text in UTF-16, owned by the caller (SysFreeString); null when
    // it cannot be allocated.
    BSTR AllocSysString() const;

    // The ELF symbol-table hash of the text up to its first zero byte; 0 for null.
    static DWORD HashFunc(const char *text);
    static DWORD HashFunc2(const void *text);
    // `length` does not bound the scan: the first zero byte does.
    static DWORD CalcBufferHash(const unsigned char *buffer, DWORD length);

    // URL escapes (%XX, upper-case digits). Letters and digits are always copied; text mode escapes the
    // 24 characters of s_szURLCharMap and copies the rest (bytes 128-255 included); binary mode escapes
    // every other byte. A blank becomes %20, never '+'. The static form writes into `out`, which must
    // hold 3 * length + 1 bytes, terminates it and leaves `out` at the terminator.
    static HRESULT URLEncode(bool binary, const unsigned char *source, int length, char *&out);
    HRESULT URLEncode(bool binary);
    HRESULT BinaryEncode() { return URLEncode(true); }
    // Decoding does not check that an escape's two characters are hexadecimal digits (%zz is 0x53) and
    // leaves '+' alone; a text that ends inside an escape is E_FAIL. The buffer form writes the bytes
    // (no terminator) into `out`, which needs room for GetLength() bytes; `outLength` is 0 on failure.
    // In place, a failure keeps the old text; decoded zero bytes stay in the text.
    HRESULT URLDecode(unsigned char *out, int &outLength);
    HRESULT URLDecode();
    HRESULT BinaryDecode() { return URLDecode(); }
    // "scheme://host" of a URL; E_INVALIDARG (and `out` unchanged) without "://".
    HRESULT UrlSchemeHostname(CQorString &out) const;
    // The URL up to and including its last '/'; "scheme://host/" when no '/' follows the host.
    HRESULT UrlSchemeHostnamePath(CQorString &out) const;

    // Quoting. AddQuotes puts `ch` before and after the text, AddAmpQuotes "&quot;". QuoteEncode puts `q2`
    // before every `q1` and every `q2`; QuoteDecode removes each `q2` that has a character after it (and
    // keeps that character, so a doubled `q2` becomes one); `q1` is not used there. Characters compare
    // as 8-bit chars. The quote encoders answer S_FALSE for an empty text; E_OUTOFMEMORY leaves the
    // string as it was.
    HRESULT AddQuotes(int ch);
    HRESULT AddAmpQuotes();
    HRESULT QuoteEncode(int q1, int q2);
    HRESULT QuoteDecode(int q1, int q2);
    HRESULT SqlEncode() { return QuoteEncode('\'', '\''); }
    HRESULT SqlDecode() { return QuoteDecode('\'', '\''); }

    // HTML. HtmlEncode replaces " & < > (and blanks, with `nbsp`) by their entities; a text without
    // them is left as it is. HtmlDecode replaces the entities of s_HTMLAltText (case-sensitive) and
    // numeric references "&#NNN;", which are taken as six characters long and reduced modulo 128.
    // HtmlStripTags drops markup and comments, turns <br>, <p...>, <div...> and </tr> into line feeds
    // and </td> into a tab, decodes the named entities outside tags and folds each run of line breaks
    // and blanks into one blank.
    HRESULT HtmlEncode(bool nbsp);
    HRESULT HtmlDecode();
    HRESULT HtmlStripTags();

    // The hexadecimal form: two upper-case digits per byte. ExtractBinary reads it back (digits of
    // either case; an odd last character is ignored) into a buffer from CoTaskMemAlloc with 10 spare
    // bytes, which the caller frees with CoTaskMemFree; S_FALSE, and `bytes` untouched, when the text
    // holds no whole pair. A pair that does not start with a digit gives 0, one with a single digit its value.
    HRESULT SetBinary(DWORD count, const unsigned char *bytes);
    HRESULT ExtractBinary(DWORD &count, unsigned char *&bytes) const;

    // Replaces up to `maxCount` occurrences of `find` (all of them when negative), left to right; the
    // replacements are not searched again. An empty or null `find` replaces nothing; a null `with`
    // counts as empty.
    HRESULT ReplaceText(const char *find, const char *with, LONG maxCount = -1);

    // Expands "%name%" tokens of `format` with the first parameter whose name begins with the token's
    // name, and "%%" to '%', into `out` of `outSize` bytes. E_INVALIDARG for missing arguments or a
    // token that no parameter matches; 0x8007007A (insufficient buffer) when the output and its
    // terminator do not fit, with `*outLength` the length the whole output needs. `out` is always
    // left zero-terminated, empty on failure; a token left open at the end is dropped.
    static HRESULT FormatFromParams(char *out, LONG outSize, LONG *outLength, const char *format,
                                    const tagSTRINGFORMATPARAM *params, LONG count);

protected:
    // Formats into this string; arguments must be of the types the format names. An argument that
    // points into this string's own text is read from the old block, which stays alive meanwhile.
    void FormatV(const char *format, va_list args);
    int BufferLength() const { return m_pData ? m_pData->nBufferLength : 0; }
    // Drops this string's reference (freeing the block at 0) and holds no block; answers the count
    // that remains.
    int ReleaseData();
    void Init();

    // A new block with room for `bufferLength` bytes (0 asks for 2) and the empty text; null when
    // it cannot be allocated.
    static CQorStringData *AllocData(int bufferLength);
    // Makes sure this string holds a block of its own with room for `size` bytes; `keepText` says
    // whether the text must survive (it is then never cut). Answers the size settled on.
    int CheckData(int size, bool keepText);

    char *m_pszText;          // the block's characters, or the address of m_szNull
    CQorStringData *m_pData;  // null when the string holds no block

    // Holds null: its own zero bytes, taken as a text, are the shared empty text.
    static char *m_szNull;
    // Non-zero (the entry's own index) for each character that text-mode URL encoding escapes.
    static const unsigned char s_szURLCharMap[256];
    // &nbsp; &quot; &amp; &lt; &gt;, then the null row.
    static const SQorHTMLAltText s_HTMLAltText[6];

private:
    void AssignWide(const WCHAR *text, size_t length);
    // Drops this string's block and takes `block` (which holds one reference for it).
    void AdoptBlock(CQorStringData *block);
    // Puts `prefix` (of `length` characters) before and after the text, in place when an unshared
    // block has more than `slack` spare bytes.
    HRESULT Surround(const char *prefix, int length, int slack);
    void Append(const char *text, int length);
    bool PointsIntoBlock(const void *pointer) const;
    char *EmptyText() const { return reinterpret_cast<char *>(&m_szNull); }
};

QORUTIL_API CQorString operator+(const CQorString &left, const CQorString &right);
QORUTIL_API CQorString operator+(const CQorString &left, const char *right);
QORUTIL_API CQorString operator+(const CQorString &left, char right);
