// ALStatus.h: the two small value classes of the archive engine: ALErrorStatus, the status that
// storages, engines, lists and archives carry, and ALNameString, the name of a storage with its case
// mode and the name operations (extension, path, wildcard match, comparison).
#pragma once

#include "QorExport.h"
#include "QorWinTypes.h"

// Status codes of the archive engine: 0 is success, every error is negative.
enum ALStatusCode {
    AL_SUCCESS = 0,
    AL_BUFFER_ALLOCATION_FAILED = -1200,
    AL_NEED_DECRYPTION_ENGINE = -1974,
    AL_INVALID_KEY = -1975,
    AL_DUPLICATE_ENTRY = -1976,
    AL_BAD_DIRECTORY = -1980,
    AL_CRC_MISMATCH = -1984,
    AL_DELETE_FAILED = -1991,
    AL_WRITE_FAILED = -1992,
    AL_READ_FAILED = -1993,
    AL_SEEK_FAILED = -1994,
    AL_OPEN_FAILED = -1995,
    AL_RENAME_FAILED = -1996,
    AL_NO_STORAGE = -1997,
    AL_NO_ENGINE = -1998,
    AL_OUT_OF_MEMORY = -1999
};

// A status code and an optional detail text of at most 128 characters.
class QORUTIL_API ALErrorStatus {
public:
    ALErrorStatus();
    ALErrorStatus(const ALErrorStatus &other);
    ALErrorStatus &operator=(const ALErrorStatus &other);
    ~ALErrorStatus();

    // Stores `code`; with a format, the printf-formatted text (cut to 128 characters) becomes the
    // detail, with none the detail is freed. Returns `code`.
    int SetError(int code, const char *format, ...);
    // The detail, or "No errors" for code 0 without one, or the text of a detail that could not be kept.
    const char *GetStatusDetail() const;
    int GetStatusCode() const { return m_iStatus; }
    operator int() const { return m_iStatus; }

private:
    LONG m_iStatus;
    LONG m_iDetailCapacity;
    char *m_szDetail;
};

// How a name's letters are kept and compared.
enum ALCase {
    AL_CASE_UPPER = 0,         // upper-cased when set
    AL_CASE_LOWER = 1,         // lower-cased when set
    AL_CASE_MIXED = 2,         // kept, compared exactly
    AL_CASE_MIXED_IGNORED = 3  // kept, compared without regard to case
};

// A name and the one it had before its last change.
class QORUTIL_API ALNameString {
public:
    explicit ALNameString(const char *name = nullptr, ALCase caseMode = AL_CASE_MIXED_IGNORED);
    ALNameString(const ALNameString &other);
    ALNameString &operator=(const ALNameString &other);
    ~ALNameString();

    // Sets the text (null is ""), applying the case mode; the former text becomes the previous one.
    ALNameString &operator=(const char *name);
    // The text, "" when none; GetOldName likewise for the previous text.
    const char *GetName() const { return m_szName ? m_szName : ""; }
    const char *GetOldName() const { return m_szOldName ? m_szOldName : ""; }
    operator const char *() const { return GetName(); }
    ALCase GetCaseMode() const { return m_eCase; }

    // Replaces everything from the last '.' with `extension` (or appends it when there is no '.').
    ALNameString &ChangeExtension(const char *extension);
    // Keeps the folder part: the text up to and including its last backslash, else '/', else ':'.
    ALNameString &StripFileName();
    // Keeps the file-name part: what follows that separator.
    ALNameString &StripPath();
    // The archive engine's wildcard match of this name against `pattern` (brackets, escapes).
    bool WildCardMatch(const char *pattern) const;
    // Compares like strcmp after the case mode's folding, with '\' and '/' alike.
    int CompareNames(const char *other) const;

private:
    void Replace(char *newText);

    char *m_szName;
    char *m_szOldName;
    ALCase m_eCase;
};
