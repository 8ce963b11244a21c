// messages.cpp: the message pump. A POSIX thread has no window message queue, so PeekMessageA finds
// nothing and there is never a message to translate or dispatch.
#include "QorPlatform.h"

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND, UINT, UINT, UINT)
{
    (void)lpMsg;
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG *) { return FALSE; }

LRESULT WINAPI DispatchMessageA(const MSG *) { return 0; }
