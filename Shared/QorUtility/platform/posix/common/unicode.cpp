// unicode.cpp: UTF-8 <-> UTF-16 transcoding (RFC 3629 and the Unicode standard, chapter 3): shortest
// forms only, no encoded surrogates, nothing above U+10FFFF.
#include "common/unicode.h"

namespace qor::platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The well-formed range of the byte after a lead byte, and how many continuation bytes follow the lead
// (Table 3-7 of the Unicode standard). Returns 0 for a byte that cannot start a sequence.
int ContinuationCount(unsigned char lead, unsigned char &low, unsigned char &high)
{
    low = 0x80;
    high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 1;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        if (lead == 0xED)
            high = 0x9F; // no surrogates
        return 2;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (lead == 0xF0)
            low = 0x90; // no overlong forms
        if (lead == 0xF4)
            high = 0x8F; // nothing above U+10FFFF
        return 3;
    }
    return 0;
}

void AppendUtf16(char32_t codePoint, std::u16string &out)
{
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
}

void AppendUtf8(char32_t codePoint, std::string &out)
{
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// Decodes the sequence at text[index]; advances index past it (or past its ill-formed part) and
// returns false for ill-formed input.
bool DecodeUtf8(const unsigned char *text, size_t length, size_t &index, char32_t &codePoint)
{
    unsigned char lead = text[index++];
    if (lead < 0x80) {
        codePoint = lead;
        return true;
    }
    unsigned char low, high;
    int continuations = ContinuationCount(lead, low, high);
    if (continuations == 0)
        return false;
    codePoint = lead & (0x3F >> continuations);
    for (int i = 0; i < continuations; ++i) {
        if (index >= length || text[index] < low || text[index] > high)
            return false;
        codePoint = (codePoint << 6) | (text[index++] & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return true;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

} // namespace

bool Utf16FromUtf8(const char *text, size_t length, bool strict, std::u16string &out)
{
    out.clear();
    out.reserve(length);
    const auto *bytes = reinterpret_cast<const unsigned char *>(text);
    size_t index = 0;
    while (index < length) {
        char32_t codePoint;
        if (!DecodeUtf8(bytes, length, index, codePoint)) {
            if (strict)
                return false;
            codePoint = kReplacement;
        }
        AppendUtf16(codePoint, out);
    }
    return true;
}

bool Utf8FromUtf16(const WCHAR *text, size_t length, bool strict, std::string &out)
{
    out.clear();
    out.reserve(length);
    for (size_t index = 0; index < length; ++index) {
        char32_t codePoint = text[index];
        if (IsHighSurrogate(text[index]) && index + 1 < length && IsLowSurrogate(text[index + 1])) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (text[index + 1] - 0xDC00);
            ++index;
        } else if (IsHighSurrogate(text[index]) || IsLowSurrogate(text[index])) {
            if (strict)
                return false;
            codePoint = kReplacement;
        }
        AppendUtf8(codePoint, out);
    }
    return true;
}

} // namespace qor::platform
