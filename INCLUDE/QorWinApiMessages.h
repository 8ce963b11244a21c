// QorWinApiMessages.h: the message pump of the POSIX stand-in for <windows.h>. POSIX threads have no
// message queue, so the pump finds no message; the calls exist so that code that drains the queue
// reads the same on both builds.
#pragma once

#if defined(_WIN32)
#  error "QorWinApiMessages.h is part of the POSIX stand-in for <windows.h>; include QorWinTypes.h instead"
#endif

typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

typedef struct tagPOINT_MSG {
    LONG x;
    LONG y;
} QOR_MSG_POINT;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    QOR_MSG_POINT pt;
} MSG, *PMSG, *LPMSG;

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

extern "C" {

QORUTIL_API BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
QORUTIL_API BOOL WINAPI TranslateMessage(const MSG *lpMsg);
QORUTIL_API LRESULT WINAPI DispatchMessageA(const MSG *lpMsg);

} // extern "C"

#define PeekMessage PeekMessageA
#define DispatchMessage DispatchMessageA
