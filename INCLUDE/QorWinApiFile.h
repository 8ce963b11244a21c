// QorWinApiFile.h: the files, handles, named mutexes and waits of the POSIX stand-in for <windows.h>:
// constants, types and functions with their exact Win32 names and signatures.
#pragma once

#if defined(_WIN32)
#  error "QorWinApiFile.h is part of the POSIX stand-in for <windows.h>; include QorWinTypes.h instead"
#endif
