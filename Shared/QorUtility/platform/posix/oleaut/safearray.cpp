// safearray.cpp: one-dimensional safe arrays with the Windows layout: the SAFEARRAY descriptor, with
// the element type in the four bytes before it (FADF_HAVEVARTYPE), and a separate block of elements.
#include "QorPlatform.h"

#include <cstdlib>
#include <cstring>

using qor::platform::FaultFires;

namespace {

// Room before the descriptor: Windows keeps the element type (or an interface id) there.
constexpr size_t kPrefixBytes = 16;

// The lock count is a 32-bit field, but Windows refuses more than this many locks.
constexpr ULONG kMaxLocks = 0xFFFF;

struct ElementKind {
    ULONG size;
    USHORT features;
};

// The size and feature flags of an element type; size 0 for a type no safe array holds.
ElementKind KindOf(VARTYPE vt)
{
    switch (vt) {
    case VT_I1: case VT_UI1: return {1, 0};
    case VT_I2: case VT_UI2: case VT_BOOL: return {2, 0};
    case VT_I4: case VT_UI4: case VT_R4: case VT_INT: case VT_UINT: case VT_ERROR: return {4, 0};
    case VT_R8: case VT_CY: case VT_DATE: case VT_I8: case VT_UI8: return {8, 0};
    case VT_DECIMAL: return {16, 0};
    case VT_BSTR: return {sizeof(BSTR), FADF_BSTR};
    case VT_UNKNOWN: return {sizeof(IUnknown *), FADF_UNKNOWN};
    case VT_DISPATCH: return {sizeof(IDispatch *), FADF_DISPATCH};
    case VT_VARIANT: return {sizeof(VARIANT), FADF_VARIANT};
    default: return {0, 0};
    }
}

VARTYPE *VartypeSlot(SAFEARRAY *psa) { return reinterpret_cast<VARTYPE *>(reinterpret_cast<char *>(psa) - 4); }

ULONG ElementCount(const SAFEARRAY *psa)
{
    ULONG count = 1;
    for (USHORT dim = 0; dim < psa->cDims; ++dim)
        count *= psa->rgsabound[dim].cElements;
    return count;
}

void ReleaseElements(SAFEARRAY *psa)
{
    ULONG count = ElementCount(psa);
    for (ULONG i = 0; i < count && psa->pvData; ++i) {
        if (psa->fFeatures & FADF_BSTR)
            SysFreeString(static_cast<BSTR *>(psa->pvData)[i]);
        else if (psa->fFeatures & FADF_VARIANT)
            VariantClear(static_cast<VARIANT *>(psa->pvData) + i);
        else if ((psa->fFeatures & FADF_UNKNOWN) && static_cast<IUnknown **>(psa->pvData)[i])
            static_cast<IUnknown **>(psa->pvData)[i]->Release();
    }
}

// Bound `nDim` (1-based, as callers count) of the array; null when there is none.
const SAFEARRAYBOUND *BoundOf(SAFEARRAY *psa, UINT nDim)
{
    if (psa == nullptr || nDim < 1 || nDim > psa->cDims)
        return nullptr;
    return &psa->rgsabound[psa->cDims - nDim]; // the descriptor keeps the bounds last dimension first
}

} // namespace

SAFEARRAY *WINAPI SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements)
{
    ElementKind kind = KindOf(vt);
    if (kind.size == 0 || FaultFires("SafeArrayCreateVector"))
        return nullptr;
    char *block = static_cast<char *>(std::calloc(1, kPrefixBytes + sizeof(SAFEARRAY)));
    void *data = std::calloc(cElements ? cElements : 1, kind.size);
    if (block == nullptr || data == nullptr) {
        std::free(block);
        std::free(data);
        return nullptr;
    }
    auto *psa = reinterpret_cast<SAFEARRAY *>(block + kPrefixBytes);
    psa->cDims = 1;
    psa->fFeatures = (USHORT)(kind.features | FADF_HAVEVARTYPE);
    psa->cbElements = kind.size;
    psa->pvData = data;
    psa->rgsabound[0] = {cElements, lLbound};
    *VartypeSlot(psa) = vt;
    return psa;
}

HRESULT WINAPI SafeArrayAccessData(SAFEARRAY *psa, void **ppvData)
{
    if (psa == nullptr || ppvData == nullptr)
        return E_INVALIDARG;
    if (psa->cLocks >= kMaxLocks)
        return E_UNEXPECTED;
    ++psa->cLocks;
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT WINAPI SafeArrayUnaccessData(SAFEARRAY *psa)
{
    if (psa == nullptr)
        return E_INVALIDARG;
    if (psa->cLocks == 0)
        return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

HRESULT WINAPI SafeArrayDestroy(SAFEARRAY *psa)
{
    if (psa == nullptr)
        return S_OK;
    if (psa->cLocks > 0)
        return DISP_E_ARRAYISLOCKED;
    ReleaseElements(psa);
    std::free(psa->pvData);
    std::free(reinterpret_cast<char *>(psa) - kPrefixBytes);
    return S_OK;
}

UINT WINAPI SafeArrayGetDim(SAFEARRAY *psa) { return psa ? psa->cDims : 0; }

HRESULT WINAPI SafeArrayGetLBound(SAFEARRAY *psa, UINT nDim, LONG *plLbound)
{
    const SAFEARRAYBOUND *bound = BoundOf(psa, nDim);
    if (psa == nullptr || plLbound == nullptr)
        return E_INVALIDARG;
    if (bound == nullptr)
        return DISP_E_BADINDEX;
    *plLbound = bound->lLbound;
    return S_OK;
}

HRESULT WINAPI SafeArrayGetUBound(SAFEARRAY *psa, UINT nDim, LONG *plUbound)
{
    const SAFEARRAYBOUND *bound = BoundOf(psa, nDim);
    if (psa == nullptr || plUbound == nullptr)
        return E_INVALIDARG;
    if (bound == nullptr)
        return DISP_E_BADINDEX;
    *plUbound = (LONG)(bound->lLbound + (long long)bound->cElements - 1);
    return S_OK;
}

HRESULT WINAPI SafeArrayGetVartype(SAFEARRAY *psa, VARTYPE *pvt)
{
    if (psa == nullptr || pvt == nullptr)
        return E_INVALIDARG;
    if (!(psa->fFeatures & FADF_HAVEVARTYPE))
        return E_INVALIDARG;
    *pvt = *VartypeSlot(psa);
    return S_OK;
}
