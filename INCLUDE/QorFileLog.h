// QorFileLog.h: CQorFileLog, a text log file that many threads of many processes append to at once.
// Each line carries a local time stamp, a result code and four texts; writers in one process are
// serialised by a recursive region, writers in different processes by a mutex named after the path.
#pragma once

#include "QorCriticalRegion.h"
#include "QorError.h"
#include "QorWinTypes.h"

// The log's path is longer than the 511 characters its mutex name may have (HRESULT_FROM_WIN32 of
// ERROR_FILENAME_EXCED_RANGE); nothing is opened.
#define QOR_E_LOG_NAME_TOO_LONG ((HRESULT)0x800700CE)

class QORUTIL_API CQorFileLog {
public:
    CQorFileLog();
    virtual ~CQorFileLog();

    // A copy would share the file and mutex handles and close them twice: logs are not copied.
    CQorFileLog(const CQorFileLog &) = delete;
    CQorFileLog &operator=(const CQorFileLog &) = delete;

    // Gives the log its mutex and opens (or creates) the file for appending, shared with other
    // writers. QOR_W_LOG_NO_FILE_NAME for a null name, QOR_E_LOG_NAME_TOO_LONG for a name over 511
    // characters, QOR_I_LOG_ALREADY_OPEN when a file is open already, or the platform's error.
    virtual HRESULT Open(const char *name);

    // Appends one line: "[date time] CODE" and TAB plus each text (" " for a null one), then CR LF.
    // Nothing is reported; a line that cannot be written is lost.
    void Log(HRESULT code, const char *text1, const char *text2, const char *text3, const char *text4);
    // The same with string resources of the current resource module; 0 stands for " ", a string that
    // cannot be loaded for an empty text.
    void Log(HRESULT code, unsigned int id1, unsigned int id2, unsigned int id3, unsigned int id4);

    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    DWORD GetFileSize(DWORD *high);
    void Flush();

protected:
    // The mutex named after `name` with every backslash made a hyphen. 1 when the log has a mutex
    // afterwards, 0 when not (a name over 511 characters is refused).
    LONG CreateMutex(const char *name);
    HRESULT OpenLog(const char *name, DWORD access, DWORD share);
    // Lock takes the region, then the mutex, and keeps both until Unlock. 1 (or 0 without a mutex)
    // when taken; QOR_E_LOG_MUTEX_ABANDONED when its owner died holding it (the ownership that the
    // wait handed over is given back at once), or the platform's error.
    HRESULT Lock();
    HRESULT Unlock();

    // Read, and replace (returning the previous one), the file and mutex handles.
    HANDLE File() const { return m_hFile; }
    HANDLE File(HANDLE file);
    HANDLE Mutex() const { return m_hMutex; }
    HANDLE Mutex(HANDLE mutex);

private:
    void WritePiece(const char *text);

    HANDLE m_hFile;   // INVALID_HANDLE_VALUE while no file is open
    HANDLE m_hMutex;  // null while the log has no mutex
    LONG m_lLockCount; // successful Locks not yet undone
    CQorCriticalRegion m_region;
};
