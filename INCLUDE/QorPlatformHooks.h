// QorPlatformHooks.h: what a POSIX application sets up where Windows has a system facility of its own.
// String resources: Windows reads them from a module's resource section; on POSIX an application
// registers its module's string table here. Debugger output and message boxes go to settable handlers.
// Registry batches group changes into one transaction. Fault injection lets tests make a platform
// call fail on purpose. None of this exists on Windows, but for one test aid of the stack dump.
#pragma once

#include "QorWinTypes.h"

#if !defined(_WIN32)

extern "C" {

// One string resource: the text for `id`, as a STRINGTABLE row of an .rc file would give it.
typedef struct QOR_STRING_RESOURCE {
    UINT id;
    const char *text;
} QOR_STRING_RESOURCE;

// Gives `module` the string table `rows` (copied); a later call for the same module replaces it.
// LoadStringA then finds the strings as Windows finds a module's STRINGTABLE: by blocks of 16 ids.
// An empty text is an absent string, as in a compiled STRINGTABLE. Returns FALSE with
// ERROR_INVALID_PARAMETER for a null module, null rows with a non-zero count, a row without text or
// an id above 0xFFFF (string ids are 16-bit).
QORUTIL_API BOOL QorRegisterStringTable(HMODULE module, const QOR_STRING_RESOURCE *rows, size_t count);
// Forgets the string table of `module`; FALSE with ERROR_RESOURCE_TYPE_NOT_FOUND when it had none.
QORUTIL_API BOOL QorUnregisterStringTable(HMODULE module);

// Receives each OutputDebugStringA text. The default sink writes to stderr when the environment
// variable QOR_DEBUG_OUTPUT is set, and drops the text otherwise. A null sink restores the default.
// Returns the previous sink (null for the default).
typedef void (*QOR_DEBUG_OUTPUT_SINK)(const char *text, void *context);
QORUTIL_API QOR_DEBUG_OUTPUT_SINK QorSetDebugOutputSink(QOR_DEBUG_OUTPUT_SINK sink, void *context);

// Answers each MessageBoxA call. The default handler writes "caption: text" on stderr and answers IDOK.
// A null handler restores the default. Returns the previous handler (null for the default).
typedef int (*QOR_MESSAGE_BOX_HANDLER)(HWND owner, const char *text, const char *caption, UINT type, void *context);
QORUTIL_API QOR_MESSAGE_BOX_HANDLER QorSetMessageBoxHandler(QOR_MESSAGE_BOX_HANDLER handler, void *context);

// Test aid: the `nth` call (1 = the next one) of the platform function `function` (its Win32 name,
// "RegisterClipboardFormatA") from now on fails with Win32 error `error`, as that call fails on Windows.
// One fault per function at a time (a new one replaces it, nth 0 just disarms it); it disarms itself
// once it fired. QorClearFaults disarms all. For WriteFile, the error ERROR_SUCCESS stands for a short
// write: the call writes half of the bytes and succeeds without an error.
QORUTIL_API void QorInjectFault(const char *function, unsigned nth, DWORD error);
QORUTIL_API void QorClearFaults(void);
// TRUE while the fault armed for `function` has not fired yet: a test that fails the 1st, 2nd, ... call
// in turn knows it has tried them all when an operation leaves the fault unfired.
QORUTIL_API BOOL QorFaultArmed(const char *function);

// Test aid: a simulated power loss. From QorPowerLossStart on, the file calls that change files
// (CreateFileA, DeleteFileA, WriteFile, SetEndOfFile, FlushFileBuffers) are counted, and what was
// written to each file since its last flush is kept apart. The `failingCall`-th such call does not
// happen: the power fails, each file keeps its flushed bytes plus what `loss` lets through of the
// rest, and every later such call fails with ERROR_NOT_READY. Creating and deleting files count as
// durable at once. QorPowerLossStop ends the simulation and answers the calls counted, so a first run
// with a failing call of 0 (never) tells how many crash points an operation has.
typedef enum QOR_POWER_LOSS {
    QOR_POWER_LOSS_DROP,    // nothing unflushed reaches the disk
    QOR_POWER_LOSS_KEEP,    // everything does
    QOR_POWER_LOSS_TEAR,    // the first half of the changes, and the next one cut in the middle
    QOR_POWER_LOSS_SCATTER, // the 2nd, 4th, ... change: the cache wrote them out of order
} QOR_POWER_LOSS;
QORUTIL_API void QorPowerLossStart(unsigned failingCall, QOR_POWER_LOSS loss);
QORUTIL_API unsigned QorPowerLossStop(void);

// Registry batches. Every registry change that the calling thread makes between
// QorRegistryBeginBatch and QorRegistryCommitBatch is one transaction of the registry store: other
// processes see all of it at the commit or none of it, and a failed commit, QorRegistryAbortBatch
// or the end of the process (a crash or a kill included) before the commit leaves none of it. The
// root keys share one store, so a batch spans them all. A registry call that fails inside the batch
// changes nothing and leaves the batch open. While a batch is open, other threads' registry calls
// wait for its end and other processes' changes wait (up to 30 seconds, then ERROR_BUSY), so keep a
// batch short. Each function returns a Win32 error number: ERROR_INVALID_STATE for a second begin
// on the same thread or an end without a batch of the thread; a begin that fails (ERROR_BUSY, the
// registry's own errors) opens nothing. Windows has no such batch: the registry there applies each
// change on its own.
QORUTIL_API LSTATUS QorRegistryBeginBatch(void);
QORUTIL_API LSTATUS QorRegistryCommitBatch(void);
QORUTIL_API LSTATUS QorRegistryAbortBatch(void);

// Test aid: how many handles (files, mutexes, ...) this process holds open, so a test can check that
// an operation closes every handle it opened.
QORUTIL_API size_t QorOpenHandleCount(void);

} // extern "C"

#endif // !_WIN32

#if defined(_WIN32)

extern "C" {

// Test aid: while `hidden` is TRUE, the stack dump finds no tool help library and lists the process's
// modules through the process status interface ("psapi.dll"), as on a system without tool help.
QORUTIL_API void QorStackDumpHideToolHelp(BOOL hidden);

} // extern "C"

#endif // _WIN32
