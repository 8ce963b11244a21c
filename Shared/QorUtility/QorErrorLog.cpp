// QorErrorLog.cpp: the error log: its place and life (the registry switches that find and shorten
// it, its first opening once per process under the error-log region and "Z4ErrorLogMtx", the open
// count, the per-user switch that turns tracing off) and the logging members that write to it.
#include "QorError.h"

#include "QorDBInfo.h"
#include "QorExitList.h"
#include "QorFile2.h"
#include "QorFileLog.h"
#include "QorLibraryStatics.h"
#include "QorPlatform.h"
#include "QorRegistry.h"
#include "QorScopedHandle.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

CQorFileLog *CQorError::m_pTrace = nullptr;
LONG CQorError::m_lTraceCount = 0;
CQorFileLog *CQorError::m_pLog = nullptr;
LONG CQorError::m_lLogCount = 0;

namespace {

QorExternLogFunction s_externLogFunction = nullptr;

const char kMachineKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tolmar Technology\\Z4";
const char kUserKeyFormat[] = "HKEY_CURRENT_USER\\%s";
const char kUserSubKey[] = "Software\\Tolmar Technology\\Moonlane";
const char kDisableTracing[] = "DisableTracing";
const char kTruncationMutex[] = "Z4ErrorLogMtx";

// A log beyond this size is cut to its last kKeptTail bytes when it is opened.
constexpr DWORD kTruncateThreshold = 0x300000; // 3 MB
constexpr DWORD kKeptTail = 0x200000;          // 2 MB
constexpr DWORD kCopyBuffer = 0x40000;         // 256 KB at most per copy step

CQorString UserKeyPath()
{
    CQorString path;
    path.Format(kUserKeyFormat, kUserSubKey);
    return path;
}

// The error log's file and whether to shorten it, from the machine-wide key; defaults without it.
void ReadLogSettings(CQorString &path, unsigned long &truncate)
{
    truncate = 1;
    CQorRegistry key;
    if (CQorError(key.Open(kMachineKey, KEY_ALL_ACCESS)).Succeeded()) {
        key.GetValue("ErrorLog", path);
        if (CQorError(key.GetValue("ErrorLogTruncate", truncate)).Failed())
            truncate = 1;
    }
    if (path.IsEmpty())
        path.Format("%s%c%s", CQorDBInfo::GetDBPath(), qor::kPathSeparator, "Z4ErrorLog.txt");
}

// Copies the last kKeptTail bytes of `log` into a new file at `tailPath`, which reaches the disk
// before this returns (closing a CQorFile flushes it).
HRESULT WriteTail(CQorFile &log, const char *tailPath)
{
    CQorError result = log.Seek(-(LONG)kKeptTail, FILE_END);
    if (result.Failed())
        return result;
    CQorFile tail;
    result = tail.Open(tailPath, CREATE_ALWAYS, GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL);
    if (result.Failed())
        return result;
    unsigned char *buffer = static_cast<unsigned char *>(malloc(kCopyBuffer));
    if (buffer == nullptr)
        return E_OUTOFMEMORY;
    DWORD read = 0;
    while ((result = log.Read(buffer, kCopyBuffer, &read)).Succeeded() && read > 0) {
        DWORD written = 0;
        result = tail.Write(buffer, read, &written);
        if (result.Failed())
            break;
    }
    free(buffer);
    if (result.Succeeded())
        result = tail.Flush();
    return result;
}

// Run under "Z4ErrorLogMtx" before this process opens the log. The size is read first without opening
// the file, so the usual opening takes no exclusive open that a concurrent opener could trip over.
// Opening without sharing fails while any other process has the log open, so a log in use is never
// cut. The kept tail is written beside the log and then renamed over it in one step: a kill at any
// moment leaves the old log or the shortened one, never a half-copied one; a tail file left by a
// kill is overwritten by the next shortening.
HRESULT ShortenLog(const char *path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return QorHResultFromLastError();
    if (data.nFileSizeHigh == 0 && data.nFileSizeLow <= kTruncateThreshold)
        return S_FALSE;
    CQorFile log;
    CQorError result = log.Open(path, OPEN_EXISTING, GENERIC_READ, 0, FILE_ATTRIBUTE_NORMAL);
    if (result.Failed())
        return result;
    CQorString tailPath;
    tailPath.Format("%s%s", path, ".cut");
    result = WriteTail(log, tailPath);
    log.Close(false);
    if (result.Succeeded() && !MoveFileExA(tailPath, path, MOVEFILE_REPLACE_EXISTING))
        result = QorHResultFromLastError();
    if (result.Failed())
        DeleteFileA(tailPath);
    return result;
}

// Takes "Z4ErrorLogMtx". An abandoned mutex is ours all the same: every ownership gained beyond the
// one kept is released, so no other process stays blocked.
bool TakeTruncationMutex(HANDLE mutex)
{
    DWORD wait;
    while ((wait = WaitForSingleObject(mutex, INFINITE)) == WAIT_ABANDONED)
        ReleaseMutex(mutex);
    return wait == WAIT_OBJECT_0;
}

// A log file that the error log owns. Closing the log retires the object instead of deleting it: its
// file is given back at once (so the file can be shortened or deleted), but the object itself stays
// valid until unload, so a thread that read m_pTrace just before the close still logs into a valid
// object and only its line is lost.
class ErrorLogFile : public CQorFileLog {
public:
    void Retire()
    {
        const HRESULT locked = Lock(); // waits for a line being written to end
        qor::ScopedFileHandle file(File(INVALID_HANDLE_VALUE));
        if (SUCCEEDED(locked))
            Unlock();
    }
};

// Retired logs, freed at unload; guarded by the error-log region. The list itself is never
// destroyed, so the unload order of static objects cannot take it away before the exit list runs.
std::vector<ErrorLogFile *> &RetiredLogs()
{
    static std::vector<ErrorLogFile *> *const s_retiredLogs = new std::vector<ErrorLogFile *>;
    return *s_retiredLogs;
}

void FreeRetiredLogs()
{
    for (ErrorLogFile *log : RetiredLogs())
        delete log;
    RetiredLogs().clear();
}

// At unload, when no other thread logs any more: the last close, then every object it retired.
void CloseTraceAtExit(void *)
{
    CQorError::CloseTrace();
    FreeRetiredLogs();
}

} // namespace

// The opener keeps "Z4ErrorLogMtx" until its own open of the log is done: another process's check
// for shortening, which opens the log without sharing, then never meets this open, so no opening
// fails because of it (and no line is lost).
HRESULT CQorError::OpenErrorLog()
{
    if (m_pTrace != nullptr)
        return S_FALSE;
    if (!TraceEnabled())
        return E_FAIL;
    qor::RegionGuard<CQorCriticalRegion> guard(qor::ErrorLogRegion());
    if (m_pTrace != nullptr) // opened by another thread while this one waited
        return S_FALSE;
    CQorString path;
    unsigned long truncate = 1;
    ReadLogSettings(path, truncate);
    qor::ScopedKernelHandle mutex(CreateMutexA(nullptr, FALSE, kTruncationMutex));
    const bool owned = mutex && TakeTruncationMutex(mutex.Get());
    if (owned && truncate != 0)
        ShortenLog(path);
    const bool opened = OpenFileLog(&m_pTrace, path, &m_lTraceCount);
    if (owned)
        ReleaseMutex(mutex.Get());
    if (opened)
        qor::LibraryExitList().Add(&CloseTraceAtExit, nullptr);
    return opened ? S_OK : E_FAIL;
}

CQorString CQorError::ErrorLogPath()
{
    CQorString path;
    unsigned long truncate = 1;
    ReadLogSettings(path, truncate);
    return path;
}

bool CQorError::OpenFileLog(CQorFileLog **slot, const char *path, LONG *count)
{
    if (*slot == nullptr) {
        ErrorLogFile *log = new (std::nothrow) ErrorLogFile;
        if (log == nullptr)
            return false;
        try {
            if (CQorError(log->Open(path)).Failed()) {
                delete log;
                return false;
            }
        } catch (...) { // a string that cannot grow while the log opens
            delete log;
            return false;
        }
        *count = 0;
        *slot = log;
    }
    InterlockedIncrement(count);
    return true;
}

void CQorError::CloseFileLog(CQorFileLog **slot, LONG *count)
{
    if (*slot != nullptr && InterlockedDecrement(count) == 0) {
        // Only OpenFileLog fills the slots, always with an ErrorLogFile.
        ErrorLogFile *log = static_cast<ErrorLogFile *>(*slot);
        *slot = nullptr;
        log->Retire();
        CQorCriticalRegion &region = qor::ErrorLogRegion();
        region.Enter();
        try {
            RetiredLogs().push_back(log);
        } catch (...) { // no room to remember it: left allocated, since a thread may still write through it
        }
        region.Leave();
    }
}

bool CQorError::OpenTrace(const char *path) { return OpenFileLog(&m_pTrace, path, &m_lTraceCount); }

void CQorError::CloseTrace() { CloseFileLog(&m_pTrace, &m_lTraceCount); }

bool CQorError::TraceOpen() { return m_pTrace != nullptr; }

void CQorError::FlushTrace()
{
    if (m_pTrace != nullptr)
        m_pTrace->Flush();
}

bool CQorError::OpenLog(const char *) { return true; }

void CQorError::CloseLog() {}

bool CQorError::LogOpen() { return m_pLog != nullptr; }

HRESULT CQorError::EnableTrace(bool enable)
{
    CQorRegistry key;
    CQorError result = key.Create(UserKeyPath(), nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS);
    if (result.Failed())
        return result;
    return key.SetValue(kDisableTracing, enable ? 0ul : 1ul);
}

bool CQorError::TraceEnabled()
{
    CQorRegistry key;
    unsigned long disabled = 0;
    if (CQorError(key.Open(UserKeyPath(), KEY_ALL_ACCESS)).Failed())
        return true;
    return !(CQorError(key.GetValue(kDisableTracing, disabled)).Succeeded() && disabled == 1);
}

void CQorError::SetExternLogFunction(QorExternLogFunction function) { s_externLogFunction = function; }

void CQorError::Log(const char *t1, const char *t2, const char *t3, const char *t4) const { Trace(t1, t2, t3, t4); }

void CQorError::Log(unsigned int id1, unsigned int id2, unsigned int id3, unsigned int id4) const
{
    Trace(id1, id2, id3, id4);
}

void CQorError::Trace(const char *t1, const char *t2, const char *t3, const char *t4) const
{
    if (s_externLogFunction != nullptr) {
        s_externLogFunction(m_hrCode, t1, t2, t3, t4);
        return;
    }
    OpenErrorLog();
    if (CQorFileLog *log = m_pTrace)
        log->Log(m_hrCode, t1, t2, t3, t4);
}

void CQorError::Trace(unsigned int id1, unsigned int id2, unsigned int id3, unsigned int id4) const
{
    OpenErrorLog();
    if (CQorFileLog *log = m_pTrace)
        log->Log(m_hrCode, id1, id2, id3, id4);
}

namespace {

// The part of a source path after its last backslash, else after its last slash.
const char *BaseName(const char *file)
{
    if (file == nullptr)
        return "";
    const char *name = strrchr(file, '\\');
    if (name == nullptr)
        name = strrchr(file, '/');
    return name != nullptr ? name + 1 : file;
}

const char *TextOrEmpty(const char *text) { return text != nullptr ? text : ""; }

} // namespace

void CQorError::Trace(const char *file, int line, const char *t1, const char *t2, const char *t3, const char *t4)
{
    CQorString text;
    text.Format("[%d] %s - %s %s %s %s", line, BaseName(file), TextOrEmpty(t1), TextOrEmpty(t2), TextOrEmpty(t3),
                TextOrEmpty(t4));
    Trace(text.GetString(), nullptr, nullptr, nullptr);
    OutputDebugStringA(text);
    OutputDebugStringA("\n");
}

void CQorError::Assert(const char *file, int line, const char *expression)
{
    CQorString text;
    text.Format("%s: [%d] %s", TextOrEmpty(file), line, TextOrEmpty(expression));
    Trace(file, line, text, nullptr, nullptr, nullptr);
    if (MessageBoxA(nullptr, text, "Assert", MB_OKCANCEL | MB_ICONEXCLAMATION) == IDCANCEL)
        DebugBreak();
}
