// QorMessageWindow.h: a top-level window of the POSIX layer, reduced to receiving messages from other
// processes: FindWindowA finds it by its title and SendMessageA delivers to it. It listens on a Unix
// socket named after the title in ${XDG_RUNTIME_DIR:-/tmp}/qor-windows-<uid>/. A registered message
// arrives as the receiver's own identifier for the same name, and an atom sent as wParam arrives as an
// atom of the receiver's table with the same text; deleting it there deletes the sender's. Windows has
// real windows instead.
#pragma once

#include "QorWinTypes.h"

#if !defined(_WIN32)

extern "C" {

// A window titled `title` whose messages go to `procedure`; null with ERROR_ALREADY_EXISTS when a live
// window has that title, ERROR_FILENAME_EXCED_RANGE when the title is too long for a socket name.
// DestroyWindow ends it.
QORUTIL_API HWND QorCreateMessageWindow(const char *title, WNDPROC procedure);
// Waits up to `milliseconds` (INFINITE: no limit) for one message, hands it to the procedure and
// sends its answer back. FALSE with ERROR_TIMEOUT when none came.
QORUTIL_API BOOL QorReceiveWindowMessage(HWND window, DWORD milliseconds);

} // extern "C"

#endif // !_WIN32
