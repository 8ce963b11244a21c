// store.cpp: the registry's database: one SQLite file for every root key, its schema and marker,
// the statements prepared once per connection, the transactions and batches of every change.
// Key and value rows carry the name as given and its folded form, so lookups ignore case while
// enumeration shows the first spelling.
#include "registry/store.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qor::platform::registry {

namespace {

// "QREG" in the database header marks a registry database; the user version is the schema's.
constexpr int kApplicationId = 0x51524547;
constexpr int kSchemaVersion = 2;
constexpr int kBusyTimeoutMs = 30000; // how long a call waits for another process's transaction

// Keys never reuse an id (AUTOINCREMENT), so a handle to a deleted key can never see a newer key.
// The root keys are the rows RootKeyId(index) of the predefined handles that have a tree (parent 0,
// their id for a fold that no name lookup asks for). Values of
// a key list in creation order through the (key, id) order of vals_key.
const char *const kSchema =
    "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL, name TEXT NOT NULL,"
    " fold TEXT NOT NULL, class TEXT, written INTEGER NOT NULL, depth INTEGER NOT NULL, UNIQUE(parent, fold));"
    "CREATE TABLE vals(id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL, name TEXT NOT NULL,"
    " fold TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, fold));"
    "CREATE INDEX vals_key ON vals(key);"
    "INSERT INTO keys(id, parent, name, fold, written, depth) SELECT column1, 0, '', column1,"
    " CAST((julianday('now') - 2305813.5) * 864000000000 AS INTEGER), 0" // FILETIME ticks since 1601
    " FROM (VALUES (1), (2), (3), (4), (6));"
    "PRAGMA application_id = 1364346183; PRAGMA user_version = 2; PRAGMA journal_mode = WAL;";
static_assert(kApplicationId == 1364346183 && kSchemaVersion == 2, "the schema text repeats both");

const char *const kStatementTexts[] = {
    /* kKeyDepth */ "SELECT depth FROM keys WHERE id = ?1",
    /* kFindChild */ "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2",
    /* kInsertKey */ "INSERT INTO keys(parent, name, fold, class, written, depth) VALUES(?1, ?2, ?3, ?4, ?5, ?6)",
    /* kTouchKey */ "UPDATE keys SET written = ?2 WHERE id = ?1",
    /* kParentOf */ "SELECT parent FROM keys WHERE id = ?1",
    /* kHasChildren */ "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1",
    /* kDeleteValues */ "DELETE FROM vals WHERE key = ?1",
    /* kDeleteKey */ "DELETE FROM keys WHERE id = ?1",
    /* kChildAt */ "SELECT name, class, written, fold FROM keys WHERE parent = ?1 ORDER BY fold LIMIT 1 OFFSET ?2",
    /* kChildAfter */
    "SELECT name, class, written, fold FROM keys WHERE parent = ?1 AND fold > ?2 ORDER BY fold LIMIT 1",
    /* kReadValue */ "SELECT name, type, data FROM vals WHERE key = ?1 AND fold = ?2",
    /* kUpsertValue */
    "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
    " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
    /* kDeleteValue */ "DELETE FROM vals WHERE key = ?1 AND fold = ?2",
    /* kValueAt */ "SELECT name, type, data, id FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2",
    /* kValueAfter */ "SELECT name, type, data, id FROM vals WHERE key = ?1 AND id > ?2 ORDER BY id LIMIT 1",
    /* kSubKeyStats */
    "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0),"
    " coalesce(max(length(CAST(coalesce(class, '') AS BLOB))), 0) FROM keys WHERE parent = ?1",
    /* kValueStats */
    "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0), coalesce(max(length(data)), 0)"
    " FROM vals WHERE key = ?1",
    /* kKeyRow */ "SELECT class, written FROM keys WHERE id = ?1",
    /* kDataVersion */ "PRAGMA data_version",
    /* kBegin */ "BEGIN IMMEDIATE",
    /* kCommit */ "COMMIT",
    /* kRollback */ "ROLLBACK",
    /* kSavepoint */ "SAVEPOINT change",
    /* kRelease */ "RELEASE change",
    /* kRollbackTo */ "ROLLBACK TO change",
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
    case SQLITE_TOOBIG: return ERROR_INVALID_PARAMETER;
    case SQLITE_IOERR: return ERROR_REGISTRY_IO_FAILED;
    default: return ERROR_REGISTRY_CORRUPT; // corruption, constraint or schema trouble: not as we wrote it
    }
}

// Runs `sql` and reads one integer of its first row.
int QueryInteger(sqlite3 *db, const char *sql, int &value)
{
    sqlite3_stmt *statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    {
        StatementUse use(statement, rc);
        rc = use.Step();
        if (rc == SQLITE_ROW)
            value = static_cast<int>(use.Integer(0));
    }
    sqlite3_finalize(statement);
    return rc == SQLITE_ROW ? SQLITE_OK : rc;
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

// Earlier releases kept one database per root key, "<root name>.db" beside the registry file, with
// the root as key 1 and version 1 of the same tables (without depths). Their trees are copied into a
// new registry file, below the root rows, before it is linked into place.
const char *const kEarlierRootFiles[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                         "HKEY_USERS", nullptr, "HKEY_CURRENT_CONFIG"};

int CopyEarlierRoot(sqlite3 *db, const std::string &file, KeyId root)
{
    sqlite3_stmt *attach = nullptr;
    int rc = sqlite3_prepare_v2(db, "ATTACH ?1 AS earlier", -1, &attach, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(attach, 1, file.c_str(), -1, SQLITE_TRANSIENT);
        rc = sqlite3_step(attach) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
    }
    sqlite3_finalize(attach);
    if (rc != SQLITE_OK)
        return rc;
    int id = 0, version = 0;
    rc = QueryInteger(db, "PRAGMA earlier.application_id", id);
    if (rc == SQLITE_OK)
        rc = QueryInteger(db, "PRAGMA earlier.user_version", version);
    if (rc == SQLITE_OK && id == kApplicationId && version == 1) {
        // Old ids move above every id in use; the old root (id 1) becomes the new root row.
        const std::string offset = "(SELECT max(id) FROM main.keys)", rootId = std::to_string(root);
        const std::string copy =
            "CREATE TEMP TABLE moved AS WITH RECURSIVE tree(id, depth) AS (SELECT id, 1 FROM earlier.keys"
            " WHERE parent = 1 UNION ALL SELECT k.id, tree.depth + 1 FROM earlier.keys k JOIN tree ON k.parent ="
            " tree.id) SELECT tree.id AS id, tree.id + " + offset + " AS newId, tree.depth AS depth FROM tree;"
            "INSERT INTO main.keys(id, parent, name, fold, class, written, depth) SELECT m.newId,"
            " CASE WHEN k.parent = 1 THEN " + rootId + " ELSE (SELECT newId FROM moved WHERE id = k.parent) END,"
            " k.name, k.fold, k.class, k.written, m.depth FROM earlier.keys k JOIN moved m ON m.id = k.id"
            " ORDER BY m.depth;"
            "INSERT INTO main.vals(key, name, fold, type, data) SELECT CASE WHEN v.key = 1 THEN " + rootId +
            " ELSE (SELECT newId FROM moved WHERE id = v.key) END, v.name, v.fold, v.type, v.data"
            " FROM earlier.vals v WHERE v.key = 1 OR v.key IN (SELECT id FROM moved) ORDER BY v.id;"
            "DROP TABLE moved;";
        rc = sqlite3_exec(db, copy.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "DETACH earlier", nullptr, nullptr, nullptr);
    return rc;
}

// The earlier files that exist in the registry file's folder, by root row.
std::vector<std::pair<KeyId, std::string>> EarlierRootFiles(const std::string &path)
{
    std::vector<std::pair<KeyId, std::string>> files;
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    for (size_t index = 0; index < sizeof kEarlierRootFiles / sizeof kEarlierRootFiles[0]; ++index) {
        std::string file = kEarlierRootFiles[index] != nullptr ? folder + kEarlierRootFiles[index] + ".db" : "";
        if (!file.empty() && access(file.c_str(), F_OK) == 0)
            files.emplace_back(RootKeyId(index), file);
    }
    return files;
}

// A new database is built whole under a name of its own and linked into place, so that no process
// ever finds a registry file without its schema: an existing file that lacks it is damaged. The
// earlier files it took its trees from are then renamed "<root name>.db.migrated", so that they are
// never taken twice.
LSTATUS CreateDatabase(const std::string &path)
{
    std::string building = path + ".new-" + std::to_string(getpid());
    unlink(building.c_str());
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(building.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
    const auto earlier = EarlierRootFiles(path);
    for (size_t i = 0; rc == SQLITE_OK && i < earlier.size(); ++i)
        rc = CopyEarlierRoot(db, earlier[i].second, earlier[i].first);
    sqlite3_close(db);
    LSTATUS status = StatusFromSqlite(rc);
    bool linked = status == ERROR_SUCCESS && link(building.c_str(), path.c_str()) == 0;
    if (status == ERROR_SUCCESS && !linked && errno != EEXIST)
        status = ERROR_CANTOPEN; // EEXIST: another process was first, and its file is as good
    unlink(building.c_str());
    for (size_t i = 0; linked && i < earlier.size(); ++i)
        rename(earlier[i].second.c_str(), (earlier[i].second + ".migrated").c_str());
    return status;
}

// Opens the registry database at `path`, creating it when there is none.
LSTATUS OpenDatabase(const std::string &path, sqlite3 *&db)
{
    struct stat info;
    LSTATUS status = ERROR_SUCCESS;
    if (stat(path.c_str(), &info) != 0)
        status = errno == ENOENT ? CreateDatabase(path) : ERROR_CANTOPEN;
    if (status != ERROR_SUCCESS)
        return status;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK)
        return rc == SQLITE_CANTOPEN ? ERROR_CANTOPEN : StatusFromSqlite(rc);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    int id = 0, version = 0;
    rc = QueryInteger(db, "PRAGMA application_id", id);
    if (rc == SQLITE_OK)
        rc = QueryInteger(db, "PRAGMA user_version", version);
    if (rc != SQLITE_OK)
        return StatusFromSqlite(rc);
    if (id != kApplicationId || version != kSchemaVersion)
        return ERROR_BADDB; // empty, another program's database, or a schema of another version
    // NORMAL: a commit is in the WAL when the call returns (safe from a crash of the process) and
    // reaches the disk at the next checkpoint or RegFlushKey, as Windows writes its registry lazily.
    return StatusFromSqlite(sqlite3_exec(db, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr));
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

void ReadValueRow(const StatementUse &row, ValueEntry &value)
{
    value.name = row.Text(0);
    value.type = static_cast<DWORD>(row.Integer(1));
    value.data = row.Bytes(2);
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
    sqlite3 *db = nullptr;
    LSTATUS status = MakeFolders(path);
    if (status == ERROR_SUCCESS)
        status = OpenDatabase(path, db);
    if (status != ERROR_SUCCESS) {
        sqlite3_close(db);
        return status;
    }
    store = new RegistryStore(db);
    table.stores.emplace(path, store);
    return ERROR_SUCCESS;
}

template <class... Args> StatementUse RegistryStore::Use(Statement which, const Args &...args)
{
    sqlite3_stmt *&statement = m_apStatements[which];
    int rc = SQLITE_OK;
    if (statement == nullptr)
        rc = sqlite3_prepare_v3(m_pDb, kStatementTexts[which], -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    StatementUse use(statement, rc);
    int index = 0;
    (use.Bind(++index, args), ...);
    return use;
}

LSTATUS RegistryStore::Run(Statement which) { return StatusFromSqlite(Use(which).Step()); }

// A change of its own: BEGIN IMMEDIATE .. COMMIT, or inside a batch a savepoint that a failure
// rolls back alone.
template <class Work> LSTATUS RegistryStore::InTransaction(Work work)
{
    const bool inBatch = m_batchOwner == std::this_thread::get_id();
    LSTATUS status = Run(inBatch ? kSavepoint : kBegin);
    if (status != ERROR_SUCCESS)
        return status;
    status = work();
    if (status == ERROR_SUCCESS)
        status = Run(inBatch ? kRelease : kCommit);
    if (status != ERROR_SUCCESS && inBatch) {
        Run(kRollbackTo);
        Run(kRelease);
    } else if (status != ERROR_SUCCESS) {
        Run(kRollback);
    }
    ++m_generation;
    return status;
}

LSTATUS RegistryStore::CheckKey(KeyId key)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    int rc = Use(kKeyDepth, key).Step();
    return rc == SQLITE_DONE ? ERROR_KEY_DELETED : StatusFromSqlite(rc);
}

LSTATUS RegistryStore::FindChild(KeyId parent, const std::string &name, KeyId &child)
{
    StatementUse row = Use(kFindChild, parent, FoldName(name));
    int rc = row.Step();
    if (rc == SQLITE_ROW)
        child = row.Integer(0);
    return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : StatusFromSqlite(rc);
}

LSTATUS RegistryStore::FindKey(KeyId from, const std::vector<std::string> &names, KeyId &found)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    LSTATUS status = CheckKey(from);
    KeyId key = from;
    for (size_t i = 0; status == ERROR_SUCCESS && i < names.size(); ++i)
        status = FindChild(key, names[i], key);
    if (status == ERROR_SUCCESS)
        found = key;
    return status;
}

LSTATUS RegistryStore::Touch(KeyId key, int64_t when)
{
    LSTATUS status = StatusFromSqlite(Use(kTouchKey, key, when).Step());
    return status == ERROR_SUCCESS && sqlite3_changes(m_pDb) == 0 ? ERROR_KEY_DELETED : status;
}

LSTATUS RegistryStore::CreateKey(KeyId from, const std::vector<std::string> &names, const char *className,
                                 KeyId &key, bool &created)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return InTransaction([&]() -> LSTATUS {
        StatementUse start = Use(kKeyDepth, from);
        int rc = start.Step();
        if (rc != SQLITE_ROW)
            return rc == SQLITE_DONE ? ERROR_KEY_DELETED : StatusFromSqlite(rc);
        int64_t depth = start.Integer(0);
        KeyId current = from;
        bool madeLast = false;
        const int64_t now = FileTimeTicksNow();
        for (size_t i = 0; i < names.size(); ++i, ++depth) {
            KeyId child = 0;
            LSTATUS found = FindChild(current, names[i], child);
            madeLast = found == ERROR_FILE_NOT_FOUND;
            if (found != ERROR_SUCCESS && !madeLast)
                return found;
            if (madeLast && depth + 1 > kDeepestKey)
                return ERROR_INVALID_PARAMETER;
            if (madeLast) {
                // Only the key the caller names gets the class; keys made on the way have none.
                const char *keyClass = i + 1 == names.size() ? className : nullptr;
                LSTATUS inserted = StatusFromSqlite(
                    Use(kInsertKey, current, names[i], FoldName(names[i]), keyClass, now, depth + 1).Step());
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
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return InTransaction([&]() -> LSTATUS {
        StatementUse parentOf = Use(kParentOf, key);
        int rc = parentOf.Step();
        if (rc != SQLITE_ROW)
            return rc == SQLITE_DONE ? ERROR_KEY_DELETED : StatusFromSqlite(rc);
        KeyId parent = parentOf.Integer(0);
        rc = Use(kHasChildren, key).Step();
        if (rc != SQLITE_DONE)
            return rc == SQLITE_ROW ? ERROR_ACCESS_DENIED : StatusFromSqlite(rc); // sub-keys go first
        for (Statement step : {kDeleteValues, kDeleteKey}) {
            LSTATUS status = StatusFromSqlite(Use(step, key).Step());
            if (status != ERROR_SUCCESS)
                return status;
        }
        return Touch(parent, FileTimeTicksNow());
    });
}

// True when `index` follows the cursor's index for the same key with nothing changed since, by this
// connection or (PRAGMA data_version) by another.
bool RegistryStore::CursorContinues(Cursor &cursor, KeyId key, DWORD index)
{
    StatementUse version = Use(kDataVersion);
    int64_t generation = version.Step() == SQLITE_ROW ? version.Integer(0) * 0x100000000LL + m_generation : -1;
    bool continues = index > 0 && cursor.key == key && cursor.index + 1 == index && cursor.generation == generation;
    cursor.key = key;
    cursor.index = index;
    cursor.generation = generation;
    return continues;
}

LSTATUS RegistryStore::SubKeyAt(KeyId key, DWORD index, SubKeyEntry &entry)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    LSTATUS status = CheckKey(key);
    if (status != ERROR_SUCCESS)
        return status;
    const std::string after = m_subKeyCursor.fold;
    StatementUse row = CursorContinues(m_subKeyCursor, key, index) ? Use(kChildAfter, key, after)
                                                                    : Use(kChildAt, key, static_cast<int64_t>(index));
    int rc = row.Step();
    if (rc == SQLITE_ROW) {
        entry.name = row.Text(0);
        entry.className = row.Text(1);
        entry.lastWrite = row.Integer(2);
        m_subKeyCursor.fold = row.Text(3);
    } else {
        m_subKeyCursor.key = 0;
    }
    return rc == SQLITE_DONE ? ERROR_NO_MORE_ITEMS : StatusFromSqlite(rc);
}

LSTATUS RegistryStore::Summarise(KeyId key, KeySummary &summary)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (Statement which : {kKeyRow, kSubKeyStats, kValueStats}) {
        StatementUse row = Use(which, key);
        int rc = row.Step();
        if (rc != SQLITE_ROW)
            return rc == SQLITE_DONE ? ERROR_KEY_DELETED : StatusFromSqlite(rc);
        if (which == kKeyRow) {
            summary.className = row.Text(0);
            summary.lastWrite = row.Integer(1);
            continue;
        }
        DWORD *fields[2][3] = {{&summary.subKeys, &summary.longestSubKey, &summary.longestClass},
                               {&summary.values, &summary.longestValueName, &summary.longestValueData}};
        for (int column = 0; column < 3; ++column)
            *fields[which == kValueStats][column] = static_cast<DWORD>(row.Integer(column));
    }
    return ERROR_SUCCESS;
}

LSTATUS RegistryStore::ReadValue(KeyId key, const std::string &name, ValueEntry &value)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    int rc = SQLITE_OK;
    {
        StatementUse row = Use(kReadValue, key, FoldName(name));
        rc = row.Step();
        if (rc == SQLITE_ROW)
            ReadValueRow(row, value);
    }
    if (rc != SQLITE_DONE)
        return StatusFromSqlite(rc);
    LSTATUS status = CheckKey(key); // no such value: the key itself may be gone
    return status == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : status;
}

LSTATUS RegistryStore::WriteValue(KeyId key, const std::string &name, DWORD type, const BYTE *data, DWORD size)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return InTransaction([&]() -> LSTATUS {
        LSTATUS status = Touch(key, FileTimeTicksNow()); // also the check that the key is there
        if (status == ERROR_SUCCESS)
            status = StatusFromSqlite(Use(kUpsertValue, key, name, FoldName(name), static_cast<int64_t>(type),
                                          BlobArgument{data, size})
                                          .Step());
        return status;
    });
}

LSTATUS RegistryStore::DeleteValue(KeyId key, const std::string &name)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return InTransaction([&]() -> LSTATUS {
        LSTATUS status = StatusFromSqlite(Use(kDeleteValue, key, FoldName(name)).Step());
        bool deleted = status == ERROR_SUCCESS && sqlite3_changes(m_pDb) > 0;
        if (status == ERROR_SUCCESS)
            status = Touch(key, FileTimeTicksNow()); // rolled back below when nothing was deleted
        return status == ERROR_SUCCESS && !deleted ? ERROR_FILE_NOT_FOUND : status;
    });
}

LSTATUS RegistryStore::ValueAt(KeyId key, DWORD index, ValueEntry &value)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    LSTATUS status = CheckKey(key);
    if (status != ERROR_SUCCESS)
        return status;
    const int64_t after = m_valueCursor.id;
    StatementUse row = CursorContinues(m_valueCursor, key, index) ? Use(kValueAfter, key, after)
                                                                   : Use(kValueAt, key, static_cast<int64_t>(index));
    int rc = row.Step();
    if (rc == SQLITE_ROW) {
        ReadValueRow(row, value);
        m_valueCursor.id = row.Integer(3);
    } else {
        m_valueCursor.key = 0;
    }
    return rc == SQLITE_DONE ? ERROR_NO_MORE_ITEMS : StatusFromSqlite(rc);
}

LSTATUS RegistryStore::Flush(KeyId key)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    LSTATUS status = CheckKey(key);
    // Every committed change is in the write-ahead log (or already in the database, which a
    // checkpoint syncs): syncing the log makes them all durable.
    sqlite3_file *log = nullptr;
    if (status == ERROR_SUCCESS && sqlite3_file_control(m_pDb, "main", SQLITE_FCNTL_JOURNAL_POINTER, &log) == SQLITE_OK &&
        log != nullptr && log->pMethods != nullptr)
        status = StatusFromSqlite(log->pMethods->xSync(log, SQLITE_SYNC_NORMAL));
    return status;
}

LSTATUS RegistryStore::BeginBatch()
{
    m_mutex.lock(); // held until the batch ends: other threads wait
    LSTATUS status = m_batchOwner == std::thread::id() ? Run(kBegin) : ERROR_INVALID_STATE;
    if (status == ERROR_SUCCESS)
        m_batchOwner = std::this_thread::get_id();
    else
        m_mutex.unlock();
    return status;
}

LSTATUS RegistryStore::EndBatch(bool commit)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_batchOwner != std::this_thread::get_id())
        return ERROR_INVALID_STATE;
    LSTATUS status = commit ? Run(kCommit) : ERROR_SUCCESS;
    if (!commit || status != ERROR_SUCCESS)
        Run(kRollback);
    ++m_generation;
    m_batchOwner = std::thread::id();
    m_mutex.unlock(); // the lock BeginBatch took
    return status;
}

LSTATUS RegistryStore::CommitBatch() { return EndBatch(true); }
LSTATUS RegistryStore::AbortBatch() { return EndBatch(false); }

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
