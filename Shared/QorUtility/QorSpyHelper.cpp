// QorSpyHelper.cpp: delivery of a debug text to the spy viewer: the text as a global atom, sent with
// the registered message (the atom, the calling process's id); the viewer deletes an atom it takes.
#include "QorSpyHelper.h"

const char *const CQorSpyHelper::m_szSpyWindowName = "Tolmar Spy Utility";

unsigned int CQorSpyHelper::InitSpy() { return RegisterWindowMessageA(m_szSpyWindowName); }

const char *CQorSpyHelper::GetSpyWindowName() { return m_szSpyWindowName; }

HWND CQorSpyHelper::GetSpyWindow() { return FindWindowA(nullptr, m_szSpyWindowName); }

bool CQorSpyHelper::Spy(const char *text)
{
    if (text == nullptr)
        return false;
    HWND window = GetSpyWindow();
    if (window == nullptr)
        return false;
    const UINT message = InitSpy();
    if (message == 0)
        return false;
    const ATOM atom = GlobalAddAtomA(text);
    if (atom == 0)
        return false;
    if (SendMessageA(window, message, (WPARAM)atom, (LPARAM)GetCurrentProcessId()) != 0)
        return true;
    GlobalDeleteAtom(atom);
    return false;
}
