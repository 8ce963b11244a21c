// fileinfo.h: what the file calls share about paths: the Win32 error for a path that cannot be
// reached. Internal to the POSIX platform layer.
#pragma once

#include "QorPlatform.h"

namespace qor::platform {

// The Win32 error for `error` (an errno) met on `path`. A missing file answers ERROR_FILE_NOT_FOUND
// when its folder exists and ERROR_PATH_NOT_FOUND when the folder is missing too, as on Windows.
DWORD Win32ErrorForPath(int error, const char *path);

// The descriptor of a file handle opened with write access; -1 with the last error set otherwise.
int WritableFileDescriptor(HANDLE handle);

// A new handle for `fd`, a descriptor of the C runtime, with the access it was opened with. The handle
// uses the descriptor without owning it: closing the handle leaves the descriptor open. Null with
// ERROR_INVALID_HANDLE when `fd` is not open.
HANDLE HandleOfRuntimeDescriptor(int fd);

} // namespace qor::platform
