// variant.cpp: VARIANT initialisation and clearing: what a variant owns (an automation string, an
// interface reference, a safe array) is released, references (VT_BYREF) are not.
#include "QorPlatform.h"

namespace {

// The types a VARIANT may hold by value; others (VT_LPSTR and the like) belong to property sets.
bool IsVariantType(VARTYPE vt)
{
    VARTYPE base = vt & VT_TYPEMASK;
    if (vt & ~(VT_TYPEMASK | VT_ARRAY | VT_BYREF))
        return false;
    if (base == VT_EMPTY || base == VT_NULL)
        return vt == base;
    return (base >= VT_I2 && base <= VT_DECIMAL && base != 15) || (base >= VT_I1 && base <= VT_UINT) ||
           base == VT_RECORD;
}

} // namespace

void WINAPI VariantInit(VARIANTARG *pvarg) { pvarg->vt = VT_EMPTY; }

HRESULT WINAPI VariantClear(VARIANTARG *pvarg)
{
    if (pvarg == nullptr)
        return E_INVALIDARG;
    VARTYPE vt = pvarg->vt;
    if (!IsVariantType(vt))
        return DISP_E_BADVARTYPE;
    HRESULT result = S_OK;
    if (vt & VT_ARRAY) {
        if (!(vt & VT_BYREF))
            result = SafeArrayDestroy(pvarg->parray); // a locked array is left to its owner
    } else if (vt == VT_BSTR) {
        SysFreeString(pvarg->bstrVal);
    } else if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && pvarg->punkVal) {
        pvarg->punkVal->Release();
    } else if (vt == VT_RECORD) {
        return E_NOTIMPL; // no record infos exist on this layer
    }
    pvarg->vt = VT_EMPTY; // even when the array could not be destroyed, as Windows does
    return result;
}
