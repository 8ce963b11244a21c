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
