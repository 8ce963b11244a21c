// sharemode.cpp: share modes as open-file-description locks (F_OFD_*) on bytes far beyond any data.
// Each open holds a shared lock on one byte per access it has and per access it denies; a conflict is
// a lock of another description on the opposite byte. The locks vanish with the description, so a
// crashed process leaves none behind. A guard byte, locked exclusively while an open takes and
// checks its bytes, makes that step atomic between processes.
#include "file/sharemode.h"
#include "common/descriptor.h"

#include <cerrno>
#include <cstdint>
#include <functional>
#include <unistd.h>

namespace {

// The reserved bytes: the last ones a file offset can address, where no data ever lies.
constexpr off_t kReservedBase = INT64_MAX - 8;
enum ReservedByte : off_t {
    kGuard = 0,
    kHasRead,
    kHasWrite,
    kHasDelete,
    kDeniesRead,
    kDeniesWrite,
    kDeniesDelete,
};

// Every reserved byte is locked alone.
int LockReserved(int fd, int command, short type, ReservedByte byte, short *holder = nullptr)
{
    return qor::platform::LockBytes(fd, command, type, kReservedBase + byte, 1, holder);
}

// The guard needs a description open for writing; one that is not (a read-only file) takes its
// bytes without it. Claims stay exclusive even then: every open takes its bytes before it checks,
// so of two racing conflicting opens at least the later checker sees the other (both may fail).
bool TakeGuard(int fd) { return LockReserved(fd, F_OFD_SETLKW, F_WRLCK, kGuard) == 0; }

void ReleaseGuard(int fd) { LockReserved(fd, F_OFD_SETLK, F_UNLCK, kGuard); }

bool Mark(int fd, ReservedByte byte) { return LockReserved(fd, F_OFD_SETLK, F_RDLCK, byte) == 0; }

// True when another description holds `byte`; our own locks never conflict with us.
bool HeldByOther(int fd, ReservedByte byte)
{
    short holder = F_UNLCK;
    return LockReserved(fd, F_OFD_GETLK, F_WRLCK, byte, &holder) == 0 && holder != F_UNLCK;
}

bool MarkAll(int fd, const qor::platform::ShareClaim &claim)
{
    return (!claim.read || Mark(fd, kHasRead)) && (!claim.write || Mark(fd, kHasWrite)) &&
           (!claim.remove || Mark(fd, kHasDelete)) && (!claim.denyRead || Mark(fd, kDeniesRead)) &&
           (!claim.denyWrite || Mark(fd, kDeniesWrite)) && (!claim.denyDelete || Mark(fd, kDeniesDelete));
}

bool Conflicts(int fd, const qor::platform::ShareClaim &claim)
{
    return (claim.read && HeldByOther(fd, kDeniesRead)) || (claim.write && HeldByOther(fd, kDeniesWrite)) ||
           (claim.remove && HeldByOther(fd, kDeniesDelete)) || (claim.denyRead && HeldByOther(fd, kHasRead)) ||
           (claim.denyWrite && HeldByOther(fd, kHasWrite)) || (claim.denyDelete && HeldByOther(fd, kHasDelete));
}

} // namespace

namespace qor::platform {

ShareClaim ShareClaimFor(DWORD desiredAccess, DWORD shareMode)
{
    ShareClaim claim;
    claim.read = (desiredAccess & (GENERIC_READ | GENERIC_EXECUTE | GENERIC_ALL | FILE_READ_DATA | FILE_EXECUTE)) != 0;
    claim.write = (desiredAccess & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
    claim.remove = (desiredAccess & (GENERIC_ALL | DELETE)) != 0;
    if (claim.Empty())
        return claim;
    claim.denyRead = (shareMode & FILE_SHARE_READ) == 0;
    claim.denyWrite = (shareMode & FILE_SHARE_WRITE) == 0;
    claim.denyDelete = (shareMode & FILE_SHARE_DELETE) == 0;
    return claim;
}

bool TakeShareClaim(int fd, const ShareClaim &claim)
{
    if (claim.Empty())
        return true;
    bool guarded = TakeGuard(fd);
    // Marking fails only on a description that cannot be read (a file without read permission,
    // opened for writing): such a file cannot take part in sharing, so the open is refused.
    bool marked = MarkAll(fd, claim);
    bool conflict = marked && Conflicts(fd, claim);
    if (guarded)
        ReleaseGuard(fd);
    if (!marked)
        return FailWith(ERROR_ACCESS_DENIED);
    if (conflict)
        return FailWith(ERROR_SHARING_VIOLATION);
    return true;
}

bool DeleteDeniedByOther(int fd)
{
    bool guarded = TakeGuard(fd);
    bool denied = HeldByOther(fd, kDeniesDelete);
    if (guarded)
        ReleaseGuard(fd);
    return denied;
}

bool RemoveNameUnlessDeleteDenied(int fd, const std::function<int()> &removeName)
{
    bool guarded = TakeGuard(fd);
    bool denied = HeldByOther(fd, kDeniesDelete);
    int result = denied ? 0 : removeName();
    int error = errno;
    if (guarded)
        ReleaseGuard(fd);
    if (denied)
        return FailWith(ERROR_SHARING_VIOLATION);
    if (result != 0)
        return FailWith(Win32ErrorFromErrno(error));
    return true;
}

} // namespace qor::platform
