// critsec.cpp: CRITICAL_SECTION as a recursive pthread mutex: the owning thread may enter again, and
// the section is free once it has left as often as it entered.
#include "QorPlatform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A failing mutex call means a corrupted or uninitialised section; Windows raises an exception there,
// and going on would break mutual exclusion, so the process stops with the reason.
void Check(int result, const char *call)
{
    if (result != 0) {
        std::fprintf(stderr, "%s failed: %s\n", call, std::strerror(result));
        std::abort();
    }
}

} // namespace

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs)
{
    pthread_mutexattr_t attributes;
    Check(pthread_mutexattr_init(&attributes), "pthread_mutexattr_init");
    Check(pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE), "pthread_mutexattr_settype");
    Check(pthread_mutex_init(&cs->Mutex, &attributes), "pthread_mutex_init");
    pthread_mutexattr_destroy(&attributes);
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) { Check(pthread_mutex_lock(&cs->Mutex), "pthread_mutex_lock"); }

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs)
{
    int result = pthread_mutex_trylock(&cs->Mutex);
    if (result == EBUSY)
        return FALSE;
    Check(result, "pthread_mutex_trylock");
    return TRUE;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) { Check(pthread_mutex_unlock(&cs->Mutex), "pthread_mutex_unlock"); }

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) { pthread_mutex_destroy(&cs->Mutex); }
