// QorStringList.cpp: CQorStringList's storage and its conversions to and from automation arrays
// (SAFEARRAY of BSTR or of VARIANT), with the clearing of variants that the conversions need.
#include "QorStringList.h"

#include "QorPlatform.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// A position is the index of the next string plus one, so that null means "past the end".
CQorStringList::Position PositionOf(int index)
{
    return reinterpret_cast<CQorStringList::Position>(static_cast<uintptr_t>(index) + 1);
}

int IndexOf(CQorStringList::Position position) { return (int)(reinterpret_cast<uintptr_t>(position) - 1); }

void FreeStrings(BSTR *strings, int count)
{
    for (int i = 0; i < count; ++i)
        SysFreeString(strings[i]);
    std::free(strings);
}

ULONG ElementCount(SAFEARRAY *psa)
{
    ULONG count = 1;
    for (USHORT dim = 0; dim < psa->cDims; ++dim)
        count *= psa->rgsabound[dim].cElements;
    return count;
}

// Releases what a variant of a string array may own; arrays of variants are cleared element by
// element first. Nested deeper (`nested`), an element whose array cannot be destroyed keeps its type
// and the failure is passed up; at the top the variant is VT_EMPTY afterwards in any case.
HRESULT ClearVariant(VARIANT &variant, bool nested)
{
    HRESULT result = S_OK;
    switch (variant.vt) {
    case VT_LPSTR:
        CoTaskMemFree(variant.pcVal);
        variant.pcVal = nullptr;
        break;
    case VT_BSTR:
        SysFreeString(variant.bstrVal);
        variant.bstrVal = nullptr;
        break;
    case VT_UNKNOWN:
        if (variant.punkVal)
            variant.punkVal->Release();
        break;
    case VT_BYREF | VT_UI1:
        CoTaskMemFree(variant.pbVal);
        break;
    case VT_ARRAY | VT_VARIANT: {
        void *data = nullptr;
        SAFEARRAY *array = variant.parray;
        if (array && ElementCount(array) > 0 && SUCCEEDED(SafeArrayAccessData(array, &data))) {
            for (ULONG i = 0; i < ElementCount(array) && SUCCEEDED(result); ++i)
                result = ClearVariant(static_cast<VARIANT *>(data)[i], true);
            SafeArrayUnaccessData(array);
        }
        if (SUCCEEDED(result))
            result = SafeArrayDestroy(array);
        break;
    }
    default:
        if (variant.vt & VT_ARRAY)
            result = SafeArrayDestroy(variant.parray);
        break;
    }
    if (SUCCEEDED(result) || !nested)
        variant.vt = VT_EMPTY;
    return result;
}

// The text of one element; `destroy` releases the element once it has been read.
CQorString ElementText(void *data, ULONG index, bool variants)
{
    if (!variants)
        return CQorString(static_cast<const WCHAR *>(static_cast<BSTR *>(data)[index]));
    const VARIANT &variant = static_cast<VARIANT *>(data)[index];
    if (variant.vt == VT_LPSTR)
        return CQorString(variant.pcVal);
    if (variant.vt == VT_BSTR)
        return CQorString(static_cast<const WCHAR *>(variant.bstrVal));
    return CQorString();
}

void ReleaseElement(void *data, ULONG index, bool variants)
{
    if (variants) {
        ClearVariant(static_cast<VARIANT *>(data)[index], false);
        return;
    }
    BSTR &element = static_cast<BSTR *>(data)[index];
    SysFreeString(element);
    element = nullptr;
}

} // namespace

CQorStringList::~CQorStringList() = default;

void CQorStringList::AddString(const CQorString &text)
{
    if (!m_aStrings.Add(text))
        throw static_cast<HRESULT>(E_OUTOFMEMORY);
    SyncCount();
}

void CQorStringList::RemoveAllStrings()
{
    m_aStrings.RemoveAll();
    SyncCount();
}

CQorString &CQorStringList::GetNextString(Position &position)
{
    int index = IndexOf(position);
    position = index + 1 < m_aStrings.GetSize() ? PositionOf(index + 1) : nullptr;
    return m_aStrings[index];
}

CQorStringList::Position CQorStringList::GetFirstPosition() const
{
    return m_aStrings.GetSize() > 0 ? PositionOf(0) : nullptr;
}

int CQorStringList::Find(const char *text) const
{
    for (int i = 0; i < m_aStrings.GetSize(); ++i)
        if (m_aStrings[i] == text)
            return i;
    return -1;
}

bool CQorStringList::RemoveAt(int index)
{
    bool removed = m_aStrings.RemoveAt(index);
    SyncCount();
    return removed;
}

HRESULT CQorStringList::CreateSafeArray(SAFEARRAY **psa)
{
    if (!psa)
        return E_INVALIDARG;
    int count = m_nCount;
    if (count < 0)
        return E_FAIL;
    auto *strings = static_cast<BSTR *>(std::calloc(count > 0 ? (size_t)count : 1, sizeof(BSTR)));
    if (!strings)
        return E_OUTOFMEMORY;
    int made = 0;
    for (Position at = GetFirstPosition(); at && made < count; ++made) {
        strings[made] = GetNextString(at).AllocSysString();
        if (!strings[made]) {
            FreeStrings(strings, made);
            return E_OUTOFMEMORY;
        }
    }
    SAFEARRAY *array = SafeArrayCreateVector(VT_BSTR, 0, (ULONG)made);
    void *data = nullptr;
    HRESULT result = array ? SafeArrayAccessData(array, &data) : E_OUTOFMEMORY;
    if (FAILED(result)) {
        SafeArrayDestroy(array);
        FreeStrings(strings, made);
        return result;
    }
    std::memcpy(data, strings, (size_t)made * sizeof(BSTR)); // the array owns them from here on
    SafeArrayUnaccessData(array);
    std::free(strings);
    *psa = array;
    return S_OK;
}

HRESULT CQorStringList::LoadSafeArray(SAFEARRAY *psa, bool append, bool destroy, bool variants)
{
    if (!append)
        RemoveAllStrings();
    void *data = nullptr;
    HRESULT result = SafeArrayAccessData(psa, &data);
    if (FAILED(result))
        return result;
    if (psa->cDims < 1 || psa->cbElements != (variants ? sizeof(VARIANT) : sizeof(BSTR))) {
        SafeArrayUnaccessData(psa);
        return E_INVALIDARG;
    }
    ULONG count = psa->rgsabound[0].cElements;
    try {
        for (ULONG i = 0; i < count; ++i) {
            AddString(ElementText(data, i, variants));
            if (destroy)
                ReleaseElement(data, i, variants);
        }
    } catch (...) {
        result = E_UNEXPECTED;
    }
    SafeArrayUnaccessData(psa);
    if (destroy)
        SafeArrayDestroy(psa);
    return result;
}
