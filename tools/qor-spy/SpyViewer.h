// SpyViewer.h: what the spy viewer's window needs from the viewer, and the window itself, which each
// platform provides (a real window on Windows, a message window of the POSIX layer elsewhere).
#pragma once

#include "QorWinTypes.h"

namespace qor::spy {

// The window procedure: shows each text that arrives with the spy message.
LRESULT CALLBACK ViewerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// True once the viewer has shown as many texts as it was asked to.
bool ViewerDone();

// What a window does with the messages that are not the viewer's.
LRESULT DefaultProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs a window titled `title` until ViewerDone(); false, with the reason on stderr, when the window
// cannot be made.
bool RunViewerWindow(const char *title);

} // namespace qor::spy
