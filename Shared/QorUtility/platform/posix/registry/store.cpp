// store.cpp: the registry's database layer: one SQLite file per root key, its schema and
// marker, the prepared statements and the transactions of every change. Key and value rows carry the
// name as given and its folded form, so lookups ignore case while enumeration shows the first spelling.
#include "registry/store.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <sys/stat.h>

namespace qor::platform::registry {

namespace {

// "QREG" in the database header marks a registry database; the user version is the schema's.
constexpr int kApplicationId = 0x51524547;
constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 30000; // how long a call waits for another process's transaction

const char *const kSchema =
    "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL, name TEXT NOT NULL,"
    " fold TEXT NOT NULL, class TEXT, written INTEGER NOT NULL, UNIQUE(parent, fold));"
    "CREATE TABLE vals(id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL, name TEXT NOT NULL,"
    " fold TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, fold));";

// Keys never reuse an id (AUTOINCREMENT), so a handle to a deleted key can never see a newer key.
const char *const kStatementTexts[] = {
    /* kKeyExists */ "SELECT 1 FROM keys WHERE id = ?1",
    /* kFindChild */ "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2",
    /* kInsertKey */ "INSERT INTO keys(parent, name, fold, class, written) VALUES(?1, ?2, ?3, ?4, ?5)",
    /* kTouchKey */ "UPDATE keys SET written = ?2 WHERE id = ?1",
    /* kParentOf */ "SELECT parent FROM keys WHERE id = ?1",
    /* kHasChildren */ "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1",
    /* kDeleteValues */ "DELETE FROM vals WHERE key = ?1",
    /* kDeleteKey */ "DELETE FROM keys WHERE id = ?1",
    /* kChildAt */ "SELECT name, class, written FROM keys WHERE parent = ?1 ORDER BY fold LIMIT 1 OFFSET ?2",
    /* kReadValue */ "SELECT name, type, data FROM vals WHERE key = ?1 AND fold = ?2",
    /* kUpsertValue */
    "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
    " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
    /* kDeleteValue */ "DELETE FROM vals WHERE key = ?1 AND fold = ?2",
    /* kValueAt */ "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2",
    /* kSubKeyStats */
    "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0),"
    " coalesce(max(length(CAST(coalesce(class, '') AS BLOB))), 0) FROM keys WHERE parent = ?1",
    /* kValueStats */
    "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0), coalesce(max(length(data)), 0)"
    " FROM vals WHERE key = ?1",
    /* kKeyRow */ "SELECT class, written FROM keys WHERE id = ?1",
    /* kBegin */ "BEGIN IMMEDIATE",
    /* kCommit */ "COMMIT",
    /* kRollback */ "ROLLBACK",
};

LSTATUS StatusFromSqlite(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_BUSY;
    case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_CANTOPEN: return ERROR_CANTOPEN;
    case SQLITE_NOTADB: return ERROR_BADDB;
    case SQLITE_CORRUPT: return ERROR_REGISTRY_CORRUPT;
    case SQLITE_TOOBIG: return ERROR_INVALID_PARAMETER;
    case SQLITE_IOERR: return ERROR_REGISTRY_IO_FAILED;
    default: return ERROR_REGISTRY_CORRUPT; // constraint or schema trouble: not a database we wrote
    }
}

// Runs a statement without parameters and reads one integer of its first row.
int QueryInteger(sqlite3 *db, const char *sql, int &value)
{
    sqlite3_stmt *statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW) {
            value = sqlite3_column_int(statement, 0);
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(statement);
    return rc;
}

// Creates the schema in an empty database, or checks the marker of an existing one. The check is
// repeated inside the write transaction, so that of two processes creating the file only one builds it.
LSTATUS PrepareSchema(sqlite3 *db)
{
    int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    int id = 0, version = 0, tables = 0;
    if (rc == SQLITE_OK)
        rc = QueryInteger(db, "PRAGMA application_id", id);
    if (rc == SQLITE_OK)
        rc = QueryInteger(db, "PRAGMA user_version", version);
    if (rc == SQLITE_OK)
        rc = QueryInteger(db, "SELECT count(*) FROM sqlite_master", tables);
    LSTATUS status = StatusFromSqlite(rc);
    if (status == ERROR_SUCCESS && id == 0 && tables == 0) {
        rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) {
            std::string marker = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                                 "; PRAGMA user_version = " + std::to_string(kSchemaVersion);
            rc = sqlite3_exec(db, marker.c_str(), nullptr, nullptr, nullptr);
        }
        if (rc == SQLITE_OK) {
            std::string root = "INSERT INTO keys(id, parent, name, fold, class, written) VALUES(1, 0, '', '', NULL, " +
                               std::to_string(FileTimeTicksNow()) + ")";
            rc = sqlite3_exec(db, root.c_str(), nullptr, nullptr, nullptr);
        }
        status = StatusFromSqlite(rc);
    } else if (status == ERROR_SUCCESS && (id != kApplicationId || version != kSchemaVersion)) {
        status = ERROR_BADDB; // another program's database, or a schema of a later version
    }
    if (status == ERROR_SUCCESS)
        status = StatusFromSqlite(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr));
    if (status != ERROR_SUCCESS)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return status;
}

// WAL lets readers of other processes go on while one writes; FULL makes every commit durable, so
// RegFlushKey has nothing left to do.
LSTATUS ConfigureConnection(sqlite3 *db)
{
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    LSTATUS status = PrepareSchema(db);
    if (status == ERROR_SUCCESS)
        status = StatusFromSqlite(
            sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL", nullptr, nullptr, nullptr));
    return status;
}

LSTATUS MakeFolders(const std::string &file)
{
    for (size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1)) {
        std::string folder = file.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return ERROR_CANTOPEN;
    }
    return ERROR_SUCCESS;
}

struct StoreTable {
    std::mutex mutex;
    std::map<std::string, RegistryStore *> stores;
};

// Stores live as long as the process: static objects of the library may read the registry at unload.
StoreTable &Stores()
{
    static StoreTable *table = new StoreTable;
    return *table;
}

void BindText(sqlite3_stmt *statement, int index, const std::string &text)
{
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string ColumnText(sqlite3_stmt *statement, int column)
{
    const unsigned char *text = sqlite3_column_text(statement, column);
    return text ? std::string(reinterpret_cast<const char *>(text), sqlite3_column_bytes(statement, column))
                : std::string();
}

void ReadValueRow(sqlite3_stmt *statement, ValueEntry &value)
{
    value.name = ColumnText(statement, 0);
    value.type = static_cast<DWORD>(sqlite3_column_int64(statement, 1));
    const BYTE *data = static_cast<const BYTE *>(sqlite3_column_blob(statement, 2));
    value.data.assign(data, data + (data ? sqlite3_column_bytes(statement, 2) : 0));
}

} // namespace

LSTATUS RegistryStore::Open(const std::string &path, RegistryStore *&store)
{
    StoreTable &table = Stores();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.stores.find(path);
    if (found != table.stores.end()) {
        store = found->second;
        return ERROR_SUCCESS;
    }
    LSTATUS status = MakeFolders(path);
    if (status != ERROR_SUCCESS)
        return status;
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    status = rc == SQLITE_OK ? ConfigureConnection(db) : ERROR_CANTOPEN;
    if (status != ERROR_SUCCESS) {
        sqlite3_close(db);
        return status;
    }
    store = new RegistryStore(db);
    table.stores.emplace(path, store);
    return ERROR_SUCCESS;
}

sqlite3_stmt *RegistryStore::Prepared(Statement which)
{
    sqlite3_stmt *&statement = m_apStatements[which];
    if (statement == nullptr)
        sqlite3_prepare_v3(m_pDb, kStatementTexts[which], -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    else
        sqlite3_reset(statement);
    if (statement != nullptr)
        sqlite3_clear_bindings(statement);
    return statement;
}

LSTATUS RegistryStore::StepChange(Statement which)
{
    sqlite3_stmt *statement = m_apStatements[which];
    int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    return StatusFromSqlite(rc);
}

template <class Work> LSTATUS RegistryStore::InTransaction(Work work)
{
    if (Prepared(kBegin) == nullptr)
        return StatusFromSqlite(sqlite3_errcode(m_pDb));
    LSTATUS status = StepChange(kBegin);
    if (status != ERROR_SUCCESS)
        return status;
    status = work();
    if (status == ERROR_SUCCESS && Prepared(kCommit) != nullptr)
        status = StepChange(kCommit);
    if (status != ERROR_SUCCESS && Prepared(kRollback) != nullptr)
        StepChange(kRollback);
    return status;
}

LSTATUS RegistryStore::CheckKey(KeyId key)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    sqlite3_stmt *statement = Prepared(kKeyExists);
    if (statement == nullptr)
        return StatusFromSqlite(sqlite3_errcode(m_pDb));
    sqlite3_bind_int64(statement, 1, key);
    int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    if (rc == SQLITE_DONE)
        return ERROR_KEY_DELETED;
    return StatusFromSqlite(rc);
}

LSTATUS RegistryStore::FindChild(KeyId parent, const std::string &name, KeyId &child)
{
    sqlite3_stmt *statement = Prepared(kFindChild);
    if (statement == nullptr)
        return StatusFromSqlite(sqlite3_errcode(m_pDb));
    sqlite3_bind_int64(statement, 1, parent);
    BindText(statement, 2, FoldName(name));
    int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        child = sqlite3_column_int64(statement, 0);
    sqlite3_reset(statement);
    return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : StatusFromSqlite(rc);
}

LSTATUS RegistryStore::FindKey(KeyId from, const std::vector<std::string> &names, KeyId &found)
{
    LSTATUS status = CheckKey(from);
    std::lock_guard<std::mutex> lock(m_mutex);
    KeyId key = from;
    for (size_t i = 0; status == ERROR_SUCCESS && i < names.size(); ++i)
        status = FindChild(key, names[i], key);
    if (status == ERROR_SUCCESS)
        found = key;
    return status;
}

LSTATUS RegistryStore::Touch(KeyId key, int64_t when)
{
    sqlite3_stmt *statement = Prepared(kTouchKey);
    if (statement == nullptr)
        return StatusFromSqlite(sqlite3_errcode(m_pDb));
    sqlite3_bind_int64(statement, 1, key);
    sqlite3_bind_int64(statement, 2, when);
    return StepChange(kTouchKey);
}

LSTATUS RegistryStore::CreateKey(KeyId from, const std::vector<std::string> &names, const char *className,
                                 KeyId &key, bool &created)
{
    LSTATUS status = CheckKey(from);
    if (status != ERROR_SUCCESS)
        return status;
    std::lock_guard<std::mutex> lock(m_mutex);
    return InTransaction([&]() -> LSTATUS {
        KeyId current = from;
        bool madeLast = false;
        const int64_t now = FileTimeTicksNow();
        for (size_t i = 0; i < names.size(); ++i) {
            KeyId child = 0;
            LSTATUS found = FindChild(current, names[i], child);
            madeLast = found == ERROR_FILE_NOT_FOUND;
            if (found != ERROR_SUCCESS && !madeLast)
                return found;
            if (madeLast) {
                // Only the key the caller names gets the class; keys made on the way have none.
                sqlite3_stmt *insert = Prepared(kInsertKey);
                if (insert == nullptr)
                    return StatusFromSqlite(sqlite3_errcode(m_pDb));
                sqlite3_bind_int64(insert, 1, current);
                BindText(insert, 2, names[i]);
                BindText(insert, 3, FoldName(names[i]));
                if (i + 1 == names.size() && className != nullptr)
                    BindText(insert, 4, className);
                sqlite3_bind_int64(insert, 5, now);
                LSTATUS inserted = StepChange(kInsertKey);
                if (inserted == ERROR_SUCCESS)
                    inserted = Touch(current, now); // a new sub-key changes its parent
                if (inserted != ERROR_SUCCESS)
                    return inserted;
                child = sqlite3_last_insert_rowid(m_pDb);
            }
            current = child;
        }
        key = current;
        created = madeLast;
        return ERROR_SUCCESS;
    });
}

LSTATUS RegistryStore::DeleteKey(KeyId key)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return InTransaction([&]() -> LSTATUS {
        sqlite3_stmt *parentOf = Prepared(kParentOf);
        if (parentOf == nullptr)
            return StatusFromSqlite(sqlite3_errcode(m_pDb));
        sqlite3_bind_int64(parentOf, 1, key);
        int rc = sqlite3_step(parentOf);
        KeyId parent = rc == SQLITE_ROW ? sqlite3_column_int64(parentOf, 0) : 0;
        sqlite3_reset(parentOf);
        if (rc != SQLITE_ROW)
            return rc == SQLITE_DONE ? ERROR_KEY_DELETED : StatusFromSqlite(rc);
        sqlite3_stmt *children = Prepared(kHasChildren);
        if (children == nullptr)
            return StatusFromSqlite(sqlite3_errcode(m_pDb));
        sqlite3_bind_int64(children, 1, key);
        rc = sqlite3_step(children);
        sqlite3_reset(children);
        if (rc != SQLITE_DONE)
            return rc == SQLITE_ROW ? ERROR_ACCESS_DENIED : StatusFromSqlite(rc); // sub-keys go first
        for (Statement step : {kDeleteValues, kDeleteKey}) {
            sqlite3_stmt *statement = Prepared(step);
            if (statement == nullptr)
                return StatusFromSqlite(sqlite3_errcode(m_pDb));
            sqlite3_bind_int64(statement, 1, key);
            LSTATUS status = StepChange(step);
            if (status != ERROR_SUCCESS)
                return status;
        }
        return Touch(parent, FileTimeTicksNow());
    });
}

LSTATUS RegistryStore::SubKeyAt(KeyId key, DWORD index, SubKeyEntry &entry)
{
    LSTATUS status = CheckKey(key);
    if (status != ERROR_SUCCESS)
        return status;
    std::lock_guard<std::mutex> lock(m_mutex);
    sqlite3_stmt *statement = Prepared(kChildAt);
    if (statement == nullptr)
        return StatusFromSqlite(sqlite3_errcode(m_pDb));
    sqlite3_bind_int64(statement, 1, key);
    sqlite3_bind_int64(statement, 2, index);
    int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        entry.name = ColumnText(statement, 0);
        entry.className = ColumnText(statement, 1);
        entry.lastWrite = sqlite3_column_int64(statement, 2);
    }
    sqlite3_reset(statement);
    return rc == SQLITE_DONE ? ERROR_NO_MORE_ITEMS : StatusFromSqlite(rc);
}

LSTATUS RegistryStore::Summarise(KeyId key, KeySummary &summary)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (Statement which : {kKeyRow, kSubKeyStats, kValueStats}) {
        sqlite3_stmt *statement = Prepared(which);
        if (statement == nullptr)
            return StatusFromSqlite(sqlite3_errcode(m_pDb));
        sqlite3_bind_int64(statement, 1, key);
        int rc = sqlite3_step(statement);
        if (rc != SQLITE_ROW) {
            sqlite3_reset(statement);
            return rc == SQLITE_DONE ? ERROR_KEY_DELETED : StatusFromSqlite(rc);
        }
        if (which == kKeyRow) {
            summary.className = ColumnText(statement, 0);
            summary.lastWrite = sqlite3_column_int64(statement, 1);
        } else {
            DWORD *fields[2][3] = {{&summary.subKeys, &summary.longestSubKey, &summary.longestClass},
                                   {&summary.values, &summary.longestValueName, &summary.longestValueData}};
            for (int column = 0; column < 3; ++column)
                *fields[which == kValueStats][column] = static_cast<DWORD>(sqlite3_column_int64(statement, column));
        }
        sqlite3_reset(statement);
    }
    return ERROR_SUCCESS;
}

LSTATUS RegistryStore::ReadValue(KeyId key, const std::string &name, ValueEntry &value)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    sqlite3_stmt *statement = Prepared(kReadValue);
    if (statement == nullptr)
        return StatusFromSqlite(sqlite3_errcode(m_pDb));
    sqlite3_bind_int64(statement, 1, key);
    BindText(statement, 2, FoldName(name));
    int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        ReadValueRow(statement, value);
    sqlite3_reset(statement);
    if (rc != SQLITE_DONE)
        return StatusFromSqlite(rc);
    lock.unlock();
    // No such value: the key itself may be gone.
    LSTATUS status = CheckKey(key);
    return status == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : status;
}

LSTATUS RegistryStore::WriteValue(KeyId key, const std::string &name, DWORD type, const BYTE *data, DWORD size)
{
    LSTATUS status = CheckKey(key);
    if (status != ERROR_SUCCESS)
        return status;
    std::lock_guard<std::mutex> lock(m_mutex);
    return InTransaction([&]() -> LSTATUS {
        sqlite3_stmt *statement = Prepared(kUpsertValue);
        if (statement == nullptr)
            return StatusFromSqlite(sqlite3_errcode(m_pDb));
        static const BYTE kNoBytes[1] = {0}; // a non-null pointer binds an empty blob, not NULL
        sqlite3_bind_int64(statement, 1, key);
        BindText(statement, 2, name);
        BindText(statement, 3, FoldName(name));
        sqlite3_bind_int64(statement, 4, type);
        sqlite3_bind_blob(statement, 5, size ? data : kNoBytes, static_cast<int>(size), SQLITE_TRANSIENT);
        LSTATUS written = StepChange(kUpsertValue);
        return written == ERROR_SUCCESS ? Touch(key, FileTimeTicksNow()) : written;
    });
}

LSTATUS RegistryStore::DeleteValue(KeyId key, const std::string &name)
{
    LSTATUS status = CheckKey(key);
    if (status != ERROR_SUCCESS)
        return status;
    std::lock_guard<std::mutex> lock(m_mutex);
    return InTransaction([&]() -> LSTATUS {
        sqlite3_stmt *statement = Prepared(kDeleteValue);
        if (statement == nullptr)
            return StatusFromSqlite(sqlite3_errcode(m_pDb));
        sqlite3_bind_int64(statement, 1, key);
        BindText(statement, 2, FoldName(name));
        LSTATUS deleted = StepChange(kDeleteValue);
        if (deleted == ERROR_SUCCESS && sqlite3_changes(m_pDb) == 0)
            return ERROR_FILE_NOT_FOUND;
        return deleted == ERROR_SUCCESS ? Touch(key, FileTimeTicksNow()) : deleted;
    });
}

LSTATUS RegistryStore::ValueAt(KeyId key, DWORD index, ValueEntry &value)
{
    LSTATUS status = CheckKey(key);
    if (status != ERROR_SUCCESS)
        return status;
    std::lock_guard<std::mutex> lock(m_mutex);
    sqlite3_stmt *statement = Prepared(kValueAt);
    if (statement == nullptr)
        return StatusFromSqlite(sqlite3_errcode(m_pDb));
    sqlite3_bind_int64(statement, 1, key);
    sqlite3_bind_int64(statement, 2, index);
    int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        ReadValueRow(statement, value);
    sqlite3_reset(statement);
    return rc == SQLITE_DONE ? ERROR_NO_MORE_ITEMS : StatusFromSqlite(rc);
}

std::string FoldName(const std::string &name)
{
    std::string folded = name;
    for (char &c : folded)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return folded;
}

LSTATUS CopyName(const std::string &text, LPSTR buffer, LPDWORD capacity)
{
    if (text.size() >= *capacity)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    *capacity = static_cast<DWORD>(text.size());
    return ERROR_SUCCESS;
}

} // namespace qor::platform::registry
