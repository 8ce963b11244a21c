// QorPlatform.h: what the library's own sources see of the platform. On Windows that is the real
// Win32 API; on POSIX it is the platform layer in posix/, plus the internal helpers declared below,
// which only posix/ uses. No file outside platform/ includes a system header of POSIX directly.
#pragma once

#include "QorWinTypes.h"

#include <string>
#if defined(_WIN32)
#  include <malloc.h> // the runtime's _expand
#  include <direct.h> // the runtime's low-level file calls: _mkdir
#  include <fcntl.h>  // _O_* flags
#  include <io.h>     // _open, _read, _write, _lseek, _close, _filelength, _unlink
#  include <sys/stat.h>
#endif

namespace qor {

// Where the library joins a folder and a name it writes this separator; where it reads a path, POSIX
// takes '/' and '\' alike.
#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
inline bool IsPathSeparator(char ch) { return ch == '\\'; }
#else
constexpr char kPathSeparator = '/';
inline bool IsPathSeparator(char ch) { return ch == '\\' || ch == '/'; }
#endif

namespace platform {
// The family's default database folder: C:\Z4DB on Windows; on POSIX, Z4DB in the user's data folder.
#if defined(_WIN32)
inline std::string DefaultDatabaseFolder() { return "C:\\Z4DB"; }
#else
std::string DefaultDatabaseFolder();
#endif
} // namespace platform

} // namespace qor

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

// The user's data folder: ${XDG_DATA_HOME:-$HOME/.local/share} (the account's home without $HOME).
std::string DataHomeFolder();

} // namespace qor::platform

#endif // !_WIN32
