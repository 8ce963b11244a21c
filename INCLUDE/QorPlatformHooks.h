// QorPlatformHooks.h: what a POSIX application sets up where Windows has a system facility of its own.
// String resources: Windows reads them from a module's resource section; on POSIX an application
// registers its module's string table here. Debugger output and message boxes go to settable handlers.
// Registry batches group changes into one transaction. Fault injection lets tests make a platform
// call fail on purpose. None of this exists on Windows.
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
