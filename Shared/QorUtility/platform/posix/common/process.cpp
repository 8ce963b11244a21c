// process.cpp: the ids of the calling thread and process. The thread id is the kernel's (gettid), so it
// is unique system-wide while the thread lives and never 0, as on Windows.
#include "QorPlatform.h"

#include <unistd.h>

DWORD WINAPI GetCurrentThreadId(void) { return static_cast<DWORD>(gettid()); }

DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }
