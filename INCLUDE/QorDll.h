// QorDll.h: the library's frame in the host process: the resource and process handles, the family's
// clipboard formats, and the debugger-output trace call.
#pragma once

#include "QorWinTypes.h"

// Stores `module` as the module that the application's resources are loaded from. Always 0.
QORUTIL_API HRESULT QorDllInit(HINSTANCE module);
// The main executable's module handle (not cached).
QORUTIL_API HINSTANCE QorGetProcessHandle();
// The stored resource module; before QorDllInit (or after QorDllInit(0)) the executable's, which is
// then stored.
QORUTIL_API HINSTANCE QorGetCurrentResourceHandle();
// printf-style text (Windows size prefixes included) to the debugger output, exactly as formatted:
// no line end is added.
QORUTIL_API void QorTrace(const char *format, ...);
// Registers the family's clipboard formats into the QOR_CF_* globals that are still 0; answers the
// first failure (all but the shell's "FileGroupDescriptor" must register) as a result code, else 0.
QORUTIL_API HRESULT QorRegisterClipboardFormats();

// Clipboard format identifiers; 0 while not registered.
extern QORUTIL_API unsigned short QOR_CF_FIRST_STRING_LIST;
extern QORUTIL_API unsigned short QOR_CF_URL;
extern QORUTIL_API unsigned short QOR_CF_OBJECT_GENERIC; // exported for the applications, never registered here
extern QORUTIL_API unsigned short QOR_CF_OBJECT_PERSON;  // likewise
extern QORUTIL_API unsigned short QOR_CF_OBJECT_COMPANY; // likewise
extern QORUTIL_API unsigned short QOR_CF_MAPI_MSG;
extern QORUTIL_API unsigned short QOR_CF_TAB;
extern QORUTIL_API unsigned short QOR_CF_IE_TAB;
extern QORUTIL_API unsigned short QOR_CF_LAST_STRING_LIST;
extern QORUTIL_API unsigned short QOR_CF_MS_FILEGROUPDESCRIPTOR;
extern QORUTIL_API unsigned short QOR_CF_ADDREMOVE_DLG;
extern QORUTIL_API unsigned short QOR_CF_TAB_EXPORT;
