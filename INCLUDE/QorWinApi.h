// QorWinApi.h: the Win32 subset that the library's POSIX platform layer provides, with the exact Win32
// names and signatures; Microsoft's documentation is its documentation. Included by QorWinTypes.h on
// POSIX only: on Windows <windows.h> declares the real functions.
#pragma once

#if defined(_WIN32)
#  error "QorWinApi.h is the POSIX stand-in for <windows.h>; include QorWinTypes.h instead"
#endif

#include <cstdarg>

extern "C" {

// Last error (thread-local)
QORUTIL_API DWORD WINAPI GetLastError(void);
QORUTIL_API void WINAPI SetLastError(DWORD dwErrCode);

// Processes and threads
QORUTIL_API DWORD WINAPI GetCurrentThreadId(void);
QORUTIL_API DWORD WINAPI GetCurrentProcessId(void);

// Critical sections: a recursive mutex of one process
QORUTIL_API void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs);
QORUTIL_API void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs);
QORUTIL_API BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs);
QORUTIL_API void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs);
QORUTIL_API void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs);

// Modules and their string resources
QORUTIL_API HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
QORUTIL_API DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
QORUTIL_API int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

// Clipboard formats (a process-wide atom table)
QORUTIL_API UINT WINAPI RegisterClipboardFormatA(LPCSTR lpszFormat);
QORUTIL_API int WINAPI GetClipboardFormatNameA(UINT format, LPSTR lpszFormatName, int cchMaxCount);

// Debugging and the user interface
QORUTIL_API void WINAPI OutputDebugStringA(LPCSTR lpOutputString);
QORUTIL_API void WINAPI DebugBreak(void);
QORUTIL_API int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

// System messages and the local heap
#define LMEM_FIXED 0x0000
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
QORUTIL_API HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes);
QORUTIL_API HLOCAL WINAPI LocalFree(HLOCAL hMem);
QORUTIL_API DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                                        LPSTR lpBuffer, DWORD nSize, va_list *Arguments);

// Code pages: the ANSI code page of POSIX is UTF-8
QORUTIL_API UINT WINAPI GetACP(void);
QORUTIL_API int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                           LPWSTR lpWideCharStr, int cchWideChar);
QORUTIL_API int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                           LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                           LPBOOL lpUsedDefaultChar);
QORUTIL_API int WINAPI lstrlenA(LPCSTR lpString);
QORUTIL_API int WINAPI lstrlenW(LPCWSTR lpString);

// Automation strings: length-prefixed UTF-16
QORUTIL_API BSTR WINAPI SysAllocString(const OLECHAR *psz);
QORUTIL_API BSTR WINAPI SysAllocStringLen(const OLECHAR *strIn, UINT ui);
QORUTIL_API void WINAPI SysFreeString(BSTR bstrString);
QORUTIL_API UINT WINAPI SysStringLen(BSTR pbstr);
QORUTIL_API UINT WINAPI SysStringByteLen(BSTR bstr);

// The temporary folder: $TMPDIR, else /tmp/, always with a trailing separator
QORUTIL_API DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer);

// C runtime names that POSIX lacks, with the Windows runtime's behaviour. The formatting functions
// understand the Windows size prefixes (I64, I32, I) and %S / %C for UTF-16 text.
QORUTIL_API int _stricmp(const char *string1, const char *string2);
QORUTIL_API int _strnicmp(const char *string1, const char *string2, size_t count);
QORUTIL_API char *_strupr(char *str);
QORUTIL_API char *_strlwr(char *str);
QORUTIL_API char *_strrev(char *str);
QORUTIL_API void *_expand(void *memblock, size_t size);
QORUTIL_API int _vsnprintf(char *buffer, size_t count, const char *format, va_list argptr);
QORUTIL_API int _vscprintf(const char *format, va_list argptr);
QORUTIL_API int _snprintf(char *buffer, size_t count, const char *format, ...);
// The local date as "mm/dd/yy" and time as "hh:mm:ss" (24-hour) into 9 bytes; _tzset re-reads $TZ.
QORUTIL_API char *_strdate(char *datestr);
QORUTIL_API char *_strtime(char *timestr);
QORUTIL_API void _tzset(void);

} // extern "C"

// The other areas of the subset, one header each.
#include "QorWinApiCom.h"
#include "QorWinApiFile.h"
#include "QorWinApiRegistry.h"
#include "QorWinApiTime.h"
#include "QorWinApiUser.h"
#include "QorWinApiRuntime.h"
#include "QorWinApiMessages.h"

// Interlocked counters: sequentially consistent, like the Win32 originals.
inline LONG InterlockedIncrement(LONG volatile *addend) { return __atomic_add_fetch(addend, 1, __ATOMIC_SEQ_CST); }
inline LONG InterlockedDecrement(LONG volatile *addend) { return __atomic_sub_fetch(addend, 1, __ATOMIC_SEQ_CST); }
inline LONG InterlockedExchange(LONG volatile *target, LONG value)
{
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchangeAdd(LONG volatile *addend, LONG value)
{
    return __atomic_fetch_add(addend, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedCompareExchange(LONG volatile *destination, LONG exchange, LONG comparand)
{
    __atomic_compare_exchange_n(destination, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return comparand;
}
