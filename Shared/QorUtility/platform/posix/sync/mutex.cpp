// mutex.cpp: CreateMutexA, WaitForSingleObject and ReleaseMutex. A named mutex is a process-shared,
// robust, recursive pthread mutex in a shared-memory object of /dev/shm named after it (escaped, so any
// name is valid); an unnamed one lives in the process. A dead owner makes the next wait answer
// WAIT_ABANDONED. Each handle holds a shared lock on the object while open, so the last one to close,
// in any process, removes it; an object whose users all died is found unused and starts afresh.
#include "common/descriptor.h"
#include "common/handles.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using qor::platform::FailWith;
using qor::platform::LockBytes;
using qor::platform::ScopedDescriptor;
using qor::platform::FaultFires;
using qor::platform::Win32ErrorFromErrno;

namespace {

// Win32 limits object names to MAX_PATH characters.
constexpr size_t kMaxNameLength = MAX_PATH;
constexpr uint32_t kReadyMark = 0x51724D78; // written last when an object is initialised
constexpr const char *kSharedMemoryFolder = "/dev/shm/";

struct SharedMutex {
    std::atomic<uint32_t> ready;
    pthread_mutex_t mutex;
    char name[kMaxNameLength + 1]; // the Win32 name, to tell apart two names whose hashes meet
};

// Where a name lives: the per-user (local) or the machine-wide (global) namespace, and the file of the
// object in it.
struct Location {
    std::string objectPath;
    std::string directoryLockPath; // serialises creating, opening and removing objects
    off_t directoryLockByte = 0;
    mode_t mode = 0600;
};

uint64_t Fnv1a(const std::string &text, uint64_t basis)
{
    uint64_t hash = basis;
    for (unsigned char c : text)
        hash = (hash ^ c) * 0x100000001B3ULL;
    return hash;
}

std::string Hex(uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", (unsigned long long)value);
    return text;
}

// Letters, digits, '.', '_' and '-' stand for themselves, other bytes as %XX. An escaped name too long
// for a file name becomes a 128-bit hash of the name.
std::string EscapedName(const std::string &name)
{
    std::string escaped;
    for (unsigned char c : name) {
        if (std::isalnum(c) || c == '.' || c == '_' || c == '-') {
            escaped += (char)c;
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", c);
            escaped += code;
        }
    }
    if (escaped.size() <= 200)
        return "n" + escaped;
    return "h" + Hex(Fnv1a(name, 0xCBF29CE484222325ULL)) + Hex(Fnv1a(name, 0x84222325CBF29CE4ULL));
}

// "Global\" names are shared by all users, "Local\" names and names without prefix by one user's
// processes. Any other backslash names a namespace that does not exist.
bool LocationOf(const char *fullName, Location *location)
{
    std::string name = fullName;
    std::string space = "u" + std::to_string(getuid());
    if (name.compare(0, 7, "Global\\") == 0) {
        name.erase(0, 7);
        space = "global";
        location->mode = 0666;
    } else if (name.compare(0, 6, "Local\\") == 0) {
        name.erase(0, 6);
    }
    if (name.find('\\') != std::string::npos)
        return FailWith(ERROR_PATH_NOT_FOUND);
    std::string prefix = std::string(kSharedMemoryFolder) + "qor-mutex-" + space;
    location->objectPath = prefix + "-" + EscapedName(name);
    location->directoryLockPath = prefix + ".lock";
    location->directoryLockByte = (off_t)(Fnv1a(name, 0xCBF29CE484222325ULL) & 0xFFFF);
    return true;
}

// Holds the lock of a name's directory byte for the lifetime of the object.
class DirectoryLock {
public:
    explicit DirectoryLock(const Location &location)
        : m_fd(open(location.directoryLockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, location.mode))
    {
        if (m_fd)
            fchmod(m_fd.Get(), location.mode); // the global namespace is writable by all, whatever the umask
        if (m_fd && LockBytes(m_fd.Get(), F_OFD_SETLKW, F_WRLCK, location.directoryLockByte) != 0)
            m_fd.Reset();
    }

    bool Held() const { return m_fd.IsValid(); }

private:
    ScopedDescriptor m_fd; // closing it releases the lock
};

constexpr off_t kInUseByte = 0;

bool InitialiseMutex(SharedMutex *shared, const char *name, bool processShared)
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    if (processShared)
        pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    int error = pthread_mutex_init(&shared->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
    if (error != 0)
        return FailWith(Win32ErrorFromErrno(error));
    std::strncpy(shared->name, name, kMaxNameLength);
    shared->ready.store(kReadyMark, std::memory_order_release);
    return true;
}

class MutexObject : public qor::platform::HandleObject {
public:
    // An unnamed mutex, private to this process; the object takes `privateMutex` over.
    explicit MutexObject(SharedMutex *privateMutex) : m_shared(privateMutex) {}

    // A named one: `fd` is the object's file, already holding this handle's in-use lock.
    MutexObject(ScopedDescriptor fd, SharedMutex *shared, Location location)
        : m_fd(std::move(fd)), m_shared(shared), m_location(std::move(location))
    {
    }

    ~MutexObject() override
    {
        if (!m_fd) {
            pthread_mutex_destroy(&m_shared->mutex);
            delete m_shared;
            return;
        }
        munmap(m_shared, sizeof(SharedMutex));
        DirectoryLock directory(m_location);
        // Turning our shared in-use lock into an exclusive one works only when no other handle holds one.
        if (directory.Held() && LockBytes(m_fd.Get(), F_OFD_SETLK, F_WRLCK, kInUseByte) == 0)
            unlink(m_location.objectPath.c_str());
    }

    MutexObject(const MutexObject &) = delete;
    MutexObject &operator=(const MutexObject &) = delete;

    pthread_mutex_t *Mutex() { return &m_shared->mutex; }

private:
    ScopedDescriptor m_fd; // closing it gives up this handle's in-use lock
    SharedMutex *m_shared;
    Location m_location;
};

// Opens or creates the object of a named mutex; `created` tells which.
std::shared_ptr<MutexObject> OpenNamed(const char *name, bool *created)
{
    if (std::strlen(name) > kMaxNameLength)
        return FailWith(ERROR_FILENAME_EXCED_RANGE), nullptr;
    Location location;
    if (!LocationOf(name, &location))
        return nullptr;
    DirectoryLock directory(location);
    if (!directory.Held())
        return FailWith(Win32ErrorFromErrno(errno)), nullptr;
    ScopedDescriptor fd(open(location.objectPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, location.mode));
    if (!fd)
        return FailWith(Win32ErrorFromErrno(errno)), nullptr;
    void *memory = MAP_FAILED;
    if (ftruncate(fd.Get(), sizeof(SharedMutex)) == 0)
        memory = mmap(nullptr, sizeof(SharedMutex), PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
    if (memory == MAP_FAILED)
        return FailWith(Win32ErrorFromErrno(errno)), nullptr;
    auto *shared = static_cast<SharedMutex *>(memory);
    // In use means another handle holds its in-use lock; an object left by dead processes is not.
    short holder = F_UNLCK;
    bool inUse = LockBytes(fd.Get(), F_OFD_GETLK, F_WRLCK, kInUseByte, 1, &holder) == 0 && holder != F_UNLCK;
    *created = !inUse || shared->ready.load(std::memory_order_acquire) != kReadyMark;
    DWORD error = ERROR_SUCCESS;
    if (!*created && std::strncmp(shared->name, name, kMaxNameLength) != 0)
        error = ERROR_INVALID_HANDLE; // another name with the same hash: as a name of another object kind
    else if (*created && !InitialiseMutex(shared, name, true))
        error = GetLastError();
    else if (LockBytes(fd.Get(), F_OFD_SETLK, F_RDLCK, kInUseByte) != 0)
        error = Win32ErrorFromErrno(errno);
    if (error != ERROR_SUCCESS) {
        munmap(memory, sizeof(SharedMutex));
        return FailWith(error), nullptr;
    }
    return std::make_shared<MutexObject>(std::move(fd), shared, std::move(location));
}

// Takes the mutex for the calling thread: WAIT_OBJECT_0, WAIT_ABANDONED (the owner died holding it;
// the caller owns it now and its state is made consistent), WAIT_TIMEOUT or WAIT_FAILED.
DWORD Acquire(pthread_mutex_t *mutex, DWORD milliseconds)
{
    int result;
    if (milliseconds == INFINITE) {
        result = pthread_mutex_lock(mutex);
    } else if (milliseconds == 0) {
        result = pthread_mutex_trylock(mutex);
    } else {
        timespec deadline;
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        deadline.tv_sec += milliseconds / 1000;
        deadline.tv_nsec += (long)(milliseconds % 1000) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            deadline.tv_sec += 1;
            deadline.tv_nsec -= 1000000000L;
        }
        result = pthread_mutex_clocklock(mutex, CLOCK_MONOTONIC, &deadline);
    }
    switch (result) {
    case 0: return WAIT_OBJECT_0;
    case EOWNERDEAD: pthread_mutex_consistent(mutex); return WAIT_ABANDONED;
    case EBUSY:
    case ETIMEDOUT: return WAIT_TIMEOUT;
    default: SetLastError(Win32ErrorFromErrno(result)); return WAIT_FAILED;
    }
}

} // namespace

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES /*lpMutexAttributes: POSIX permissions stand in*/,
                           BOOL bInitialOwner, LPCSTR lpName)
{
    if (FaultFires("CreateMutexA"))
        return nullptr;
    bool created = true;
    std::shared_ptr<MutexObject> mutex;
    if (lpName == nullptr || *lpName == '\0') {
        auto privateMutex = std::make_unique<SharedMutex>();
        if (!InitialiseMutex(privateMutex.get(), "", false))
            return nullptr;
        mutex = std::make_shared<MutexObject>(privateMutex.release());
    } else {
        mutex = OpenNamed(lpName, &created);
        if (mutex == nullptr)
            return nullptr;
    }
    // Only the creator takes initial ownership; an opener of an existing mutex does not.
    if (bInitialOwner && created)
        Acquire(mutex->Mutex(), INFINITE);
    HANDLE handle = qor::platform::AddHandle(mutex);
    SetLastError(created ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    return handle;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    if (FaultFires("WaitForSingleObject"))
        return WAIT_FAILED;
    auto mutex = qor::platform::FindHandleOf<MutexObject>(hHandle);
    if (mutex == nullptr) {
        // Waiting is emulated for mutexes only.
        if (qor::platform::FindHandle(hHandle) != nullptr)
            SetLastError(ERROR_NOT_SUPPORTED);
        return WAIT_FAILED;
    }
    return Acquire(mutex->Mutex(), dwMilliseconds);
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex)
{
    if (FaultFires("ReleaseMutex"))
        return FALSE;
    auto mutex = qor::platform::FindHandleOf<MutexObject>(hMutex);
    if (mutex == nullptr)
        return FALSE;
    int error = pthread_mutex_unlock(mutex->Mutex());
    if (error == EPERM)
        return FailWith(ERROR_NOT_OWNER);
    return error == 0 ? TRUE : FailWith(Win32ErrorFromErrno(error));
}
