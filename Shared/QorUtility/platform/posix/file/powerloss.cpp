// powerloss.cpp: a simulated power loss for crash tests. While it runs, what each file was at its last
// flush is kept, with the writes and new ends made since, in order, as an operating system's cache
// holds them. At the chosen call the power fails: every file goes back to its flushed bytes plus the
// changes that the chosen kind of loss lets through, as if the machine had stopped there. File
// creation and deletion are taken to be durable at once, as a journaling file system makes them.
#include "file/powerloss.h"

#include "QorPlatform.h"
#include "common/descriptor.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

using qor::platform::FileChange;
using qor::platform::ScopedDescriptor;

namespace {

struct PendingChange {
    bool newEnd;      // a new end of the file at `offset`, else `bytes` written at `offset`
    off_t offset;
    std::string bytes;
};

struct TrackedFile {
    ScopedDescriptor fd; // a description of its own, so that the file's share-mode locks end with its handles
    std::string flushed;
    std::vector<PendingChange> pending;
};

struct Simulation {
    std::mutex mutex;
    std::atomic<bool> running{false};
    unsigned failingCall = 0;
    unsigned calls = 0;
    QOR_POWER_LOSS loss = QOR_POWER_LOSS_DROP;
    bool powerOff = false;
    std::map<std::pair<dev_t, ino_t>, TrackedFile> files;
};

Simulation &State()
{
    static Simulation simulation;
    return simulation;
}

std::string WholeFile(int fd)
{
    std::string bytes;
    char buffer[65536];
    for (off_t at = 0;;) {
        ssize_t got = pread(fd, buffer, sizeof buffer, at);
        if (got <= 0)
            return bytes;
        bytes.append(buffer, (size_t)got);
        at += got;
    }
}

TrackedFile *Track(Simulation &state, int fd)
{
    struct stat status;
    if (fstat(fd, &status) != 0)
        return nullptr;
    auto key = std::make_pair(status.st_dev, status.st_ino);
    auto found = state.files.find(key);
    if (found != state.files.end())
        return &found->second;
    ScopedDescriptor own(open(("/proc/self/fd/" + std::to_string(fd)).c_str(), O_RDWR | O_CLOEXEC));
    if (!own)
        return nullptr;
    TrackedFile &file = state.files[key];
    file.flushed = WholeFile(own.Get());
    file.fd = std::move(own);
    return &file;
}

void Remember(Simulation &state, FileChange change, int fd, const void *data, size_t count)
{
    if (change == FileChange::Flush) {
        struct stat status;
        if (fstat(fd, &status) == 0)
            state.files.erase(std::make_pair(status.st_dev, status.st_ino));
        return;
    }
    if (change == FileChange::OpenOrDelete)
        return;
    TrackedFile *file = Track(state, fd);
    if (file == nullptr)
        return;
    off_t at = lseek(fd, 0, SEEK_CUR);
    file->pending.push_back(change == FileChange::SetEnd
                                ? PendingChange{true, at, {}}
                                : PendingChange{false, at, std::string(static_cast<const char *>(data), count)});
}

void Apply(int fd, const PendingChange &change, size_t length)
{
    if (change.newEnd)
        (void)!ftruncate(fd, change.offset);
    else
        (void)!pwrite(fd, change.bytes.data(), length, change.offset);
}

// Which of a file's unflushed changes reach the disk: none, all, the first half with the next one
// torn in the middle, or every second one, the last ones included (the cache wrote them out of order).
void LosePower(Simulation &state)
{
    for (auto &entry : state.files) {
        TrackedFile &file = entry.second;
        int fd = file.fd.Get();
        (void)!ftruncate(fd, 0);
        (void)!pwrite(fd, file.flushed.data(), file.flushed.size(), 0);
        size_t count = file.pending.size();
        for (size_t i = 0; i < count; ++i) {
            const PendingChange &change = file.pending[i];
            if (state.loss == QOR_POWER_LOSS_KEEP || (state.loss == QOR_POWER_LOSS_SCATTER && i % 2 == 1) ||
                (state.loss == QOR_POWER_LOSS_TEAR && i < count / 2))
                Apply(fd, change, change.bytes.size());
            else if (state.loss == QOR_POWER_LOSS_TEAR && i == count / 2)
                Apply(fd, change, change.bytes.size() / 2);
        }
    }
    state.files.clear();
    state.powerOff = true;
}

} // namespace

namespace qor::platform {

bool PowerStaysOn(FileChange change, int fd, const void *data, size_t count)
{
    Simulation &state = State();
    if (!state.running.load(std::memory_order_acquire))
        return true;
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!state.powerOff && ++state.calls == state.failingCall)
        LosePower(state);
    if (state.powerOff)
        return FailWith(ERROR_NOT_READY);
    Remember(state, change, fd, data, count);
    return true;
}

} // namespace qor::platform

void QorPowerLossStart(unsigned failingCall, QOR_POWER_LOSS loss)
{
    Simulation &state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.files.clear();
    state.failingCall = failingCall;
    state.calls = 0;
    state.loss = loss;
    state.powerOff = false;
    state.running.store(true, std::memory_order_release);
}

unsigned QorPowerLossStop(void)
{
    Simulation &state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.running.store(false, std::memory_order_release);
    state.files.clear();
    state.powerOff = false;
    return state.calls;
}
