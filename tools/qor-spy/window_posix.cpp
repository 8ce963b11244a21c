// window_posix.cpp: the spy viewer's window on POSIX: a message window of the platform layer (a Unix
// socket named after the title), served until the viewer is done.
#include "SpyViewer.h"

#include "QorMessageWindow.h"

#include <cstdio>

namespace qor::spy {

LRESULT DefaultProcedure(HWND, UINT, WPARAM, LPARAM) { return 0; }

bool RunViewerWindow(const char *title)
{
    HWND window = QorCreateMessageWindow(title, ViewerProcedure);
    if (window == nullptr) {
        std::fprintf(stderr, "qor-spy: cannot create the window (error %lu%s)\n", (unsigned long)GetLastError(),
                     GetLastError() == ERROR_ALREADY_EXISTS ? ": another viewer is running" : "");
        return false;
    }
    while (!ViewerDone())
        if (!QorReceiveWindowMessage(window, INFINITE) && GetLastError() != ERROR_INVALID_DATA)
            break;
    DestroyWindow(window);
    return true;
}

} // namespace qor::spy
