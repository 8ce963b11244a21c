// QorSpyHelper.h: CQorSpyHelper sends short debug texts to the spy viewer, if one is running: a
// top-level window titled "Tolmar Spy Utility" that takes each text as a global atom through the
// window message registered under the same name (on POSIX, qor-spy behind the emulation of both).
#pragma once

#include "QorWinTypes.h"

class QORUTIL_API CQorSpyHelper {
public:
    // "Tolmar Spy Utility": the viewer's window title and the name of its registered message.
    static const char *const m_szSpyWindowName;

    // The identifier of the registered message; 0 on failure.
    static unsigned int InitSpy();
    static const char *GetSpyWindowName();
    // The viewer's window, or null when none is running.
    static HWND GetSpyWindow();
    // Hands `text` to the viewer and waits for its answer: true when it took the text. False without
    // a text, without a viewer, for a text the atom table refuses (longer than 255 characters) and
    // when the viewer answers 0; no atom is left behind then.
    static bool Spy(const char *text);
};
