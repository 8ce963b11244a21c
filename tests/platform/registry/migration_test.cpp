// migration_test.cpp: a registry folder of an earlier release (one database per root key) is taken
// into the one registry database when that is first made: keys, values, their order and case. It
// builds such files with SQLite itself, which only the POSIX build has, so it compiles there only.
#if !defined(_WIN32)
#include "QorPlatform.h"

#include "QorTestEnvironment.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

namespace {

// The schema of the earlier per-root files: key 1 is the root.
void MakeEarlierFile(const std::string &path, const char *rows)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &db));
    std::string sql =
        "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL, name TEXT NOT NULL,"
        " fold TEXT NOT NULL, class TEXT, written INTEGER NOT NULL, UNIQUE(parent, fold));"
        "CREATE TABLE vals(id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL, name TEXT NOT NULL,"
        " fold TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, fold));"
        "PRAGMA application_id = 1364346183; PRAGMA user_version = 1;"
        "INSERT INTO keys VALUES(1, 0, '', '', NULL, 0);";
    sql += rows;
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr)) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

std::string ValueText(HKEY root, const char *path, const char *name)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    char text[64] = "";
    DWORD size = sizeof text;
    LSTATUS status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? text : "<no value>";
}

} // namespace

TEST(RegistryMigration, EarlierPerRootFilesAreTakenOnceWhole)
{
    const auto folder = qor::test::PrivateFolderEnvironment::Folder() / "earlier-registry";
    std::filesystem::create_directories(folder);
    // Ids deliberately out of order: a child row before its parent.
    MakeEarlierFile((folder / "HKEY_CURRENT_USER.db").string(),
                    "INSERT INTO keys VALUES(7, 1, 'Software', 'SOFTWARE', NULL, 5);"
                    "INSERT INTO keys VALUES(3, 7, 'Tolmar', 'TOLMAR', 'cls', 5);"
                    "INSERT INTO vals VALUES(1, 3, 'Second', 'SECOND', 1, CAST('two' || char(0) AS BLOB));"
                    "INSERT INTO vals VALUES(2, 3, 'first', 'FIRST', 1, CAST('one' || char(0) AS BLOB));"
                    "INSERT INTO vals VALUES(3, 1, 'AtRoot', 'ATROOT', 1, CAST('root' || char(0) AS BLOB));");
    MakeEarlierFile((folder / "HKEY_LOCAL_MACHINE.db").string(),
                    "INSERT INTO keys VALUES(2, 1, 'Software', 'SOFTWARE', NULL, 5);"
                    "INSERT INTO vals VALUES(1, 2, 'Path', 'PATH', 1, CAST('/opt' || char(0) AS BLOB));");
    const std::string previous = std::getenv("QOR_REGISTRY_DIR") ? std::getenv("QOR_REGISTRY_DIR") : "";
    qor::test::SetEnvironmentVariable("QOR_REGISTRY_DIR", folder.string().c_str());

    // each tree under its own root
    EXPECT_EQ("two|root|/opt|<no key>", ValueText(HKEY_CURRENT_USER, "software\\TOLMAR", "second") + "|" +
                                            ValueText(HKEY_CURRENT_USER, nullptr, "AtRoot") + "|" +
                                            ValueText(HKEY_LOCAL_MACHINE, "Software", "Path") + "|" +
                                            ValueText(HKEY_CLASSES_ROOT, "Software", "Path"));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tolmar", 0, KEY_READ, &key));
    char name[32];
    DWORD size = sizeof name;
    EXPECT_TRUE(RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                std::string(name) == "Second") << "values keep their order and the case they were written with";
    RegCloseKey(key);
    EXPECT_TRUE(std::filesystem::exists(folder / "HKEY_CURRENT_USER.db.migrated") &&
                !std::filesystem::exists(folder / "HKEY_CURRENT_USER.db")) << "never taken twice";

    qor::test::SetEnvironmentVariable("QOR_REGISTRY_DIR", previous.empty() ? nullptr : previous.c_str());
}
#endif // !_WIN32
