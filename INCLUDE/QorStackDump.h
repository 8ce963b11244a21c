// QorStackDump.h: QorDumpStack, a readable call stack of a thread with symbol names, source lines and
// module information, through the platform's symbol engine loaded at run time (image help on
// Windows, elfutils' libdw on POSIX), so that only the dump fails where the engine is missing.
#pragma once

#include "QorString.h"
#include "QorWinTypes.h"

// Writes the stack of `thread` (null: the calling thread, from its caller's frame on) into `output`,
// with the module list, symbol path and load messages when `verbose`. S_OK; E_UNEXPECTED when the
// engine lacks an entry point; the last error's code when the engine cannot be loaded, the thread's
// context cannot be read (on POSIX another thread's stack cannot be: ERROR_NOT_SUPPORTED) or the
// engine cannot be initialised. On those failures `output` is left as it was.
QORUTIL_API HRESULT QorDumpStack(CQorString &output, HANDLE thread, bool verbose);
