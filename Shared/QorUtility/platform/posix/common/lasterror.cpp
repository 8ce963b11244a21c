// lasterror.cpp: the thread's last Win32 error, and the one table that turns errno into a Win32 error.
// Only generic POSIX code lives here.
#include "QorPlatform.h"

#include <cerrno>

static thread_local DWORD t_lastError = ERROR_SUCCESS;

DWORD WINAPI GetLastError(void) { return t_lastError; }

void WINAPI SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }

namespace qor::platform {

DWORD Win32ErrorFromErrno(int error)
{
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case ETXTBSY: return ERROR_SHARING_VIOLATION; // a running program's file is in use
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case ESPIPE: return ERROR_SEEK;
    case EIO: return ERROR_GEN_FAILURE;
    case EBUSY: return ERROR_BUSY;
    case EAGAIN: return ERROR_LOCK_VIOLATION;
    case EDEADLK: return ERROR_POSSIBLE_DEADLOCK;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENOSYS: return ERROR_CALL_NOT_IMPLEMENTED;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EFBIG: return ERROR_FILE_TOO_LARGE;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    case EFAULT: return ERROR_NOACCESS;
    case EOVERFLOW: return ERROR_ARITHMETIC_OVERFLOW;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case EILSEQ: return ERROR_NO_UNICODE_TRANSLATION;
    default: return ERROR_GEN_FAILURE;
    }
}

BOOL FailWith(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

} // namespace qor::platform
