// QorError.h: CQorError, a result code in the HRESULT layout (severity, customer, reserved, facility,
// status) with its field accessors, the two rules that turn a platform error into a code, and the
// platform's message text for a code.
#pragma once

#include "QorString.h"
#include "QorWinTypes.h"

// The library's own result codes (facility 0x400).
#define QOR_E_REGISTRY_UNKNOWN_ROOT ((HRESULT)0xC4000066)  // a registry path names no known root key
#define QOR_W_LOG_NO_FILE_NAME ((HRESULT)0x84000067)       // the shared log was opened without a file name
#define QOR_E_LOG_MUTEX_ABANDONED ((HRESULT)0xC40000CA)    // the shared log's mutex was abandoned
#define QOR_I_LOG_ALREADY_OPEN ((HRESULT)0x440000CB)       // the shared log's file is already open

class CQorFileLog;

// Receives the lines of the error log instead of the file when an application sets one
// (CQorError::SetExternLogFunction); its result is ignored.
typedef LONG (*QorExternLogFunction)(HRESULT code, const char *t1, const char *t2, const char *t3, const char *t4);

class QORUTIL_API CQorError {
public:
    enum SeverityCode : LONG {
        SeveritySuccess = 0,
        SeverityInformational = 1,
        SeverityWarning = 2,
        SeverityError = 3,
    };

    // The 12-bit facility number; only the facilities that the library names are listed.
    enum FacilityCode : LONG {
        FacilityNull = 0,
        FacilityWin32 = 7,
        FacilityLibrary = 0x400,
    };

    CQorError(HRESULT code = 0);
    CQorError(const CQorError &other);
    CQorError(unsigned short status, SeverityCode severity, FacilityCode facility, int customer);
    virtual ~CQorError();

    CQorError &operator=(HRESULT code);
    CQorError &operator=(const CQorError &other);

    operator HRESULT() const { return m_hrCode; }
    // The platform's message text for the code; valid until the next text request, Empty(),
    // FreeText() or destruction. The empty string for facilities above 16 and for unknown codes.
    operator const char *();

    SeverityCode Severity() const;
    FacilityCode Facility() const;
    int Customer() const;
    unsigned short Status() const;

    void Severity(SeverityCode severity);
    void Facility(FacilityCode facility);
    void Customer(int customer);
    void Status(unsigned short status);

    // Status, facility and customer set, reserved bit cleared, then the severity: 0 for a zero status.
    HRESULT Set(unsigned short status, SeverityCode severity, FacilityCode facility, int customer);
    // As above with the low 16 bits of `value` as the status.
    HRESULT Set(HRESULT value, SeverityCode severity, FacilityCode facility, int customer);
    // The member rule: the thread's last Win32 error as an error of facility 7 (0x00070000 for error 0).
    HRESULT GetLastError();
    HRESULT Empty();

    int Failed() const { return m_hrCode < 0; }
    int Succeeded() const { return m_hrCode >= 0; }
    int IsError() const { return Severity() == SeverityError; }
    int IsWarning() const { return Severity() == SeverityWarning; }
    int IsTolmar() const;

    // The error log: one file that every process of the family appends to. A line carries this
    // object's code and up to four texts; logging never reports a failure, a line that cannot be
    // written is lost. The Log and Trace members write to the same place.
    void Log(const char *t1, const char *t2 = nullptr, const char *t3 = nullptr, const char *t4 = nullptr) const;
    void Log(unsigned int id1, unsigned int id2 = 0, unsigned int id3 = 0, unsigned int id4 = 0) const;
    // To the extern log function when one is set, else to the error log.
    void Trace(const char *t1, const char *t2 = nullptr, const char *t3 = nullptr, const char *t4 = nullptr) const;
    // String resources of the current resource module, always to the error log.
    void Trace(unsigned int id1, unsigned int id2 = 0, unsigned int id3 = 0, unsigned int id4 = 0) const;
    // "[line] base-name - t1 t2 t3 t4" to the log, then with a line feed to the debugger output.
    void Trace(const char *file, int line, const char *t1, const char *t2, const char *t3, const char *t4);
    // Traces "file: [line] expression" and asks the user; Cancel breaks into the debugger.
    void Assert(const char *file, int line, const char *expression);

    // Opens the error log at its registered place, shortening it first when it has grown too large.
    // 1 when it was open already, 0 when this call opened it, E_FAIL when tracing is off for the user
    // or the file cannot be opened.
    static HRESULT OpenErrorLog();
    // Where OpenErrorLog opens the log: the registry's "ErrorLog", else "Z4ErrorLog.txt" in the
    // database folder.
    static CQorString ErrorLogPath();
    // Opens the error log on `path` (no truncation, whatever the user's switch), or counts one more
    // open of the log that is open.
    static bool OpenTrace(const char *path);
    static void CloseTrace();
    static bool TraceOpen();
    static void FlushTrace();
    // The second log of the original design was never used: these keep their interface and do nothing.
    static bool OpenLog(const char *path);
    static void CloseLog();
    static bool LogOpen();
    // Turns tracing on or off for the current user ("DisableTracing" of the user's key).
    static HRESULT EnableTrace(bool enable);
    static bool TraceEnabled();
    // Null removes it.
    static void SetExternLogFunction(QorExternLogFunction function);

protected:
    static bool OpenFileLog(CQorFileLog **slot, const char *path, LONG *count);
    static void CloseFileLog(CQorFileLog **slot, LONG *count);

    void FreeText();
    void Reserved();
    static char *EmptyString() { return m_EmptyString; }

    HRESULT m_hrCode;
    char *m_pszText;

public:
    // Stands for an empty text: points at static, zero-filled storage that is never written.
    static char *m_EmptyString;
    static CQorFileLog *m_pTrace; // the error log; null while closed
    static LONG m_lTraceCount;    // outstanding opens of the error log
    static CQorFileLog *m_pLog;   // never set
    static LONG m_lLogCount;      // never used
};

// The standard rule, HRESULT_FROM_WIN32: 0x8007xxxx for an error above 0 (read as a signed value),
// the error itself otherwise.
inline HRESULT QorHResultFromWin32(DWORD error)
{
    return (LONG)error > 0 ? (HRESULT)((error & 0xFFFF) | 0x80070000) : (HRESULT)error;
}

// The member rule (CQorError::GetLastError) for `error`: an error of facility 7, 0xC007xxxx, and
// 0x00070000 for error 0. Callers compare results of the library's registry calls with it.
QORUTIL_API HRESULT QorHResultFromWin32Member(DWORD error);

// The standard rule applied to the thread's last Win32 error.
inline HRESULT QorHResultFromLastError() { return QorHResultFromWin32(::GetLastError()); }
