// window_win32.cpp: the spy viewer's window on Windows: a top-level window of its own class with a
// message loop, hidden (the texts go to the console).
#include "SpyViewer.h"

#include <cstdio>

namespace qor::spy {

LRESULT DefaultProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

namespace {

// GetMessageA handles sent messages (the texts) inside its wait and only returns for a posted one: the
// last text posts the quit message, or the loop would never see that the viewer is done.
LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool wasDone = ViewerDone();
    const LRESULT result = ViewerProcedure(window, message, wParam, lParam);
    if (!wasDone && ViewerDone())
        PostQuitMessage(0);
    return result;
}

} // namespace

bool RunViewerWindow(const char *title)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QorSpyViewer";
    HWND window = RegisterClassA(&windowClass) != 0
                      ? CreateWindowExA(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                        CW_USEDEFAULT, 400, 300, nullptr, nullptr, windowClass.hInstance, nullptr)
                      : nullptr;
    if (window == nullptr) {
        std::fprintf(stderr, "qor-spy: cannot create the window (error %lu)\n", GetLastError());
        return false;
    }
    MSG message;
    while (!ViewerDone() && GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DestroyWindow(window);
    return true;
}

} // namespace qor::spy
