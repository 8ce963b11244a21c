// QorWinApiFile.h: the files, handles, named mutexes and waits of the POSIX stand-in for <windows.h>:
// constants, types and functions with their exact Win32 names and signatures.
#pragma once

#if defined(_WIN32)
#  error "QorWinApiFile.h is part of the POSIX stand-in for <windows.h>; include QorWinTypes.h instead"
#endif

typedef LONG *PLONG;

// Access rights. The generic rights are what callers pass; the specific ones decide sharing.
#define GENERIC_READ 0x80000000UL
#define GENERIC_WRITE 0x40000000UL
#define GENERIC_EXECUTE 0x20000000UL
#define GENERIC_ALL 0x10000000UL
#define FILE_READ_DATA 0x0001
#define FILE_WRITE_DATA 0x0002
#define FILE_APPEND_DATA 0x0004
#define FILE_EXECUTE 0x0020
#define DELETE 0x00010000L
#define SYNCHRONIZE 0x00100000L

// Share modes: what other opens of the same file may do while this handle is open.
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004

// Creation dispositions.
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

// File attributes and flags.
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#define FILE_FLAG_WRITE_THROUGH 0x80000000UL
#define FILE_FLAG_OVERLAPPED 0x40000000
#define FILE_FLAG_NO_BUFFERING 0x20000000
#define FILE_FLAG_RANDOM_ACCESS 0x10000000
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
// MoveFileExA flags.
#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_WRITE_THROUGH 0x00000008

// File pointer and size.
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)

// Waits.
#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED 0x00000080L
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)

typedef struct _WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
} WIN32_FILE_ATTRIBUTE_DATA, *LPWIN32_FILE_ATTRIBUTE_DATA;

typedef enum _GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard, GetFileExMaxInfoLevel } GET_FILEEX_INFO_LEVELS;

// Asynchronous I/O is not emulated: a call given an OVERLAPPED fails with ERROR_NOT_SUPPORTED.
typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

extern "C" {

// Files. Share modes hold between all handles of all processes; see file.cpp for how.
QORUTIL_API HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                      LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                                      DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
QORUTIL_API BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                                 LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped);
QORUTIL_API BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                  LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
QORUTIL_API DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                                        DWORD dwMoveMethod);
QORUTIL_API BOOL WINAPI SetEndOfFile(HANDLE hFile);
QORUTIL_API BOOL WINAPI FlushFileBuffers(HANDLE hFile);
QORUTIL_API DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);
QORUTIL_API DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName);
QORUTIL_API BOOL WINAPI GetFileAttributesExA(LPCSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId,
                                             LPVOID lpFileInformation);
QORUTIL_API BOOL WINAPI DeleteFileA(LPCSTR lpFileName);
QORUTIL_API BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags);

// Handles of every kind (files, mutexes).
QORUTIL_API BOOL WINAPI CloseHandle(HANDLE hObject);

// Named mutexes: shared between processes, recursive, abandoned when the owner dies.
QORUTIL_API HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName);
QORUTIL_API BOOL WINAPI ReleaseMutex(HANDLE hMutex);
QORUTIL_API DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

} // extern "C"

// The generic names map to their ANSI forms as <windows.h> maps them, so members named after a Win32
// call (CQorFileLog::CreateMutex) carry the same symbol on both builds.
#define CreateFile CreateFileA
#define DeleteFile DeleteFileA
#define MoveFileEx MoveFileExA
#define GetFileAttributes GetFileAttributesA
#define GetFileAttributesEx GetFileAttributesExA
#define CreateMutex CreateMutexA

// File times and attributes set by name or handle, and the search of a folder by wildcard.
typedef struct _WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *PWIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

extern "C" {

// A null time is left as it is. The creation time cannot be set on POSIX and is ignored there.
QORUTIL_API BOOL WINAPI SetFileTime(HANDLE hFile, const FILETIME *lpCreationTime, const FILETIME *lpLastAccessTime,
                                    const FILETIME *lpLastWriteTime);
// Only the read-only attribute changes a POSIX file (its write permission bits); the others have no
// store there and are accepted without effect.
QORUTIL_API BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes);
// Names in one folder matching '*' and '?' without regard to case, "*.*" matching every name and a
// trailing ".*" matching a name without a dot, in name order (as NTFS gives them).
QORUTIL_API HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData);
QORUTIL_API BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData);
QORUTIL_API BOOL WINAPI FindClose(HANDLE hFindFile);
// The name made absolute against the current folder and tidied by its text alone, with '/' separators.
QORUTIL_API DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR *lpFilePart);

} // extern "C"

#define SetFileAttributes SetFileAttributesA
#define FindFirstFile FindFirstFileA
#define FindNextFile FindNextFileA
#define WIN32_FIND_DATA WIN32_FIND_DATAA

extern "C" {

// The process's current folder, and a unique temporary file name in a folder (created empty when
// uUnique is 0), joined with '/' on POSIX.
QORUTIL_API DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer);
QORUTIL_API BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName);
QORUTIL_API UINT WINAPI GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique, LPSTR lpTempFileName);

} // extern "C"

#define GetCurrentDirectory GetCurrentDirectoryA
#define SetCurrentDirectory SetCurrentDirectoryA
#define GetTempFileName GetTempFileNameA
