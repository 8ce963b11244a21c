// window.cpp: FindWindowA, SendMessageA and DestroyWindow over the message windows of the POSIX layer:
// a window is a Unix socket named after its title; a message is one request on a connection and one
// answer. The request carries the registered message's name (identifiers are each process's own) and
// the text of an atom sent as wParam, so that both arrive as the receiver's own.
#include "QorMessageWindow.h"
#include "QorPlatform.h"

#include "common/descriptor.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using qor::platform::RetryAfterSignal;
using qor::platform::ScopedDescriptor;

struct QorWindow {
    std::string title;
    std::string path;
    int listening = -1; // a window of this process: its socket
    WNDPROC procedure = nullptr;
};

namespace {

// The fixed part of a request; the message name and the atom's text follow.
struct Request {
    uint32_t message;
    uint32_t nameLength;
    uint32_t atomLength; // 0: wParam is no atom of the sender
    uint32_t reserved;
    uint64_t wParam;
    int64_t lParam;
};

struct Answer {
    int64_t result;
    uint32_t atomDeleted;
    uint32_t reserved;
};

std::string SocketFolder()
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    return std::string(runtime != nullptr && *runtime ? runtime : "/tmp") + "/qor-windows-" + std::to_string(getuid());
}

// Bytes other than letters, digits, '.', '-' and '_' written as %XX.
std::string SocketPath(const std::string &title)
{
    std::string path = SocketFolder() + "/";
    for (unsigned char ch : title) {
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", ch);
        path += std::isalnum(ch) || ch == '.' || ch == '-' || ch == '_' ? std::string(1, (char)ch) : escaped;
    }
    return path;
}

bool AddressOf(const std::string &path, sockaddr_un &address)
{
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

ScopedDescriptor Connect(const std::string &path)
{
    sockaddr_un address;
    ScopedDescriptor socketFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socketFd || !AddressOf(path, address) ||
        RetryAfterSignal([&] { return connect(socketFd.Get(), (sockaddr *)&address, sizeof address); }) != 0)
        return ScopedDescriptor();
    return socketFd;
}

bool SendAll(int fd, const void *data, size_t size)
{
    for (const char *at = (const char *)data; size > 0;) {
        const ssize_t sent = RetryAfterSignal([&] { return send(fd, at, size, MSG_NOSIGNAL); });
        if (sent <= 0)
            return false;
        at += sent;
        size -= (size_t)sent;
    }
    return true;
}

bool ReceiveAll(int fd, void *data, size_t size)
{
    for (char *at = (char *)data; size > 0;) {
        const ssize_t received = RetryAfterSignal([&] { return recv(fd, at, size, 0); });
        if (received <= 0)
            return false;
        at += received;
        size -= (size_t)received;
    }
    return true;
}

// Found windows of other processes, one record per title for the life of the process, so that one
// title always gives the same handle.
QorWindow *FoundWindow(const std::string &title)
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<QorWindow>> windows;
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<QorWindow> &window = windows[title];
    if (!window)
        window.reset(new QorWindow{title, SocketPath(title)});
    return window.get();
}

std::string TextOfAtom(ATOM atom)
{
    char text[256];
    const UINT length = atom >= 0xC000 ? GlobalGetAtomNameA(atom, text, sizeof text) : 0;
    return std::string(text, length);
}

} // namespace

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName)
{
    // Message windows have no class to match.
    if (lpClassName != nullptr || lpWindowName == nullptr) {
        SetLastError(lpClassName != nullptr ? ERROR_CALL_NOT_IMPLEMENTED : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    QorWindow *window = FoundWindow(lpWindowName);
    if (!Connect(window->path)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return window;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    ScopedDescriptor connection = hWnd != nullptr ? Connect(hWnd->path) : ScopedDescriptor();
    if (!connection) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    char name[256] = "";
    const int nameLength = Msg >= 0xC000 ? GetClipboardFormatNameA(Msg, name, sizeof name) : 0;
    const std::string atomText = wParam <= 0xFFFF ? TextOfAtom((ATOM)wParam) : std::string();
    const Request request{Msg, (uint32_t)nameLength, (uint32_t)atomText.size(), 0, (uint64_t)wParam, (int64_t)lParam};
    Answer answer{};
    // A receiver that ends before it answers answers 0, as a window destroyed during the call does.
    if (!SendAll(connection.Get(), &request, sizeof request) || !SendAll(connection.Get(), name, (size_t)nameLength) ||
        !SendAll(connection.Get(), atomText.data(), atomText.size()) ||
        !ReceiveAll(connection.Get(), &answer, sizeof answer))
        return 0;
    if (answer.atomDeleted != 0)
        GlobalDeleteAtom((ATOM)wParam);
    return (LRESULT)answer.result;
}

HWND QorCreateMessageWindow(const char *title, WNDPROC procedure)
{
    if (title == nullptr || procedure == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    mkdir(SocketFolder().c_str(), 0700);
    auto window = std::make_unique<QorWindow>(QorWindow{title, SocketPath(title), -1, procedure});
    sockaddr_un address;
    if (!AddressOf(window->path, address)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    if (Connect(window->path)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return nullptr;
    }
    unlink(window->path.c_str()); // left by a process that ended without destroying its window
    ScopedDescriptor listening(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listening || bind(listening.Get(), (sockaddr *)&address, sizeof address) != 0 || listen(listening.Get(), 16) != 0) {
        SetLastError(qor::platform::Win32ErrorFromErrno(errno));
        return nullptr;
    }
    window->listening = listening.Release();
    return window.release();
}

BOOL QorReceiveWindowMessage(HWND window, DWORD milliseconds)
{
    if (window == nullptr || window->listening < 0)
        return qor::platform::FailWith(ERROR_INVALID_WINDOW_HANDLE);
    pollfd waiting{window->listening, POLLIN, 0};
    const int ready = RetryAfterSignal([&] { return poll(&waiting, 1, milliseconds == INFINITE ? -1 : (int)milliseconds); });
    if (ready <= 0)
        return qor::platform::FailWith(ready == 0 ? ERROR_TIMEOUT : qor::platform::Win32ErrorFromErrno(errno));
    ScopedDescriptor connection(RetryAfterSignal([&] { return accept4(window->listening, nullptr, nullptr, SOCK_CLOEXEC); }));
    Request request{};
    char name[256] = "", text[256] = "";
    if (!connection || !ReceiveAll(connection.Get(), &request, sizeof request) || request.nameLength > 255 ||
        request.atomLength > 255 || !ReceiveAll(connection.Get(), name, request.nameLength) ||
        !ReceiveAll(connection.Get(), text, request.atomLength))
        return qor::platform::FailWith(ERROR_INVALID_DATA);
    const UINT message = request.nameLength > 0 ? RegisterWindowMessageA(name) : request.message;
    const ATOM atom = request.atomLength > 0 ? GlobalAddAtomA(text) : 0;
    const LRESULT result = window->procedure(window, message, atom != 0 ? atom : (WPARAM)request.wParam,
                                             (LPARAM)request.lParam);
    // The procedure took the atom when it deleted it; otherwise this process's copy goes.
    const bool atomDeleted = atom != 0 && GlobalGetAtomNameA(atom, text, sizeof text) == 0;
    if (atom != 0 && !atomDeleted)
        GlobalDeleteAtom(atom);
    const Answer answer{(int64_t)result, atomDeleted ? 1u : 0u, 0};
    SendAll(connection.Get(), &answer, sizeof answer);
    return TRUE;
}

BOOL WINAPI DestroyWindow(HWND hWnd)
{
    if (hWnd == nullptr || hWnd->listening < 0)
        return qor::platform::FailWith(ERROR_INVALID_WINDOW_HANDLE);
    close(hWnd->listening);
    unlink(hWnd->path.c_str());
    delete hWnd;
    return TRUE;
}
