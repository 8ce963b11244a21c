// QorFileLog.cpp: CQorFileLog: opening the shared log with its named mutex, the two locks taken in
// order (the in-process region, then the mutex), and the line layout.
#include "QorFileLog.h"

#include "QorString.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <time.h> // _tzset, _strdate, _strtime of the Windows runtime (the platform layer on POSIX)

namespace {

// The mutex name is copied into a fixed buffer of this size, so the name may have 511 characters.
constexpr size_t kMutexNameBuffer = 512;

} // namespace

CQorFileLog::CQorFileLog() : m_hFile(INVALID_HANDLE_VALUE), m_hMutex(nullptr), m_lLockCount(0) {}

CQorFileLog::~CQorFileLog()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
    if (m_hMutex != nullptr) {
        while (m_lLockCount > 0)
            Unlock();
        ::CloseHandle(m_hMutex);
    }
}

HRESULT CQorFileLog::Open(const char *name)
{
    m_region.Enter();
    HRESULT result;
    if (name == nullptr) {
        result = QOR_W_LOG_NO_FILE_NAME;
    } else if (std::strlen(name) >= kMutexNameBuffer) {
        result = QOR_E_LOG_NAME_TOO_LONG;
    } else {
        // Without a mutex the log still opens: it then writes without cross-process exclusion.
        CreateMutex(name);
        result = OpenLog(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    }
    m_region.Leave();
    return result;
}

LONG CQorFileLog::CreateMutex(const char *name)
{
    if (m_hMutex != nullptr)
        return 1;
    size_t length = std::strlen(name);
    if (length >= kMutexNameBuffer)
        return 0;
    char mutexName[kMutexNameBuffer];
    for (size_t i = 0; i <= length; ++i)
        mutexName[i] = name[i] == '\\' ? '-' : name[i]; // a backslash would name a namespace
    m_hMutex = ::CreateMutexA(nullptr, FALSE, mutexName);
    return m_hMutex != nullptr ? 1 : 0;
}

HRESULT CQorFileLog::OpenLog(const char *name, DWORD access, DWORD share)
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        return QOR_I_LOG_ALREADY_OPEN;
    HANDLE file = ::CreateFileA(name, access, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return CQorError().GetLastError();
    m_hFile = file;
    return S_OK;
}

HRESULT CQorFileLog::Lock()
{
    m_region.Enter();
    // Without a mutex the region alone stays entered until Unlock, which keeps this process's lines whole.
    if (m_hMutex == nullptr)
        return S_OK;
    HRESULT code = S_OK;
    if (m_lLockCount == 0) {
        DWORD wait = ::WaitForSingleObject(m_hMutex, INFINITE);
        if (wait == WAIT_FAILED) {
            code = CQorError().GetLastError();
        } else if (wait == WAIT_ABANDONED) {
            // The wait made this thread the owner; keeping that would block every other writer.
            ::ReleaseMutex(m_hMutex);
            code = QOR_E_LOG_MUTEX_ABANDONED;
        }
    }
    if (SUCCEEDED(code)) {
        ++m_lLockCount;
        return S_FALSE;
    }
    m_region.Leave();
    return code;
}

HRESULT CQorFileLog::Unlock()
{
    m_region.Enter();
    if (m_hMutex != nullptr && m_lLockCount == 0) {
        m_region.Leave();
        return S_OK;
    }
    if (m_hMutex != nullptr && --m_lLockCount == 0)
        ::ReleaseMutex(m_hMutex);
    // The level taken here and the one kept by the matching Lock.
    m_region.Leave();
    m_region.Leave();
    return S_OK;
}

void CQorFileLog::WritePiece(const char *text)
{
    DWORD written = 0;
    ::WriteFile(m_hFile, text, (DWORD)std::strlen(text), &written, nullptr);
}

void CQorFileLog::Log(HRESULT code, const char *text1, const char *text2, const char *text3, const char *text4)
{
    if (FAILED(Lock()))
        return;
    char date[9];
    char time[9];
    _tzset();
    _strtime(time);
    _strdate(date);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%s %s] ", date, time);
    char codeText[16];
    std::snprintf(codeText, sizeof codeText, "%X", (unsigned)code);
    ::SetFilePointer(m_hFile, 0, nullptr, FILE_END); // other processes append too
    WritePiece(stamp);
    WritePiece(codeText);
    for (const char *text : {text1, text2, text3, text4}) {
        WritePiece("\t");
        WritePiece(text != nullptr ? text : " ");
    }
    WritePiece("\r\n");
    Unlock();
}

void CQorFileLog::Log(HRESULT code, unsigned int id1, unsigned int id2, unsigned int id3, unsigned int id4)
{
    unsigned int ids[4] = {id1, id2, id3, id4};
    CQorString texts[4];
    for (int i = 0; i < 4; ++i) {
        if (ids[i] == 0)
            texts[i] = " ";
        else if (FAILED(texts[i].LoadString(ids[i])))
            texts[i].Empty();
    }
    Log(code, texts[0].GetString(), texts[1].GetString(), texts[2].GetString(), texts[3].GetString());
}

DWORD CQorFileLog::GetFileSize(DWORD *high) { return ::GetFileSize(m_hFile, high); }

void CQorFileLog::Flush()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::FlushFileBuffers(m_hFile);
}

HANDLE CQorFileLog::File(HANDLE file)
{
    HANDLE previous = m_hFile;
    m_hFile = file;
    return previous;
}

HANDLE CQorFileLog::Mutex(HANDLE mutex)
{
    HANDLE previous = m_hMutex;
    m_hMutex = mutex;
    return previous;
}
