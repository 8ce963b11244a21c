// QorPlatform.h: what the library's own sources see of the platform. On Windows that is the real
// Win32 API; on POSIX it is the platform layer in posix/, plus the internal helpers declared below,
// which only posix/ uses. No file outside platform/ includes a system header of POSIX directly.
#pragma once

#include "QorWinTypes.h"

#if !defined(_WIN32)
#  include "QorPlatformHooks.h"

namespace qor::platform {

// The one place where errno becomes a Win32 error number.
DWORD Win32ErrorFromErrno(int error);

// Sets the thread's last error and returns FALSE: the failure path of a BOOL-returning call.
BOOL FailWith(DWORD error);

// True when an injected fault makes this call of `function` fail; the last error is then set to the
// injected error. Every emulated call that can fail on Windows asks this first.
bool FaultFires(const char *function);

} // namespace qor::platform

#endif // !_WIN32
