// QorWinApiCom.h: the COM part of the POSIX stand-in for <windows.h>: GUID text forms and the task
// allocator, with their exact Win32 names and signatures.
#pragma once

#if defined(_WIN32)
#  error "QorWinApiCom.h is part of the POSIX stand-in for <windows.h>; include QorWinTypes.h instead"
#endif

typedef OLECHAR *LPOLESTR;
typedef const OLECHAR *LPCOLESTR;

#define NOERROR 0
#define CO_E_CLASSSTRING ((HRESULT)0x800401F3L) // the text is not a braced GUID
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154L)

extern "C" {

// The task allocator: memory that COM functions hand out and their callers free.
QORUTIL_API LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb);
QORUTIL_API void WINAPI CoTaskMemFree(LPVOID pv);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper-case hexadecimal, from CoTaskMemAlloc.
QORUTIL_API HRESULT WINAPI StringFromCLSID(REFCLSID rclsid, LPOLESTR *lplpsz);
// Parses the braced form (hexadecimal digits of either case). Windows also resolves ProgIDs through
// the registry; this layer has no class registrations, so any other text is CO_E_CLASSSTRING.
QORUTIL_API HRESULT WINAPI CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid);

} // extern "C"

// OLE Automation: safe arrays and variants, with the Windows layouts of QorWinTypes.h.
#define DISP_E_BADVARTYPE ((HRESULT)0x80020008L)
#define DISP_E_BADINDEX ((HRESULT)0x8002000BL)
#define DISP_E_ARRAYISLOCKED ((HRESULT)0x8002000DL)

extern "C" {

// A one-dimensional array of `cElements` zeroed elements of type `vt` (numbers, VT_BSTR, VT_VARIANT,
// VT_UNKNOWN, VT_DISPATCH); null for any other type or when memory runs out.
QORUTIL_API SAFEARRAY *WINAPI SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
// Locks the array and gives its data; each access needs one SafeArrayUnaccessData.
QORUTIL_API HRESULT WINAPI SafeArrayAccessData(SAFEARRAY *psa, void **ppvData);
QORUTIL_API HRESULT WINAPI SafeArrayUnaccessData(SAFEARRAY *psa);
// Frees the elements (SysFreeString, VariantClear, Release by type) and the array; a locked array
// is refused with DISP_E_ARRAYISLOCKED.
QORUTIL_API HRESULT WINAPI SafeArrayDestroy(SAFEARRAY *psa);
QORUTIL_API UINT WINAPI SafeArrayGetDim(SAFEARRAY *psa);
QORUTIL_API HRESULT WINAPI SafeArrayGetLBound(SAFEARRAY *psa, UINT nDim, LONG *plLbound);
QORUTIL_API HRESULT WINAPI SafeArrayGetUBound(SAFEARRAY *psa, UINT nDim, LONG *plUbound);
QORUTIL_API HRESULT WINAPI SafeArrayGetVartype(SAFEARRAY *psa, VARTYPE *pvt);

QORUTIL_API void WINAPI VariantInit(VARIANTARG *pvarg);
// Releases what the variant owns (a BSTR, an interface, an array) and makes it VT_EMPTY.
QORUTIL_API HRESULT WINAPI VariantClear(VARIANTARG *pvarg);

} // extern "C"
