// QorStringReplace.cpp: CQorString's text replacement and its named-parameter formatter ("%name%").
#include "QorString.h"

#include "QorPlatform.h"

#include <climits>
#include <cstring>

namespace {

// ERROR_INSUFFICIENT_BUFFER as a result code.
constexpr HRESULT kInsufficientBuffer = (HRESULT)0x8007007AL;

// The first parameter whose name begins with the `length` characters of `name`, or null.
const tagSTRINGFORMATPARAM *ParamNamed(const char *name, size_t length, const tagSTRINGFORMATPARAM *params,
                                       LONG count)
{
    for (LONG i = 0; i < count; ++i)
        if (params[i].pszName && strncmp(params[i].pszName, name, length) == 0)
            return &params[i];
    return nullptr;
}

// Writes `length` bytes at `*position` while the result is a success and they fit with room to spare;
// the position moves on either way, so that it ends at the length the whole output needs.
void Put(char *out, long long outSize, long long &position, const char *bytes, long long length, HRESULT &result)
{
    if (SUCCEEDED(result) && outSize > position + length)
        memcpy(out + position, bytes, (size_t)length);
    else if (SUCCEEDED(result))
        result = kInsufficientBuffer;
    position += length;
}

} // namespace

// Counts the replacements first, so the result is reserved once at its final size.
HRESULT CQorString::ReplaceText(const char *find, const char *with, LONG maxCount)
{
    if (!find || !*find || IsEmpty())
        return S_OK;
    if (!with)
        with = "";
    const size_t findLength = strlen(find), withLength = strlen(with);
    long long size = (long long)strlen(m_pszText), found = 0;
    for (const char *at = strstr(m_pszText, find); at && found != maxCount; at = strstr(at + findLength, find))
        ++found;
    size += found * ((long long)withLength - (long long)findLength);
    if (found == 0)
        return S_OK;
    if (size > INT_MAX)
        throw static_cast<HRESULT>(E_OUTOFMEMORY);

    CQorString result;
    char *out = result.GetBuffer((int)size);
    const char *rest = m_pszText;
    for (long long done = 0; done < found; ++done) {
        const char *at = strstr(rest, find);
        memcpy(out, rest, (size_t)(at - rest));
        out += at - rest;
        memcpy(out, with, withLength);
        out += withLength;
        rest = at + findLength;
    }
    strcpy(out, rest);
    result.ReleaseBuffer((int)size);
    *this = result;
    return S_OK;
}

HRESULT CQorString::FormatFromParams(char *out, LONG outSize, LONG *outLength, const char *format,
                                     const tagSTRINGFORMATPARAM *params, LONG count)
{
    if (out && outSize > 0)
        out[0] = 0;
    if (outLength)
        *outLength = 0;
    if (!out || !outLength || !format || !params || !*format || count < 1)
        return E_INVALIDARG;

    HRESULT result = S_OK;
    long long position = 0;
    for (const char *at = format; *at;) {
        if (position >= outSize && SUCCEEDED(result))
            result = kInsufficientBuffer;
        const char *close = *at == '%' ? strchr(at + 1, '%') : nullptr;
        if (*at == '%' && !close)
            break; // a token left open is dropped
        if (!close || close == at + 1) { // a plain character, or "%%"
            Put(out, outSize, position, at, 1, result);
            at = close ? close + 1 : at + 1;
            continue;
        }
        const tagSTRINGFORMATPARAM *param = ParamNamed(at + 1, (size_t)(close - at - 1), params, count);
        if (!param || param->lValueLength < 0 || (param->lValueLength > 0 && !param->pValue)) {
            result = E_INVALIDARG;
            break;
        }
        Put(out, outSize, position, param->pValue, param->lValueLength, result);
        at = close + 1;
    }
    *outLength = (LONG)(position > LONG_MAX ? LONG_MAX : position);
    if (SUCCEEDED(result) && position >= outSize)
        result = kInsufficientBuffer;
    if (SUCCEEDED(result))
        out[position] = 0;
    else if (outSize > 0)
        out[0] = 0;
    return result;
}
