// store.h: the registry's internals shared by the files of this folder: the database that holds
// every root key (RegistryStore), the table of open key handles, and the rules for key and value names.
// Only the POSIX platform layer includes this.
#pragma once

#include "QorPlatform.h"
#include "common/filetime.h"
#include "registry/statement.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qor::platform::registry {

using KeyId = int64_t;

constexpr size_t kLongestKeyName = 255;     // characters of one key name (one path component)
constexpr size_t kLongestValueName = 16383; // characters of a value name
constexpr int64_t kDeepestKey = 512;        // levels of a tree below its root key

// The row of a predefined root key: its index among the predefined handles, plus one. The last root
// with a tree is HKEY_CURRENT_CONFIG; the keys below the roots have the rows after it.
constexpr KeyId RootKeyId(size_t predefinedIndex) { return static_cast<KeyId>(predefinedIndex) + 1; }
constexpr bool IsRootKey(KeyId key) { return key <= RootKeyId(5); }

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

// The registry database of one registry folder: every root key's tree in one SQLite file, so that
// one transaction can span several root keys. Every call is one transaction (a read, or BEGIN
// IMMEDIATE for a change, the key's existence checked inside it); calls of one process are
// serialised by the store's lock, those of several processes by SQLite's (WAL mode, busy timeout).
// A change survives a crash of the process when its call returns and reaches the disk at the next
// checkpoint or Flush. A key that no longer exists answers ERROR_KEY_DELETED.
//
// A batch (BeginBatch .. CommitBatch) makes every change of the thread that opened it one
// transaction: other processes see all of it or none of it, a kill or an AbortBatch leaves none of
// it, and other threads of the process wait for its end. Each call inside it is a savepoint, so a
// failed call undoes only itself.
class RegistryStore {
public:
    // The store of the database file `path`, opened (and created with its folder, whole or not at
    // all) on first use and kept for the life of the process. A file that exists but is no registry
    // database (empty, or another program's) is refused with ERROR_BADDB and left as it is; one
    // that cannot be opened answers ERROR_CANTOPEN.
    static LSTATUS Open(const std::string &path, RegistryStore *&store);

    LSTATUS CheckKey(KeyId key);
    // Follows `names` (already split and checked) from `from`; ERROR_FILE_NOT_FOUND at the first missing one.
    LSTATUS FindKey(KeyId from, const std::vector<std::string> &names, KeyId &found);
    // Opens or creates every key along `names`; `created` says whether the last one is new. A key
    // deeper than kDeepestKey is refused with ERROR_INVALID_PARAMETER.
    LSTATUS CreateKey(KeyId from, const std::vector<std::string> &names, const char *className, KeyId &key,
                      bool &created);
    // Deletes a key without sub-keys, and its values; ERROR_ACCESS_DENIED when it has sub-keys.
    LSTATUS DeleteKey(KeyId key);
    // Enumeration by index; asking for the index after the one asked last costs the same as the first.
    LSTATUS SubKeyAt(KeyId key, DWORD index, SubKeyEntry &entry);
    LSTATUS Summarise(KeyId key, KeySummary &summary);

    LSTATUS ReadValue(KeyId key, const std::string &name, ValueEntry &value);
    LSTATUS WriteValue(KeyId key, const std::string &name, DWORD type, const BYTE *data, DWORD size);
    LSTATUS DeleteValue(KeyId key, const std::string &name);
    LSTATUS ValueAt(KeyId key, DWORD index, ValueEntry &value);

    // Forces every committed change to the disk (RegFlushKey).
    LSTATUS Flush(KeyId key);

    // ERROR_INVALID_STATE for a second BeginBatch of the thread, or an end without a batch.
    LSTATUS BeginBatch();
    LSTATUS CommitBatch();
    LSTATUS AbortBatch();

private:
    enum Statement { kKeyDepth, kFindChild, kInsertKey, kTouchKey, kParentOf, kHasChildren, kDeleteValues,
                     kDeleteKey, kChildAt, kChildAfter, kReadValue, kUpsertValue, kDeleteValue, kValueAt,
                     kValueAfter, kSubKeyStats, kValueStats, kKeyRow, kDataVersion, kBegin, kCommit, kRollback,
                     kSavepoint, kRelease, kRollbackTo, kStatementCount };

    // Where the last enumeration of a key stopped, so that the next index continues from there
    // while nothing has changed in between.
    struct Cursor {
        KeyId key = 0;
        DWORD index = 0;
        std::string fold; // sub-keys: the fold of the entry found
        int64_t id = 0;   // values: the row of the entry found
        int64_t generation = -1;
    };

    explicit RegistryStore(sqlite3 *db) : m_pDb(db) {}
    template <class... Args> StatementUse Use(Statement which, const Args &...args);
    LSTATUS Run(Statement which); // a statement without parameters or rows
    LSTATUS FindChild(KeyId parent, const std::string &name, KeyId &child);
    LSTATUS Touch(KeyId key, int64_t when); // ERROR_KEY_DELETED when the key is gone
    template <class Work> LSTATUS InTransaction(Work work);
    bool CursorContinues(Cursor &cursor, KeyId key, DWORD index);
    LSTATUS EndBatch(bool commit);

    std::recursive_mutex m_mutex;
    sqlite3 *m_pDb;
    sqlite3_stmt *m_apStatements[kStatementCount] = {};
    std::thread::id m_batchOwner; // the thread with an open batch, if any
    int64_t m_generation = 0;     // changes made through this connection
    Cursor m_subKeyCursor, m_valueCursor;
};

// An open key: the store it lives in, its row, the access it was opened with.
struct OpenKey {
    RegistryStore *store = nullptr;
    KeyId key = 0;
    REGSAM access = 0;
};

// The store of the registry folder in use: $QOR_REGISTRY_DIR, else
// ${XDG_DATA_HOME:-$HOME/.local/share}/qorutil/registry.
LSTATUS CurrentStore(RegistryStore *&store);

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
