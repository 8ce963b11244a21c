// file.cpp: CreateFileA and the calls on a file handle (ReadFile, WriteFile, SetFilePointer,
// SetEndOfFile, FlushFileBuffers, GetFileSize), DeleteFileA and MoveFileExA. A file handle owns one
// open file description; its share mode is held on that description (sharemode.cpp).
#include "common/descriptor.h"
#include "common/handles.h"
#include "file/fileinfo.h"
#include "file/powerloss.h"
#include "file/sharemode.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using qor::platform::FailWith;
using qor::platform::FaultFires;
using qor::platform::FileChange;
using qor::platform::FindHandleOf;
using qor::platform::HandleUse;
using qor::platform::PowerStaysOn;
using qor::platform::RetryAfterSignal;
using qor::platform::ScopedDescriptor;
using qor::platform::Win32ErrorForPath;
using qor::platform::Win32ErrorFromErrno;

namespace {

class FileObject : public qor::platform::HandleObject {
public:
    FileObject(ScopedDescriptor fd, bool canRead, bool canWrite, bool borrowed = false)
        : m_canRead(canRead), m_canWrite(canWrite), m_borrowed(borrowed), m_fd(std::move(fd))
    {
    }
    ~FileObject() override
    {
        if (m_borrowed)
            m_fd.Release(); // the C runtime's descriptor: its _close closes it
    }

    int Descriptor() const { return m_fd.Get(); }

    const bool m_canRead;  // the handle was opened with read access
    const bool m_canWrite; // the handle was opened with write access
    const bool m_borrowed; // the descriptor belongs to the C runtime

private:
    ScopedDescriptor m_fd;
};

// The description is opened for reading and writing whenever the permissions allow it, whatever the
// access asked for, so that it can hold share-mode locks of every kind; the handle's own access is
// checked by the calls. Only when that is refused is it opened with just what the access needs.
int OpenExisting(const char *path, int flags, bool read, bool write)
{
    int fd = open(path, flags | O_RDWR);
    if (fd >= 0 || (errno != EACCES && errno != EROFS && errno != ETXTBSY && errno != EISDIR) || (read && write))
        return fd;
    if (write)
        return open(path, flags | O_WRONLY);
    fd = open(path, flags | O_RDONLY);
    if (fd < 0 && errno == EACCES && !read)
        fd = open(path, flags | O_PATH); // an open for attributes only needs no permission on the data
    return fd;
}

bool HasWritePermission(int fd)
{
    struct stat status;
    return fstat(fd, &status) == 0 && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

bool IsFolder(int fd)
{
    struct stat status;
    return fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
}

// Opens or creates the file as `disposition` says; `existed` tells whether the file was there.
int OpenByDisposition(const char *path, DWORD disposition, DWORD flagsAndAttributes, bool read, bool write,
                      bool *existed)
{
    int flags = O_CLOEXEC | ((flagsAndAttributes & FILE_FLAG_WRITE_THROUGH) ? O_DSYNC : 0);
    mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    for (;;) {
        if (disposition != CREATE_NEW) {
            int fd = OpenExisting(path, flags, read, write);
            if (fd >= 0 || errno != ENOENT || disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
                *existed = fd >= 0;
                return fd;
            }
        }
        int fd = open(path, flags | O_RDWR | O_CREAT | O_EXCL, mode);
        // Another open created the file in between: open it as an existing one.
        if (fd >= 0 || errno != EEXIST || disposition == CREATE_NEW) {
            *existed = false;
            return fd;
        }
    }
}

DWORD CheckCreateArguments(LPCSTR path, DWORD access, DWORD disposition, DWORD flags, HANDLE hTemplate)
{
    if (path == nullptr || *path == '\0')
        return ERROR_PATH_NOT_FOUND;
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING)
        return ERROR_INVALID_PARAMETER;
    if (disposition == TRUNCATE_EXISTING && (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA)) == 0)
        return ERROR_INVALID_PARAMETER; // truncating needs write access
    // Not emulated: asynchronous handles, delete-on-close, folder handles and templates.
    if (hTemplate != nullptr || (flags & (FILE_FLAG_OVERLAPPED | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_BACKUP_SEMANTICS)))
        return ERROR_NOT_SUPPORTED;
    return ERROR_SUCCESS;
}

// What a new description may not become: a folder handle, or a write handle on a read-only file.
DWORD CheckOpenedFile(int fd, bool write)
{
    if (IsFolder(fd))
        return ERROR_ACCESS_DENIED;
    if (write && !HasWritePermission(fd))
        return ERROR_ACCESS_DENIED; // the read-only attribute holds even for a privileged user
    return ERROR_SUCCESS;
}

// A failed open: the description (when there is one) is closed by its owner; the error is set unless
// the failing step has set it already.
HANDLE FailOpen(DWORD error)
{
    if (error != ERROR_SUCCESS)
        SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

} // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES /*lpSecurityAttributes: POSIX permissions stand in*/,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE hTemplateFile)
{
    if (FaultFires("CreateFileA") || !PowerStaysOn(FileChange::OpenOrDelete))
        return INVALID_HANDLE_VALUE;
    DWORD error = CheckCreateArguments(lpFileName, dwDesiredAccess, dwCreationDisposition, dwFlagsAndAttributes,
                                       hTemplateFile);
    if (error != ERROR_SUCCESS)
        return FailOpen(error);
    qor::platform::ShareClaim claim = qor::platform::ShareClaimFor(dwDesiredAccess, dwShareMode);
    bool existed = false;
    ScopedDescriptor fd(OpenByDisposition(lpFileName, dwCreationDisposition, dwFlagsAndAttributes, claim.read,
                                          claim.write, &existed));
    if (!fd)
        return FailOpen(errno == EEXIST ? ERROR_FILE_EXISTS : Win32ErrorForPath(errno, lpFileName));
    bool truncates = existed && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING);
    error = CheckOpenedFile(fd.Get(), claim.write || truncates);
    if (error != ERROR_SUCCESS)
        return FailOpen(error);
    // The share mode is checked before truncating, so a refused open leaves the data alone.
    if (!qor::platform::TakeShareClaim(fd.Get(), claim))
        return FailOpen(ERROR_SUCCESS);
    if (truncates && ftruncate(fd.Get(), 0) != 0)
        return FailOpen(Win32ErrorFromErrno(errno));
    HANDLE handle = qor::platform::AddHandle(std::make_shared<FileObject>(std::move(fd), claim.read, claim.write));
    bool reportsExisting = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
    SetLastError(reportsExisting && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

// What ReadFile and WriteFile check before moving bytes (after their injected faults): the count to
// report starts at 0, the handle
// is a file opened with the access the call needs, and the call is synchronous with a count to report.
// Null (last error set) when the call cannot go on.
static HandleUse<FileObject> TransferTarget(HANDLE hFile, LPDWORD done,
                                                  LPOVERLAPPED overlapped, const bool FileObject::*access)
{
    if (done != nullptr)
        *done = 0;
    auto file = FindHandleOf<FileObject>(hFile);
    if (file == nullptr)
        return nullptr;
    if (overlapped != nullptr || done == nullptr) {
        FailWith(overlapped != nullptr ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!((*file).*access)) {
        FailWith(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return file;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped)
{
    if (FaultFires("ReadFile")) {
        if (lpNumberOfBytesRead != nullptr)
            *lpNumberOfBytesRead = 0;
        return FALSE;
    }
    auto file = TransferTarget(hFile, lpNumberOfBytesRead, lpOverlapped, &FileObject::m_canRead);
    if (file == nullptr)
        return FALSE;
    // A synchronous read returns as much as the file holds, up to the count: short reads are resumed.
    DWORD done = 0;
    while (done < nNumberOfBytesToRead) {
        ssize_t got = RetryAfterSignal(
            [&] { return read(file->Descriptor(), static_cast<char *>(lpBuffer) + done, nNumberOfBytesToRead - done); });
        if (got < 0) {
            *lpNumberOfBytesRead = done;
            return FailWith(Win32ErrorFromErrno(errno));
        }
        if (got == 0)
            break;
        done += (DWORD)got;
    }
    *lpNumberOfBytesRead = done;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped)
{
    // A fault injected with ERROR_SUCCESS is a short write: half the bytes, success, no error.
    bool shortWrite = false;
    if (FaultFires("WriteFile")) {
        if (GetLastError() != ERROR_SUCCESS) {
            if (lpNumberOfBytesWritten != nullptr)
                *lpNumberOfBytesWritten = 0;
            return FALSE;
        }
        shortWrite = true;
    }
    auto file = TransferTarget(hFile, lpNumberOfBytesWritten, lpOverlapped, &FileObject::m_canWrite);
    if (file == nullptr)
        return FALSE;
    // Bytes written before a failure (a full disk) are counted, and the call fails.
    const DWORD count = shortWrite ? nNumberOfBytesToWrite / 2 : nNumberOfBytesToWrite;
    if (!PowerStaysOn(FileChange::Write, file->Descriptor(), lpBuffer, count))
        return FALSE;
    DWORD done = 0;
    while (done < count) {
        ssize_t put =
            RetryAfterSignal([&] { return write(file->Descriptor(), static_cast<const char *>(lpBuffer) + done, count - done); });
        if (put <= 0) {
            *lpNumberOfBytesWritten = done;
            return FailWith(put < 0 ? Win32ErrorFromErrno(errno) : ERROR_WRITE_FAULT);
        }
        done += (DWORD)put;
    }
    *lpNumberOfBytesWritten = done;
    return TRUE;
}

namespace {

// Moves the pointer with one seek, which returns the new position; -1 (last error set) when the move
// is refused. A refused seek leaves the pointer, so a position before the start moves nothing.
int64_t MovePointer(int fd, int64_t distance, DWORD method)
{
    const int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
    off_t target = lseek(fd, distance, whence);
    if (target < 0) {
        // A move back can be refused only for a position before the start.
        SetLastError(errno == EINVAL && distance < 0 ? ERROR_NEGATIVE_SEEK : Win32ErrorFromErrno(errno));
        return -1;
    }
    return target;
}

} // namespace

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod)
{
    if (FaultFires("SetFilePointer"))
        return INVALID_SET_FILE_POINTER;
    auto file = FindHandleOf<FileObject>(hFile);
    if (file == nullptr)
        return INVALID_SET_FILE_POINTER;
    if (dwMoveMethod > FILE_END) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    // Without a high part the distance is a signed 32-bit value; with one, the two make a signed 64-bit one.
    int64_t distance = lpDistanceToMoveHigh == nullptr
                           ? (int64_t)lDistanceToMove
                           : (int64_t)(((uint64_t)(uint32_t)*lpDistanceToMoveHigh << 32) | (uint32_t)lDistanceToMove);
    int64_t target = MovePointer(file->Descriptor(), distance, dwMoveMethod);
    if (target < 0)
        return INVALID_SET_FILE_POINTER;
    if (lpDistanceToMoveHigh == nullptr && target > (int64_t)0xFFFFFFFF) {
        // A position that cannot be returned in 32 bits is refused, and the pointer goes back to where
        // the move started: where it was, or the end of the file.
        lseek(file->Descriptor(), target - distance, SEEK_SET);
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh != nullptr)
        *lpDistanceToMoveHigh = (LONG)(target >> 32);
    // A low part of 0xFFFFFFFF is a valid position here: the cleared last error says so.
    if ((DWORD)target == INVALID_SET_FILE_POINTER)
        SetLastError(ERROR_SUCCESS);
    return (DWORD)target;
}

// The file behind a handle opened for writing, for the calls that change the file; null (last error
// set) for an injected fault, a handle that is no file, or one without write access.
static HandleUse<FileObject> WritableFile(const char *function, HANDLE hFile)
{
    if (FaultFires(function))
        return nullptr;
    auto file = FindHandleOf<FileObject>(hFile);
    if (file != nullptr && !file->m_canWrite) {
        FailWith(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return file;
}

BOOL WINAPI SetEndOfFile(HANDLE hFile)
{
    auto file = WritableFile("SetEndOfFile", hFile);
    if (file == nullptr || !PowerStaysOn(FileChange::SetEnd, file->Descriptor()))
        return FALSE;
    off_t position = lseek(file->Descriptor(), 0, SEEK_CUR);
    if (position < 0 || ftruncate(file->Descriptor(), position) != 0)
        return FailWith(Win32ErrorFromErrno(errno));
    return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile)
{
    auto file = WritableFile("FlushFileBuffers", hFile);
    if (file == nullptr || !PowerStaysOn(FileChange::Flush, file->Descriptor()))
        return FALSE;
    if (fsync(file->Descriptor()) != 0)
        return FailWith(Win32ErrorFromErrno(errno));
    return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh)
{
    if (FaultFires("GetFileSize"))
        return INVALID_FILE_SIZE;
    auto file = FindHandleOf<FileObject>(hFile);
    if (file == nullptr)
        return INVALID_FILE_SIZE;
    struct stat status;
    if (fstat(file->Descriptor(), &status) != 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return INVALID_FILE_SIZE;
    }
    uint64_t size = (uint64_t)status.st_size;
    if (lpFileSizeHigh != nullptr)
        *lpFileSizeHigh = (DWORD)(size >> 32);
    if ((DWORD)size == INVALID_FILE_SIZE)
        SetLastError(ERROR_SUCCESS); // a valid size whose low part looks like the failure value
    return (DWORD)size;
}

// The name goes at once, and handles that share deletion stay usable until they close: the way of
// Windows 10 and later, whose DeleteFile asks for POSIX delete semantics, and of unlink. Older Windows
// and Wine keep the name, pending deletion, until the last handle closes; no caller here needs that.
BOOL WINAPI DeleteFileA(LPCSTR lpFileName)
{
    if (FaultFires("DeleteFileA") || !PowerStaysOn(FileChange::OpenOrDelete))
        return FALSE;
    if (lpFileName == nullptr || *lpFileName == '\0')
        return FailWith(ERROR_PATH_NOT_FOUND);
    struct stat status;
    if (lstat(lpFileName, &status) != 0)
        return FailWith(Win32ErrorForPath(errno, lpFileName));
    if (S_ISLNK(status.st_mode)) // a link is deleted itself; its target's opens do not matter
        return unlink(lpFileName) == 0 ? TRUE : FailWith(Win32ErrorFromErrno(errno));
    if (S_ISDIR(status.st_mode) || (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return FailWith(ERROR_ACCESS_DENIED); // folders and read-only files are not deleted
    ScopedDescriptor fd(OpenExisting(lpFileName, O_CLOEXEC | O_NOFOLLOW, false, false));
    if (!fd)
        return FailWith(Win32ErrorForPath(errno, lpFileName));
    auto removeName = [lpFileName] { return unlink(lpFileName); };
    return qor::platform::RemoveNameUnlessDeleteDenied(fd.Get(), removeName) ? TRUE : FALSE;
}

namespace {

// Makes a finished rename durable: the folder holding the new name reaches the disk.
DWORD FlushFolderOf(const char *path)
{
    std::string folder = path;
    size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    ScopedDescriptor fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd || fsync(fd.Get()) != 0)
        return Win32ErrorFromErrno(errno);
    return ERROR_SUCCESS;
}

// Renames onto an existing file as Windows allows it: not onto a folder, and not while an open of the
// target denies deletion (then ERROR_ACCESS_DENIED, as Windows answers). The rename itself is atomic.
BOOL ReplaceExisting(const char *from, const char *to)
{
    struct stat status;
    if (lstat(to, &status) != 0)
        return rename(from, to) == 0 ? TRUE : FailWith(Win32ErrorForPath(errno, to));
    if (S_ISDIR(status.st_mode))
        return FailWith(ERROR_ACCESS_DENIED);
    ScopedDescriptor target(OpenExisting(to, O_CLOEXEC | O_NOFOLLOW, false, false));
    if (!target)
        return FailWith(Win32ErrorForPath(errno, to));
    auto renameOver = [from, to] { return rename(from, to); };
    if (qor::platform::RemoveNameUnlessDeleteDenied(target.Get(), renameOver))
        return TRUE;
    return GetLastError() == ERROR_SHARING_VIOLATION ? FailWith(ERROR_ACCESS_DENIED) : FALSE;
}

} // namespace

// Only the flags that a move within one file system needs; a copy across file systems is not made.
BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags)
{
    if (FaultFires("MoveFileExA"))
        return FALSE;
    if (lpExistingFileName == nullptr || lpNewFileName == nullptr ||
        (dwFlags & ~(DWORD)(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) != 0)
        return FailWith(ERROR_INVALID_PARAMETER);
    ScopedDescriptor source(OpenExisting(lpExistingFileName, O_CLOEXEC | O_NOFOLLOW, false, false));
    if (!source)
        return FailWith(Win32ErrorForPath(errno, lpExistingFileName));
    if (qor::platform::DeleteDeniedByOther(source.Get()))
        return FailWith(ERROR_SHARING_VIOLATION); // moving a file takes its name away, as deleting does
    BOOL moved;
    if ((dwFlags & MOVEFILE_REPLACE_EXISTING) != 0)
        moved = ReplaceExisting(lpExistingFileName, lpNewFileName);
    else if (renameat2(AT_FDCWD, lpExistingFileName, AT_FDCWD, lpNewFileName, RENAME_NOREPLACE) == 0)
        moved = TRUE;
    else
        moved = FailWith(Win32ErrorForPath(errno, lpNewFileName)); // an existing target: ERROR_ALREADY_EXISTS
    if (moved && (dwFlags & MOVEFILE_WRITE_THROUGH) != 0) {
        DWORD error = FlushFolderOf(lpNewFileName);
        if (error != ERROR_SUCCESS)
            return FailWith(error);
    }
    return moved;
}

namespace qor::platform {

int WritableFileDescriptor(HANDLE handle)
{
    auto file = FindHandleOf<FileObject>(handle);
    if (file == nullptr)
        return -1;
    if (!file->m_canWrite) {
        SetLastError(ERROR_ACCESS_DENIED);
        return -1;
    }
    return file->Descriptor();
}

HANDLE HandleOfRuntimeDescriptor(int fd)
{
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    int access = flags & O_ACCMODE;
    return AddHandle(std::make_shared<FileObject>(ScopedDescriptor(fd), access != O_WRONLY, access != O_RDONLY, true));
}

} // namespace qor::platform
