// QorWinTypes.h: the Win32 types and constants of the library's interface.
// On Windows this is the one place that includes <windows.h>. On POSIX it defines the same types with
// their Windows layouts (every 32-bit value stays 32-bit), then declares the Win32 subset that the
// library's platform layer provides (QorWinApi.h).
#pragma once

#include "QorExport.h"

#if defined(_WIN32)

#  ifndef WIN32_LEAN_AND_MEAN
#    define WIN32_LEAN_AND_MEAN
#  endif
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  ifndef _WIN32_WINNT
#    define _WIN32_WINNT 0x0601 // Windows 7: mingw-w64 defaults to an older one
#  endif
#  include <windows.h>
#  include <oleauto.h>

#else // POSIX

#  include <cstddef>
#  include <cstdint>
#  include <pthread.h>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef int BOOL;
typedef int INT;
typedef unsigned int UINT;
typedef char CHAR;
typedef char16_t WCHAR; // UTF-16, as on Windows
typedef WCHAR OLECHAR;
typedef LONG HRESULT;
typedef DWORD LCID;
typedef WORD LANGID;
typedef WORD ATOM;
typedef uintptr_t UINT_PTR;
typedef intptr_t INT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef ULONG_PTR DWORD_PTR;
typedef ULONG_PTR SIZE_T;

typedef void *LPVOID;
typedef const void *LPCVOID;
typedef CHAR *LPSTR;
typedef const CHAR *LPCSTR;
typedef WCHAR *LPWSTR;
typedef const WCHAR *LPCWSTR;
typedef OLECHAR *BSTR;
typedef BOOL *LPBOOL;
typedef DWORD *LPDWORD;

typedef void *HANDLE;
typedef struct QorModule *HMODULE; // a loaded module: the executable or a dlopen'ed library
typedef HMODULE HINSTANCE;
typedef struct QorWindow *HWND;
typedef struct QorRegistryKey *HKEY;
typedef HANDLE HLOCAL;

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *PFILETIME, *LPFILETIME;

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef struct _GUID {
    uint32_t Data1; // 32-bit on every build, as on Windows
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID;
typedef GUID CLSID;
typedef GUID IID;
typedef CLSID *LPCLSID;
typedef const GUID &REFGUID;
typedef const CLSID &REFCLSID;
typedef const IID &REFIID;

#  define WINAPI
#  define CALLBACK
#  define TRUE 1
#  define FALSE 0
#  define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#  define MAX_PATH 260
#  define MAKEWORD(lo, hi) ((WORD)(((BYTE)((lo)&0xff)) | ((WORD)((BYTE)((hi)&0xff))) << 8))
#  define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#  define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#  define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))
#  define LANG_NEUTRAL 0x00
#  define SUBLANG_DEFAULT 0x01
#  define SUBLANG_NEUTRAL 0x00
#  define SUBLANG_SYS_DEFAULT 0x02
#  define LANG_ENGLISH 0x09
#  define SUBLANG_ENGLISH_US 0x01

typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef float FLOAT;
typedef double DOUBLE;
typedef void *PVOID;

// Calendar time, field by field (the day of week 0 = Sunday).
typedef struct _SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;

// A time-zone rule: biases in minutes (UTC = local + bias); a transition date with wYear 0 means "the
// wDay-th wDayOfWeek of wMonth" (5 = the last), every year.
typedef struct _TIME_ZONE_INFORMATION {
    LONG Bias;
    WCHAR StandardName[32];
    SYSTEMTIME StandardDate;
    LONG StandardBias;
    WCHAR DaylightName[32];
    SYSTEMTIME DaylightDate;
    LONG DaylightBias;
} TIME_ZONE_INFORMATION, *PTIME_ZONE_INFORMATION, *LPTIME_ZONE_INFORMATION;

// Automation types, with the Windows layouts of a 64-bit build.
typedef double DATE; // days since 1899-12-30, the fraction the time of day
typedef unsigned short VARTYPE;
typedef short VARIANT_BOOL;
#  define VARIANT_TRUE ((VARIANT_BOOL)-1)
#  define VARIANT_FALSE ((VARIANT_BOOL)0)
typedef LONG SCODE;
typedef union tagCY {
    struct {
        ULONG Lo;
        LONG Hi;
    } s;
    LONGLONG int64;
} CY;

typedef struct tagSAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
} SAFEARRAYBOUND, *LPSAFEARRAYBOUND;

typedef struct tagSAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    PVOID pvData;
    SAFEARRAYBOUND rgsabound[1];
} SAFEARRAY, *LPSAFEARRAY;

// The base interface of COM objects, as far as variants need it: one Release per reference held.
// Objects are destroyed through Release, never through a pointer to the interface.
struct IUnknown {
    virtual HRESULT QueryInterface(const IID &riid, void **ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
struct IDispatch;

typedef struct tagBRECORD {
    PVOID pvRecord;
    PVOID pRecInfo;
} BRECORD;

// The member names of <oaidl.h>. The DECIMAL that overlays the whole variant there is left out: it
// needs a nameless struct, which ISO C++ lacks, and no caller of the library stores one.
typedef struct tagVARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown *punkVal;
        IDispatch *pdispVal;
        SAFEARRAY *parray;
        BYTE *pbVal;
        SHORT *piVal;
        LONG *plVal;
        LONGLONG *pllVal;
        FLOAT *pfltVal;
        DOUBLE *pdblVal;
        VARIANT_BOOL *pboolVal;
        SCODE *pscode;
        CY *pcyVal;
        DATE *pdate;
        BSTR *pbstrVal;
        IUnknown **ppunkVal;
        IDispatch **ppdispVal;
        SAFEARRAY **pparray;
        struct tagVARIANT *pvarVal;
        PVOID byref;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        CHAR *pcVal;
        USHORT *puiVal;
        ULONG *pulVal;
        ULONGLONG *pullVal;
        INT *pintVal;
        UINT *puintVal;
        BRECORD brecVal;
    };
} VARIANT, VARIANTARG, *LPVARIANT;
static_assert(sizeof(VARIANT) == 24 && sizeof(SAFEARRAY) == 32, "the Windows x64 layouts");

#  define VT_EMPTY 0
#  define VT_NULL 1
#  define VT_I2 2
#  define VT_I4 3
#  define VT_R4 4
#  define VT_R8 5
#  define VT_CY 6
#  define VT_DATE 7
#  define VT_BSTR 8
#  define VT_DISPATCH 9
#  define VT_ERROR 10
#  define VT_BOOL 11
#  define VT_VARIANT 12
#  define VT_UNKNOWN 13
#  define VT_DECIMAL 14
#  define VT_I1 16
#  define VT_UI1 17
#  define VT_UI2 18
#  define VT_UI4 19
#  define VT_I8 20
#  define VT_UI8 21
#  define VT_INT 22
#  define VT_UINT 23
#  define VT_VOID 24
#  define VT_HRESULT 25
#  define VT_LPSTR 30
#  define VT_LPWSTR 31
#  define VT_RECORD 36
#  define VT_VECTOR 0x1000
#  define VT_ARRAY 0x2000
#  define VT_BYREF 0x4000
#  define VT_TYPEMASK 0xfff

#  define FADF_AUTO 0x0001
#  define FADF_STATIC 0x0002
#  define FADF_EMBEDDED 0x0004
#  define FADF_FIXEDSIZE 0x0010
#  define FADF_RECORD 0x0020
#  define FADF_HAVEIID 0x0040
#  define FADF_HAVEVARTYPE 0x0080
#  define FADF_BSTR 0x0100
#  define FADF_UNKNOWN 0x0200
#  define FADF_DISPATCH 0x0400
#  define FADF_VARIANT 0x0800

// Geometry of the user interface: signed 32-bit coordinates, as on Windows.
typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT, *PPOINT, *LPPOINT;
typedef struct tagSIZE {
    LONG cx;
    LONG cy;
} SIZE, *PSIZE, *LPSIZE;
typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *PRECT, *LPRECT;
typedef const RECT *LPCRECT;

// Window messages.
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

// Recursive lock of one process. Its layout is ours: callers embed it by value but never look inside.
typedef struct _RTL_CRITICAL_SECTION {
    pthread_mutex_t Mutex;
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

// Result codes (HRESULT layout).
#  define S_OK ((HRESULT)0)
#  define S_FALSE ((HRESULT)1)
#  define E_NOTIMPL ((HRESULT)0x80004001)
#  define E_NOINTERFACE ((HRESULT)0x80004002)
#  define E_POINTER ((HRESULT)0x80004003)
#  define E_ABORT ((HRESULT)0x80004004)
#  define E_FAIL ((HRESULT)0x80004005)
#  define E_UNEXPECTED ((HRESULT)0x8000FFFF)
#  define E_ACCESSDENIED ((HRESULT)0x80070005)
#  define E_HANDLE ((HRESULT)0x80070006)
#  define E_OUTOFMEMORY ((HRESULT)0x8007000E)
#  define E_INVALIDARG ((HRESULT)0x80070057)
#  define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#  define FAILED(hr) (((HRESULT)(hr)) < 0)
#  define FACILITY_WIN32 7
#  define HRESULT_FROM_WIN32(e) \
    ((HRESULT)(e) <= 0 ? ((HRESULT)(e)) : ((HRESULT)(((e)&0x0000FFFF) | (FACILITY_WIN32 << 16) | 0x80000000)))

// Win32 error numbers that the platform layer answers.
#  define ERROR_SUCCESS 0L
#  define NO_ERROR 0L
#  define ERROR_INVALID_FUNCTION 1L
#  define ERROR_FILE_NOT_FOUND 2L
#  define ERROR_PATH_NOT_FOUND 3L
#  define ERROR_TOO_MANY_OPEN_FILES 4L
#  define ERROR_ACCESS_DENIED 5L
#  define ERROR_INVALID_HANDLE 6L
#  define ERROR_NOT_ENOUGH_MEMORY 8L
#  define ERROR_INVALID_DATA 13L
#  define ERROR_OUTOFMEMORY 14L
#  define ERROR_NOT_SAME_DEVICE 17L
#  define ERROR_NO_MORE_FILES 18L
#  define ERROR_WRITE_PROTECT 19L
#  define ERROR_NOT_READY 21L
#  define ERROR_SEEK 25L
#  define ERROR_WRITE_FAULT 29L
#  define ERROR_READ_FAULT 30L
#  define ERROR_GEN_FAILURE 31L
#  define ERROR_SHARING_VIOLATION 32L
#  define ERROR_LOCK_VIOLATION 33L
#  define ERROR_HANDLE_EOF 38L
#  define ERROR_HANDLE_DISK_FULL 39L
#  define ERROR_NOT_SUPPORTED 50L
#  define ERROR_FILE_EXISTS 80L
#  define ERROR_INVALID_PARAMETER 87L
#  define ERROR_BROKEN_PIPE 109L
#  define ERROR_DISK_FULL 112L
#  define ERROR_CALL_NOT_IMPLEMENTED 120L
#  define ERROR_INSUFFICIENT_BUFFER 122L
#  define ERROR_INVALID_NAME 123L
#  define ERROR_MOD_NOT_FOUND 126L
#  define ERROR_NEGATIVE_SEEK 131L
#  define ERROR_DIR_NOT_EMPTY 145L
#  define ERROR_BAD_PATHNAME 161L
#  define ERROR_BUSY 170L
#  define ERROR_ALREADY_EXISTS 183L
#  define ERROR_FILENAME_EXCED_RANGE 206L
#  define ERROR_FILE_TOO_LARGE 223L
#  define ERROR_MORE_DATA 234L
#  define WAIT_TIMEOUT 258L
#  define ERROR_NO_MORE_ITEMS 259L
#  define ERROR_DIRECTORY 267L
#  define ERROR_NOT_OWNER 288L
#  define ERROR_MR_MID_NOT_FOUND 317L
#  define ERROR_INVALID_ADDRESS 487L
#  define ERROR_ARITHMETIC_OVERFLOW 534L
#  define ERROR_NOACCESS 998L
#  define ERROR_INVALID_FLAGS 1004L
#  define ERROR_BADDB 1009L
#  define ERROR_BADKEY 1010L
#  define ERROR_CANTOPEN 1011L
#  define ERROR_CANTREAD 1012L
#  define ERROR_CANTWRITE 1013L
#  define ERROR_REGISTRY_CORRUPT 1015L
#  define ERROR_REGISTRY_IO_FAILED 1016L
#  define ERROR_KEY_DELETED 1018L
#  define ERROR_NO_UNICODE_TRANSLATION 1113L
#  define ERROR_POSSIBLE_DEADLOCK 1131L
#  define ERROR_INVALID_WINDOW_HANDLE 1400L
#  define ERROR_CLASS_ALREADY_EXISTS 1410L
#  define ERROR_TIMEOUT 1460L
#  define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#  define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#  define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#  define ERROR_RESOURCE_LANG_NOT_FOUND 1815L
#  define ERROR_CANT_RESOLVE_FILENAME 1921L
#  define ERROR_INVALID_STATE 5023L

// FormatMessage
#  define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#  define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#  define FORMAT_MESSAGE_FROM_STRING 0x00000400
#  define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#  define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#  define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#  define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF

// Code pages
#  define CP_ACP 0
#  define CP_OEMCP 1
#  define CP_UTF8 65001
#  define MB_ERR_INVALID_CHARS 0x00000008
#  define WC_ERR_INVALID_CHARS 0x00000080

// MessageBox styles and answers
#  define MB_OK 0x00000000L
#  define MB_OKCANCEL 0x00000001L
#  define MB_ABORTRETRYIGNORE 0x00000002L
#  define MB_YESNOCANCEL 0x00000003L
#  define MB_YESNO 0x00000004L
#  define MB_RETRYCANCEL 0x00000005L
#  define MB_ICONHAND 0x00000010L
#  define MB_ICONERROR MB_ICONHAND
#  define MB_ICONQUESTION 0x00000020L
#  define MB_ICONEXCLAMATION 0x00000030L
#  define MB_ICONWARNING MB_ICONEXCLAMATION
#  define MB_ICONASTERISK 0x00000040L
#  define MB_ICONINFORMATION MB_ICONASTERISK
#  define MB_SYSTEMMODAL 0x00001000L
#  define MB_TASKMODAL 0x00002000L
#  define MB_SETFOREGROUND 0x00010000L
#  define IDOK 1
#  define IDCANCEL 2
#  define IDABORT 3
#  define IDRETRY 4
#  define IDIGNORE 5
#  define IDYES 6
#  define IDNO 7

// <windows.h> maps the generic names to their ANSI forms; so do we, so that members named after a
// Win32 call (CQorString::LoadString) carry the same symbol on both builds.
#  define LoadString LoadStringA
#  define FormatMessage FormatMessageA
#  define MessageBox MessageBoxA
#  define OutputDebugString OutputDebugStringA
#  define GetModuleHandle GetModuleHandleA
#  define GetModuleFileName GetModuleFileNameA
#  define RegisterClipboardFormat RegisterClipboardFormatA
#  define GetTempPath GetTempPathA

#  include "QorWinApi.h"

#endif // POSIX
