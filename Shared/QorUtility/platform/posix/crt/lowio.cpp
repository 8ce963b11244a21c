// lowio.cpp: the Windows runtime's low-level file calls over POSIX descriptors: _open, _read, _write,
// _lseek, _filelength, _stat, _mkdir, _unlink, with the Windows flag values and errno rules. Only
// generic POSIX code lives here; _close goes with the descriptors' handles (file/osfhandle.cpp).
#include "QorPlatform.h"
#include "common/descriptor.h"

#include <cerrno>
#include <cstdarg>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using qor::platform::FaultFires;
using qor::platform::RetryAfterSignal;

namespace {

// An injected fault names a Win32 error; the runtime reports errno.
int ErrnoFromInjected(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: return EEXIST;
    case ERROR_INVALID_HANDLE: return EBADF;
    default: return EIO;
    }
}

int FailInjected()
{
    errno = ErrnoFromInjected(GetLastError());
    return -1;
}

// The Windows runtime's errno where POSIX answers differently for the same situation.
int WindowsErrno(int error)
{
    if (error == EISDIR)
        return EACCES;
    if (error == ENOTDIR)
        return ENOENT;
    return error;
}

int PosixOpenFlags(int oflag)
{
    int flags = O_CLOEXEC;
    switch (oflag & (_O_RDONLY | _O_WRONLY | _O_RDWR)) {
    case _O_WRONLY: flags |= O_WRONLY; break;
    case _O_RDWR: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
    }
    if (oflag & _O_APPEND)
        flags |= O_APPEND;
    if (oflag & _O_CREAT)
        flags |= O_CREAT;
    if (oflag & _O_TRUNC)
        flags |= O_TRUNC;
    if (oflag & _O_EXCL)
        flags |= O_EXCL;
    return flags;
}

} // namespace

int _open(const char *filename, int oflag, ...)
{
    mode_t mode = 0;
    if (oflag & _O_CREAT) {
        va_list args;
        va_start(args, oflag);
        // Windows knows only "writable or not": the permission follows _S_IWRITE, the rest the umask.
        mode = (va_arg(args, int) & _S_IWRITE) ? 0666 : 0444;
        va_end(args);
    }
    if (FaultFires("_open"))
        return FailInjected();
    int fd = RetryAfterSignal([&] { return open(filename, PosixOpenFlags(oflag), mode); });
    struct stat opened;
    if (fd >= 0 && (oflag & (_O_WRONLY | _O_RDWR)) == 0 && fstat(fd, &opened) == 0 && S_ISDIR(opened.st_mode)) {
        close(fd); // Linux reads a folder's descriptor; Windows opens no folder as a file
        errno = EACCES;
        return -1;
    }
    if (fd < 0) {
        struct stat details;
        // Creating a name that ends in '/' fails with EISDIR on Linux even when nothing is there;
        // Windows refuses such a name as invalid.
        bool missing = errno == EISDIR && (oflag & _O_CREAT) && stat(filename, &details) != 0;
        errno = missing ? EINVAL : WindowsErrno(errno);
    }
    return fd;
}

int _read(int fd, void *buffer, unsigned int count)
{
    if (FaultFires("_read"))
        return FailInjected();
    return static_cast<int>(RetryAfterSignal([&] { return read(fd, buffer, count); }));
}

int _write(int fd, const void *buffer, unsigned int count)
{
    if (FaultFires("_write")) {
        if (GetLastError() != ERROR_SUCCESS)
            return FailInjected();
        count /= 2;
    }
    return static_cast<int>(RetryAfterSignal([&] { return write(fd, buffer, count); }));
}

long _lseek(int fd, long offset, int origin)
{
    if (FaultFires("_lseek"))
        return FailInjected();
    return static_cast<long>(lseek(fd, offset, origin)); // SEEK_SET/CUR/END are 0/1/2 on both
}

long _filelength(int fd)
{
    struct stat status;
    return fstat(fd, &status) == 0 ? static_cast<long>(status.st_size) : -1L;
}

int _stat(const char *path, struct _stat *buffer)
{
    struct stat status;
    if (stat(path, &status) != 0) {
        errno = WindowsErrno(errno);
        return -1;
    }
    // Windows keeps only the kind and the owner's read and write bits.
    auto mode = static_cast<uint16_t>((S_ISDIR(status.st_mode) ? _S_IFDIR : _S_IFREG) | _S_IREAD |
                                      ((status.st_mode & S_IWUSR) ? _S_IWRITE : 0));
    // Positional, because glibc's st_mtime macros would rename the fields.
    *buffer = {static_cast<uint32_t>(status.st_dev), 0, mode, static_cast<int16_t>(status.st_nlink), 0, 0,
               static_cast<uint32_t>(status.st_dev), static_cast<int32_t>(status.st_size),
               static_cast<int64_t>(status.st_atim.tv_sec), static_cast<int64_t>(status.st_mtim.tv_sec),
               static_cast<int64_t>(status.st_ctim.tv_sec)};
    return 0;
}

int _mkdir(const char *dirname)
{
    if (mkdir(dirname, 0777) == 0)
        return 0;
    errno = WindowsErrno(errno);
    return -1;
}

int _unlink(const char *filename)
{
    if (unlink(filename) == 0)
        return 0;
    // Windows' runtime answers EACCES for a folder, where Linux says EISDIR.
    errno = WindowsErrno(errno);
    return -1;
}
