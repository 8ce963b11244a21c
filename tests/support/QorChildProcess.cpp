// QorChildProcess.cpp: child programs through posix_spawn and waitpid on POSIX, CreateProcessA and a
// wait on the process handle on Windows.
#include "QorChildProcess.h"

#include "QorWinTypes.h"

#include <chrono>
#include <filesystem>
#include <thread>

#if !defined(_WIN32)
#  include <signal.h>
#  include <spawn.h>
#  include <sys/wait.h>
extern char **environ;
#endif

namespace qor::test {

std::string HelperPath(const std::string &name)
{
    char self[4096];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::filesystem::path folder = std::filesystem::path(std::string(self, length)).parent_path();
#if defined(_WIN32)
    return (folder / (name + ".exe")).string();
#else
    return (folder / name).string();
#endif
}

#if defined(_WIN32)

ChildProcess::ChildProcess(const std::string &helper, const std::vector<std::string> &arguments)
{
    std::string command = "\"" + HelperPath(helper) + "\"";
    for (const std::string &argument : arguments)
        command += " \"" + argument + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    m_started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    if (m_started) {
        CloseHandle(process.hThread);
        m_process = process.hProcess;
    }
}

int ChildProcess::Wait()
{
    if (m_started && !m_waited) {
        m_waited = true;
        DWORD code = 0;
        WaitForSingleObject(m_process, INFINITE);
        if (GetExitCodeProcess(m_process, &code))
            m_status = (int)code;
        CloseHandle(m_process);
    }
    return m_status;
}

bool ChildProcess::Running() { return m_started && !m_waited && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

void ChildProcess::Kill()
{
    if (m_started && !m_waited)
        TerminateProcess(m_process, 137);
    Wait();
}

#else

static int StatusOf(int waitStatus) { return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus); }

ChildProcess::ChildProcess(const std::string &helper, const std::vector<std::string> &arguments)
{
    std::string path = HelperPath(helper);
    std::vector<char *> argv{&path[0]};
    std::vector<std::string> copies(arguments);
    for (std::string &argument : copies)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    m_started = posix_spawn(&m_pid, path.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
}

int ChildProcess::Wait()
{
    if (m_started && !m_waited) {
        m_waited = true;
        int status = 0;
        if (waitpid(m_pid, &status, 0) == m_pid)
            m_status = StatusOf(status);
    }
    return m_status;
}

bool ChildProcess::Running()
{
    int status = 0;
    if (!m_started || m_waited || waitpid(m_pid, &status, WNOHANG) != m_pid)
        return m_started && !m_waited;
    m_waited = true;
    m_status = StatusOf(status);
    return false;
}

void ChildProcess::Kill()
{
    if (m_started && !m_waited)
        kill(m_pid, SIGKILL);
    Wait();
}

#endif

ChildProcess::~ChildProcess() { Wait(); }

int RunChild(const std::string &helper, const std::vector<std::string> &arguments)
{
    ChildProcess child(helper, arguments);
    return child.Wait();
}

bool WaitForFile(const std::string &path, ChildProcess &child)
{
    while (!std::filesystem::exists(path)) {
        if (!child.Running())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace qor::test
