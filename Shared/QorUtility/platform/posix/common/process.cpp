// process.cpp: the ids of the calling thread and process. The thread id is the kernel's (gettid), so it
// is unique system-wide while the thread lives and never 0, as on Windows. Each thread asks the kernel
// once: the locks of the logging path ask for it several times per line.
#include "QorPlatform.h"

#include <pthread.h>
#include <unistd.h>

namespace {

thread_local DWORD t_threadId = 0;

// The one thread of a forked child has an id of its own: the one it inherited is forgotten.
void ForgetThreadId() { t_threadId = 0; }

const int s_forgetAtFork = pthread_atfork(nullptr, nullptr, &ForgetThreadId);

} // namespace

DWORD WINAPI GetCurrentThreadId(void)
{
    if (t_threadId == 0)
        t_threadId = static_cast<DWORD>(gettid());
    return t_threadId;
}

DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }
