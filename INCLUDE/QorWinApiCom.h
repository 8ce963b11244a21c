// QorWinApiCom.h: the COM part of the POSIX stand-in for <windows.h>: GUID text forms and the task
// allocator, with their exact Win32 names and signatures.
#pragma once

#if defined(_WIN32)
#  error "QorWinApiCom.h is part of the POSIX stand-in for <windows.h>; include QorWinTypes.h instead"
#endif
