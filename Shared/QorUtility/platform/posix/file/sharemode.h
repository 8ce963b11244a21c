// sharemode.h: Win32 share modes between all open file descriptions of all processes, kept as
// open-file-description locks on reserved bytes of the file. Internal to the POSIX platform layer.
#pragma once

#include "QorPlatform.h"

#include <functional>

namespace qor::platform {

// What one open of a file does with it and what it denies to the other opens.
struct ShareClaim {
    bool read = false;
    bool write = false;
    bool remove = false;
    bool denyRead = false;
    bool denyWrite = false;
    bool denyDelete = false;

    // An open that neither reads, writes nor deletes takes no part in sharing, as on Windows.
    bool Empty() const { return !read && !write && !remove; }
};

ShareClaim ShareClaimFor(DWORD desiredAccess, DWORD shareMode);

// Records `claim` on the open file description `fd` unless it conflicts with a claim of another open;
// then false with ERROR_SHARING_VIOLATION. The claim lasts until `fd` is closed.
bool TakeShareClaim(int fd, const ShareClaim &claim);

// True when another open of the file at `fd` denies deletion at this moment.
bool DeleteDeniedByOther(int fd);

// Runs `removeName` (an unlink or a rename over the file's name, answering 0 or -1 with errno) unless
// an open of the file denies deletion (ERROR_SHARING_VIOLATION); other failures answer their Win32
// error. `fd` is an open description of the file whose name goes.
bool RemoveNameUnlessDeleteDenied(int fd, const std::function<int()> &removeName);

} // namespace qor::platform
