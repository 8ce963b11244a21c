// QorWinApiRuntime.h: the Windows C runtime's low-level file calls (_open, _read, _write, _lseek,
// _close, _filelength, _get_osfhandle, _stat, _mkdir, _unlink) with the Windows flag values, for the POSIX stand-in
// for <windows.h>. On Windows <io.h>, <fcntl.h>, <direct.h> and <sys/stat.h> declare the real ones.
#pragma once

#if defined(_WIN32)
#  error "QorWinApiRuntime.h is part of the POSIX stand-in for <windows.h>; include QorWinTypes.h instead"
#endif

#include <cstdint>
#include <cstdio> // rename, which both runtimes share

// Open flags, with the values of the Windows runtime.
#define _O_RDONLY 0x0000
#define _O_WRONLY 0x0001
#define _O_RDWR 0x0002
#define _O_APPEND 0x0008
#define _O_CREAT 0x0100
#define _O_TRUNC 0x0200
#define _O_EXCL 0x0400
#define _O_TEXT 0x4000
#define _O_BINARY 0x8000 // every POSIX file is untranslated: no effect
#define _S_IFDIR 0x4000
#define _S_IFREG 0x8000
#define _S_IREAD 0x0100
#define _S_IWRITE 0x0080

// The Windows runtime's _stat record (its default form: 64-bit times, 32-bit size). glibc makes
// st_mtime and its kin macros; they are set aside here so the Windows field names hold.
#pragma push_macro("st_atime")
#pragma push_macro("st_mtime")
#pragma push_macro("st_ctime")
#undef st_atime
#undef st_mtime
#undef st_ctime
struct _stat {
    uint32_t st_dev;
    uint16_t st_ino;
    uint16_t st_mode;
    int16_t st_nlink;
    int16_t st_uid;
    int16_t st_gid;
    uint32_t st_rdev;
    int32_t st_size;
    int64_t st_atime;
    int64_t st_mtime;
    int64_t st_ctime;
};
#pragma pop_macro("st_ctime")
#pragma pop_macro("st_mtime")
#pragma pop_macro("st_atime")

extern "C" {

// errno follows the Windows runtime where it differs from POSIX: opening a folder is EACCES, a path
// through a plain file is ENOENT. QorInjectFault works on "_open", "_read", "_write" and "_lseek"; for
// "_write" the error ERROR_SUCCESS stands for a short write of half the bytes.
QORUTIL_API int _open(const char *filename, int oflag, ...);
QORUTIL_API int _read(int fd, void *buffer, unsigned int count);
QORUTIL_API int _write(int fd, const void *buffer, unsigned int count);
QORUTIL_API long _lseek(int fd, long offset, int origin);
QORUTIL_API int _close(int fd);
QORUTIL_API long _filelength(int fd);
// The file handle of a descriptor, made at the first call and closed by _close (never by CloseHandle);
// -1 with errno EBADF for a descriptor that is not open.
QORUTIL_API intptr_t _get_osfhandle(int fd);
// The function and its record share the name, as in the Windows runtime.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
QORUTIL_API int _stat(const char *path, struct _stat *buffer);
#pragma GCC diagnostic pop
QORUTIL_API int _mkdir(const char *dirname);
QORUTIL_API int _unlink(const char *filename);

} // extern "C"
