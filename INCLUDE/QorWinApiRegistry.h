// QorWinApiRegistry.h: the registry and INI-file (private profile) part of the POSIX stand-in for
// <windows.h>: constants, types and functions with their exact Win32 names and signatures.
#pragma once

#if defined(_WIN32)
#  error "QorWinApiRegistry.h is part of the POSIX stand-in for <windows.h>; include QorWinTypes.h instead"
#endif
