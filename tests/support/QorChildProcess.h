// QorChildProcess.h: starting the child programs of tests/helpers (built beside the test programs) and
// waiting for them, the same way on POSIX and on Windows.
#pragma once

#include <string>
#include <vector>

namespace qor::test {

// The full path of the helper program `name` in the test program's own folder.
std::string HelperPath(const std::string &name);

// A running helper program; the destructor waits for it when Wait was not called.
class ChildProcess {
public:
    ChildProcess(const std::string &helper, const std::vector<std::string> &arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool Started() const { return m_started; }
    // The exit status (-1 when it could not be had).
    int Wait();
    // False once the child has ended.
    bool Running();
    // Ends the child at once, as a crash would (SIGKILL; TerminateProcess on Windows), and waits for it.
    void Kill();

private:
    bool m_started = false;
    bool m_waited = false;
    int m_status = -1;
#if defined(_WIN32)
    void *m_process = nullptr;
#else
    int m_pid = -1;
#endif
};

// Starts a helper, waits for it and returns its exit status.
int RunChild(const std::string &helper, const std::vector<std::string> &arguments);

// Polls until the file `path` exists; false when `child` ends before.
bool WaitForFile(const std::string &path, ChildProcess &child);

} // namespace qor::test
