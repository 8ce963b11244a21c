// store.h: the registry's internals shared by the files of this folder: one SQLite database
// per root key (RegistryStore), the table of open key handles, and the rules for key and value names.
// Only the POSIX platform layer includes this.
#pragma once

#include "QorPlatform.h"
#include "common/filetime.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace qor::platform::registry {

using KeyId = int64_t;
constexpr KeyId kRootKeyId = 1; // the root row of every database

constexpr size_t kLongestKeyName = 255;     // characters of one key name (one path component)
constexpr size_t kLongestValueName = 16383; // characters of a value name

// Names compare by their folded form: ASCII letters upper-cased, every other byte kept.
std::string FoldName(const std::string &name);

// Copies `text` into an ANSI buffer of `*capacity` characters (terminator included). Answers
// ERROR_MORE_DATA when it does not fit; on success `*capacity` becomes the length without terminator.
LSTATUS CopyName(const std::string &text, LPSTR buffer, LPDWORD capacity);

struct SubKeyEntry {
    std::string name;
    std::string className;
    int64_t lastWrite = 0;
};

struct ValueEntry {
    std::string name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct KeySummary {
    std::string className;
    DWORD subKeys = 0, longestSubKey = 0, longestClass = 0;
    DWORD values = 0, longestValueName = 0, longestValueData = 0;
    int64_t lastWrite = 0;
};

// One root key's database. Every call is one SQLite transaction (a read, or BEGIN IMMEDIATE for a
// change); calls of one process are serialised by the store's mutex, those of several processes by
// SQLite's locks (WAL mode, busy timeout). A key that no longer exists answers ERROR_KEY_DELETED.
class RegistryStore {
public:
    // The store of the database file `path`, opened (and created with its folder) on first use and kept
    // for the life of the process. A file that is not a registry database is refused with ERROR_BADDB
    // and left as it is; one that cannot be opened answers ERROR_CANTOPEN.
    static LSTATUS Open(const std::string &path, RegistryStore *&store);

    LSTATUS CheckKey(KeyId key);
    // Follows `names` (already split and checked) from `from`; ERROR_FILE_NOT_FOUND at the first missing one.
    LSTATUS FindKey(KeyId from, const std::vector<std::string> &names, KeyId &found);
    // Opens or creates every key along `names`; `created` says whether the last one is new.
    LSTATUS CreateKey(KeyId from, const std::vector<std::string> &names, const char *className, KeyId &key,
                      bool &created);
    // Deletes a key without sub-keys, and its values; ERROR_ACCESS_DENIED when it has sub-keys.
    LSTATUS DeleteKey(KeyId key);
    LSTATUS SubKeyAt(KeyId key, DWORD index, SubKeyEntry &entry);
    LSTATUS Summarise(KeyId key, KeySummary &summary);

    LSTATUS ReadValue(KeyId key, const std::string &name, ValueEntry &value);
    LSTATUS WriteValue(KeyId key, const std::string &name, DWORD type, const BYTE *data, DWORD size);
    LSTATUS DeleteValue(KeyId key, const std::string &name);
    LSTATUS ValueAt(KeyId key, DWORD index, ValueEntry &value);

private:
    enum Statement { kKeyExists, kFindChild, kInsertKey, kTouchKey, kParentOf, kHasChildren, kDeleteValues,
                     kDeleteKey, kChildAt, kReadValue, kUpsertValue, kDeleteValue, kValueAt, kSubKeyStats,
                     kValueStats, kKeyRow, kBegin, kCommit, kRollback, kStatementCount };

    explicit RegistryStore(sqlite3 *db) : m_pDb(db) {}
    sqlite3_stmt *Prepared(Statement which);
    LSTATUS StepChange(Statement which); // runs a prepared change to completion
    LSTATUS FindChild(KeyId parent, const std::string &name, KeyId &child);
    LSTATUS Touch(KeyId key, int64_t when);
    template <class Work> LSTATUS InTransaction(Work work); // BEGIN IMMEDIATE, work, COMMIT or ROLLBACK

    std::mutex m_mutex;
    sqlite3 *m_pDb;
    sqlite3_stmt *m_apStatements[kStatementCount] = {};
};

// An open key: the store it lives in, its row, the access it was opened with.
struct OpenKey {
    RegistryStore *store = nullptr;
    KeyId key = 0;
    REGSAM access = 0;
};

// Resolves a handle: a predefined root (opened on first use, full access) or one that RegOpenKeyExA or
// RegCreateKeyExA handed out. ERROR_INVALID_HANDLE for anything else; HKEY_PERFORMANCE_DATA answers
// ERROR_CALL_NOT_IMPLEMENTED (there are no performance counters to report).
LSTATUS ResolveHandle(HKEY handle, OpenKey &key);
// ResolveHandle, then ERROR_ACCESS_DENIED unless the handle was opened with all of `needed`.
LSTATUS ResolveHandleFor(HKEY handle, REGSAM needed, OpenKey &key);
HKEY AddHandle(const OpenKey &key);
// Forgets a handle handed out by AddHandle; closing a predefined root succeeds and changes nothing.
LSTATUS ReleaseHandle(HKEY handle);

// Splits a sub-key path at its backslashes into checked key names: ERROR_BAD_PATHNAME for a leading
// backslash, ERROR_INVALID_PARAMETER for an empty or too long name in the middle. A null or empty path
// gives no names (the key itself); one trailing backslash is allowed.
LSTATUS SplitKeyPath(const char *path, std::vector<std::string> &names);

// True, with `status` set, when an injected fault makes `function` fail. Registry calls return their
// error instead of setting the last error, so the last error is left as it was.
bool RegistryFaultFires(const char *function, LSTATUS &status);

} // namespace qor::platform::registry
