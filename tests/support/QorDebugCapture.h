// QorDebugCapture.h: catches the text that the program sends to the debugger output, so that tests can
// check it: on Windows from the DBG_PRINTEXCEPTION_C that OutputDebugStringA raises, on POSIX from the
// platform layer's debug-output sink. One capture may be active at a time.
#pragma once

#include <string>

namespace qor::test {

class DebugCapture {
public:
    DebugCapture() = default;
    ~DebugCapture();
    DebugCapture(const DebugCapture &) = delete;
    DebugCapture &operator=(const DebugCapture &) = delete;

    // Starts collecting debugger output (and forgets what an earlier capture collected).
    void Start();
    // Stops collecting; the text stays available.
    void Stop();
    // Everything sent to the debugger output between Start and Stop, in order.
    std::string Text() const;

private:
    bool m_active = false;
};

} // namespace qor::test
