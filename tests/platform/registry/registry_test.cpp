// registry_test.cpp: the registry calls against our SQLite store and, under Wine, the real registry: paths,
// the buffer protocol, enumeration, deletion, access, racing and killed writers; the POSIX store's own rules.
#include "QorPlatform.h"
#include "QorRegistry.h"

#include "QorChildProcess.h"
#include "QorKnownDifference.h"
#include "QorTestEnvironment.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#if !defined(_WIN32)
#  include <sqlite3.h> // to look into the POSIX store's file, which the Windows build does not have
#endif

namespace {

LSTATUS Create(HKEY parent, const char *path, HKEY &key, DWORD *disposition = nullptr, LPSTR className = nullptr)
{
    return RegCreateKeyExA(parent, path, 0, className, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                           disposition);
}

// Creates the key and closes it again.
LSTATUS Make(HKEY parent, const std::string &path, LPSTR className = nullptr)
{
    HKEY key;
    LSTATUS status = Create(parent, path.c_str(), key, nullptr, className);
    RegCloseKey(key);
    return status;
}

LSTATUS SetDword(HKEY key, const char *name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

LSTATUS Query(HKEY key, const char *name, void *data = nullptr, DWORD size = 0, DWORD *type = nullptr,
              DWORD *needed = nullptr)
{
    DWORD capacity = size;
    LSTATUS status = RegQueryValueExA(key, name, nullptr, type, static_cast<BYTE *>(data), &capacity);
    if (needed != nullptr)
        *needed = capacity;
    return status;
}

// The names that enumeration lists, sub-keys or values.
std::vector<std::string> Names(HKEY key, bool subKeys)
{
    std::vector<std::string> names;
    char name[300];
    for (DWORD i = 0, size = sizeof name;; ++i, size = sizeof name) {
        LSTATUS status = subKeys ? RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr)
                                 : RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            return names;
        names.push_back(name);
    }
}

// Each test works below its own key HKEY_CURRENT_USER\Software\QorUtilTests\<process>_<random>_<test>.
class Registry : public testing::Test {
protected:
    void SetUp() override
    {
        // Process ids repeat (under Wine especially); a random part keeps a crashed run's key out of the way.
        m_path = "Software\\QorUtilTests\\" + std::to_string(GetCurrentProcessId()) + "_" +
                 std::to_string(std::random_device()()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(ERROR_SUCCESS, Create(HKEY_CURRENT_USER, m_path.c_str(), m_key));
    }
    void TearDown() override
    {
        RegCloseKey(m_key);
        CQorRegistry cleaner;
        cleaner.RecurseDeleteKey(("HKEY_CURRENT_USER\\" + m_path).c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QorUtilTests"); // fails while other tests' keys remain
    }
    std::string m_path;
    HKEY m_key = nullptr;
};

TEST_F(Registry, KeysOpenAndCreateByPath)
{
    HKEY key = nullptr, second = nullptr, third = nullptr;
    DWORD made = 0, opened = 0, value = 0;
    ASSERT_EQ(ERROR_SUCCESS, Create(m_key, "One\\Two\\Three", key, &made));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, Create(m_key, "ONE\\two\\tHREE", key, &opened)) << "names ignore case";
    EXPECT_EQ((std::vector<DWORD>{REG_CREATED_NEW_KEY, REG_OPENED_EXISTING_KEY}), (std::vector<DWORD>{made, opened}));
    // A null or empty sub-key gives a second handle to the same key, which outlives the first.
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(key, nullptr, 0, KEY_ALL_ACCESS, &second) + RegOpenKeyExA(key, "", 0, KEY_ALL_ACCESS, &third));
    EXPECT_NE(second, third);
    EXPECT_EQ((std::vector<LSTATUS>(3, ERROR_SUCCESS)),
              (std::vector<LSTATUS>{RegCloseKey(key), SetDword(second, "Through", 7), Query(third, "through", &value, 4)}));
    EXPECT_EQ(7u, value);
    RegCloseKey(second);
    RegCloseKey(third);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(m_key, "One\\Two\\", 0, KEY_READ, &key)) << "a trailing backslash";
    RegCloseKey(key);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(m_key, "One\\Missing", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(m_key, "Missing\\Two", 0, KEY_READ, &key));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(m_key, "\\One", 0, KEY_READ, &key)) << "a leading backslash";
    EXPECT_NE(ERROR_SUCCESS, Create(m_key, "\\Lead", key)) << "a leading backslash";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_LOCAL_MACHINE, m_path.c_str(), 0, KEY_READ, &key))
        << "each root is a tree of its own";

    // Key names hold up to 255 characters, trees go 512 levels deep (32 made per call at most).
    ASSERT_EQ(ERROR_SUCCESS, Make(m_key, std::string(255, 'k')));
    QOR_EXPECT_BROKEN_ON_WINE(Create(m_key, std::string(256, 'k').c_str(), key) != ERROR_SUCCESS,
                              "Wine accepts key names longer than 255 characters");
    RegDeleteKeyA(m_key, std::string(256, 'k').c_str()); // too long for the enumeration that cleans up
    HKEY deep = m_key;
    for (int depth = 4; depth < 512; depth += 32) { // m_key is 3 levels below its root
        HKEY next = nullptr;
        std::string levels;
        for (int level = depth; level < depth + 32 && level <= 512; ++level)
            levels += "d\\";
        ASSERT_EQ(ERROR_SUCCESS, Create(deep, levels.c_str(), next)) << "below level " << depth;
        if (deep != m_key)
            RegCloseKey(deep);
        deep = next;
    }
    QOR_EXPECT_BROKEN_ON_WINE(Create(deep, "tooDeep", key) != ERROR_SUCCESS, "Wine has no limit on the depth");
    RegCloseKey(deep);
}

TEST_F(Registry, ValuesFollowTheBufferProtocol)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE *>("hello"), 6));
    DWORD type = 0, size = 0, needed = 0;
    EXPECT_EQ(ERROR_SUCCESS, Query(m_key, "TEXT", nullptr, 0, &type, &size)) << "size query";
    EXPECT_TRUE(type == REG_SZ && size == 6u);
    char buffer[16];
    EXPECT_EQ(ERROR_MORE_DATA, Query(m_key, "Text", buffer, 5, nullptr, &needed));
    EXPECT_TRUE(needed == 6u && Query(m_key, "Text", buffer, 6) == ERROR_SUCCESS && std::string(buffer) == "hello");

    // A string stored without its terminator gets one when there is room.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_key, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE *>("abc"), 3));
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ERROR_SUCCESS, Query(m_key, "Bare", buffer, sizeof buffer));
    EXPECT_EQ(std::string("abc", 4), std::string(buffer, 4));

    // Binary data keeps every byte; an empty value exists with size 0; rewriting replaces type and data.
    const BYTE bytes[] = {0, 1, 0, 0xFF};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_key, "Bytes", 0, REG_BINARY, bytes, sizeof bytes));
    BYTE read[8] = {};
    EXPECT_EQ(ERROR_SUCCESS, Query(m_key, "Bytes", read, sizeof read, &type, &size));
    EXPECT_EQ(std::string("\0\1\0\xFF", 4), std::string(reinterpret_cast<char *>(read), size));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_key, "Empty", 0, REG_BINARY, nullptr, 0));
    EXPECT_TRUE(Query(m_key, "Empty", read, sizeof read, nullptr, &size) == ERROR_SUCCESS && size == 0u);
    ASSERT_EQ(ERROR_SUCCESS, SetDword(m_key, "Bytes", 0x01020304));
    DWORD number = 0;
    EXPECT_EQ(ERROR_SUCCESS, Query(m_key, "bytes", &number, sizeof number, &type));
    EXPECT_TRUE(type == REG_DWORD && number == 0x01020304u);

    // The unnamed value: null and empty names are the same value.
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Query(m_key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>("def"), 4));
    EXPECT_TRUE(Query(m_key, "", buffer, sizeof buffer) == ERROR_SUCCESS && std::string(buffer) == "def");

    EXPECT_EQ((std::vector<LSTATUS>{ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND}),
              (std::vector<LSTATUS>{RegDeleteValueA(m_key, "TEXT"), Query(m_key, "Text"), RegDeleteValueA(m_key, "Text")}));
    EXPECT_EQ(ERROR_SUCCESS, SetDword(m_key, std::string(16383, 'v').c_str(), 1)) << "the longest value name";
    EXPECT_NE(ERROR_SUCCESS, SetDword(m_key, std::string(16384, 'v').c_str(), 1));
}

// Sub-keys list by name, values in creation order (Windows), each in its first spelling; an index
// asked after a change counts in the changed list.
TEST_F(Registry, EnumerationOrderAndChangesBetweenIndexes)
{
    for (const char *name : {"gamma", "Alpha", "beta", "delta"})
        ASSERT_EQ(ERROR_SUCCESS, Make(m_key, name) + SetDword(m_key, name, 1)) << name;
    ASSERT_EQ(ERROR_SUCCESS, SetDword(m_key, "GAMMA", 2)) << "rewriting keeps its place and spelling";
    EXPECT_EQ((std::vector<std::string>{"Alpha", "beta", "delta", "gamma"}), Names(m_key, true));
    QOR_EXPECT_BROKEN_ON_WINE((Names(m_key, false) == std::vector<std::string>{"gamma", "Alpha", "beta", "delta"}),
                              "Wine lists values by name");
    char name[32];
    DWORD size = 5;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyExA(m_key, 0, name, &size, nullptr, nullptr, nullptr, nullptr)) << "Alpha";
    DWORD data = 0, dataSize = 2;
    size = sizeof name;
    EXPECT_TRUE(RegEnumValueA(m_key, 0, name, &size, nullptr, nullptr, reinterpret_cast<BYTE *>(&data), &dataSize) ==
                ERROR_MORE_DATA && dataSize == 4u);

    for (bool subKeys : {true, false}) {
        const std::vector<std::string> before = Names(m_key, subKeys);
        size = sizeof name;
        ASSERT_EQ(ERROR_SUCCESS, subKeys ? RegEnumKeyExA(m_key, 1, name, &size, nullptr, nullptr, nullptr, nullptr)
                                         : RegEnumValueA(m_key, 1, name, &size, nullptr, nullptr, nullptr, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, subKeys ? RegDeleteKeyA(m_key, before[0].c_str()) : RegDeleteValueA(m_key, before[0].c_str()));
        size = sizeof name;
        ASSERT_EQ(ERROR_SUCCESS, subKeys ? RegEnumKeyExA(m_key, 2, name, &size, nullptr, nullptr, nullptr, nullptr)
                                         : RegEnumValueA(m_key, 2, name, &size, nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(before[3], name) << (subKeys ? "sub-keys" : "values") << ": index 2 of the list without " << before[0];
    }
}

TEST_F(Registry, DeletionRulesAndDeletedKeys)
{
    HKEY parent, child, below;
    ASSERT_EQ(ERROR_SUCCESS, Create(m_key, "Parent\\Child", child));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(m_key, "Parent")) << "a key with sub-keys stays";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(m_key, "Nothing"));
    ASSERT_EQ(ERROR_SUCCESS, SetDword(child, "Value", 5));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(m_key, "Parent", 0, KEY_ALL_ACCESS, &parent));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(parent, "CHILD"));

    EXPECT_EQ(std::vector<LSTATUS>(4, ERROR_KEY_DELETED), (std::vector<LSTATUS>{Query(child, "Value"),
              SetDword(child, "Value", 6), Create(child, "Below", below), RegFlushKey(child)}));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(child)) << "a handle to a deleted key still closes";
    ASSERT_EQ(ERROR_SUCCESS, Create(parent, "Child", child)) << "made anew, without the old value";
    EXPECT_TRUE(Query(child, "Value") == ERROR_FILE_NOT_FOUND && RegFlushKey(child) == ERROR_SUCCESS);
    RegCloseKey(child);
    RegCloseKey(parent);
}

TEST_F(Registry, HandlesAccessAndQueryInfo)
{
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER)) << "a predefined key closes without harm";
    HKEY key;
    // Opened for reading, then closed twice; opened for setting values.
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_READ, &key));
    EXPECT_EQ((std::vector<LSTATUS>{ERROR_ACCESS_DENIED, ERROR_SUCCESS, ERROR_INVALID_HANDLE}),
              (std::vector<LSTATUS>{SetDword(key, "Denied", 1), RegCloseKey(key), RegCloseKey(key)}));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_SET_VALUE, &key));
    EXPECT_TRUE(SetDword(key, "A much longer name", 1) == ERROR_SUCCESS && Query(key, "A much longer name") == ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    EXPECT_TRUE(Query(nullptr, "Allowed") == ERROR_INVALID_HANDLE &&
                RegOpenKeyExA(nullptr, "Software", 0, KEY_READ, &key) == ERROR_INVALID_HANDLE);

    char className[] = "QorClass";
    ASSERT_EQ(ERROR_SUCCESS, Make(m_key, "Classy", className) + Make(m_key, "Longer Name"));
    const BYTE thirteen[13] = {};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_key, "Name", 0, REG_BINARY, thirteen, sizeof thirteen));
    DWORD counts[6] = {};
    FILETIME written{};
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, &counts[0], &counts[1], &counts[2],
                                              &counts[3], &counts[4], &counts[5], nullptr, &written));
    // sub-keys, longest sub-key name, longest class, values, longest value name, longest data
    EXPECT_EQ((std::vector<DWORD>{2, 11, 8, 2, 18, 13}), std::vector<DWORD>(counts, counts + 6));
    EXPECT_NE(0u, written.dwHighDateTime);
    char name[32], classBuffer[32];
    DWORD nameSize = sizeof name, classSize = sizeof classBuffer;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumKeyExA(m_key, 0, name, &nameSize, nullptr, classBuffer, &classSize, nullptr));
    EXPECT_TRUE(std::string(classBuffer) == "QorClass" && classSize == 8u);
}

// One process deletes a key again and again while another writes values below it through a handle:
// each write lands under a live key or answers ERROR_KEY_DELETED, and no value outlives its key.
TEST_F(Registry, WritesRacingADeletionLandWholeOrFail)
{
    const std::string target = m_path + "\\Raced";
    qor::test::ChildProcess writer("qor_registry_writer", {"race", target, "3000"});
    ASSERT_TRUE(writer.Started());
    int deletions = 0;
    while (writer.Running())
        deletions += RegDeleteKeyA(HKEY_CURRENT_USER, target.c_str()) == ERROR_SUCCESS;
    EXPECT_EQ(0, writer.Wait()) << "a write answered neither success nor ERROR_KEY_DELETED";
    EXPECT_GT(deletions, 0);
#if !defined(_WIN32) // the store is a SQLite file only on POSIX; the Windows build has no sqlite3
    sqlite3 *db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open((qor::test::PrivateFolderEnvironment::Folder() / "registry" / "registry.db").c_str(), &db));
    sqlite3_stmt *orphans = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM vals WHERE key NOT IN (SELECT id FROM keys)", -1, &orphans, nullptr);
    ASSERT_EQ(SQLITE_ROW, sqlite3_step(orphans));
    EXPECT_EQ(0, sqlite3_column_int(orphans, 0)) << "values whose key was deleted";
    sqlite3_finalize(orphans);
    sqlite3_close(db);
#endif
}

// A change is there for the next process once the call returned, even when its process is killed.
TEST_F(Registry, ChangesOutliveAKilledWriter)
{
    const std::string marker = (qor::test::PrivateFolderEnvironment::Folder() / "held").string();
    qor::test::ChildProcess holder("qor_registry_writer", {"hold", m_path, marker});
    ASSERT_TRUE(qor::test::WaitForFile(marker, holder));
    holder.Kill();
    DWORD held = 0;
    EXPECT_TRUE(Query(m_key, "held", &held, sizeof held) == ERROR_SUCCESS && held == 1u);
}

#if !defined(_WIN32)
// The store's file, roots and refusals are the emulation's own, and its fault injection is a hook that
// only the POSIX build has (so these do not compile on Windows).
TEST_F(Registry, PosixStoreFileRootsAndFaults)
{
    EXPECT_TRUE(std::filesystem::exists(qor::test::PrivateFolderEnvironment::Folder() / "registry" / "registry.db"));
    HKEY key;
    // The performance and dynamic data roots, a leading backslash, an empty name, no data, a volatile key.
    EXPECT_EQ((std::vector<LSTATUS>{ERROR_CALL_NOT_IMPLEMENTED, ERROR_INVALID_HANDLE, ERROR_BAD_PATHNAME, ERROR_INVALID_PARAMETER,
                                    ERROR_NOACCESS, ERROR_CALL_NOT_IMPLEMENTED}),
              (std::vector<LSTATUS>{RegOpenKeyExA(HKEY_PERFORMANCE_DATA, "Global", 0, KEY_READ, &key),
                                    RegOpenKeyExA(HKEY_DYN_DATA, "Config", 0, KEY_READ, &key),
                                    RegOpenKeyExA(m_key, "\\Lead", 0, KEY_READ, &key), RegOpenKeyExA(m_key, "a\\\\b", 0, KEY_READ, &key),
                                    RegSetValueExA(m_key, "x", 0, REG_BINARY, nullptr, 4),
                                    RegCreateKeyExA(m_key, "v", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr)}));
    SetLastError(0xdeadbeef);
    QorInjectFault("RegSetValueExA", 2, ERROR_DISK_FULL);
    EXPECT_TRUE(SetDword(m_key, "First", 1) == ERROR_SUCCESS && SetDword(m_key, "Second", 2) == ERROR_DISK_FULL);
    EXPECT_EQ(0xdeadbeefu, GetLastError()) << "registry calls leave the last error alone";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Query(m_key, "Second"));
    QorInjectFault("RegOpenKeyExA", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_TRUE(RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_READ, &key) == ERROR_NOT_ENOUGH_MEMORY && key == nullptr);
}

// A new registry file works from its first key; one that is there but empty or no registry database
// is refused and never rewritten.
TEST_F(Registry, PosixNewAndDamagedDatabaseFiles)
{
    const std::string previous = std::getenv("QOR_REGISTRY_DIR");
    // In a new registry the first key made is deleted like any other: the roots' rows come before it.
    qor::test::SetEnvironmentVariable("QOR_REGISTRY_DIR", (qor::test::PrivateFolderEnvironment::Folder() / "new").string().c_str());
    ASSERT_EQ(ERROR_SUCCESS, Make(HKEY_CURRENT_CONFIG, "First"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_CONFIG, "First"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_CURRENT_CONFIG, "")) << "a root key stays";
    for (const std::string &content : {std::string(), std::string(300, 'J'), std::string("SQLite format 3\0", 16)}) {
        const std::string folder = qor::test::PathOf("damaged" + std::to_string(content.size()));
        std::filesystem::create_directories(folder);
        qor::test::WriteBytes(folder + "/registry.db", content);
        qor::test::SetEnvironmentVariable("QOR_REGISTRY_DIR", folder.c_str());
        HKEY key;
        EXPECT_EQ(ERROR_BADDB, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key)) << content.size();
        EXPECT_EQ(ERROR_BADDB, Create(HKEY_CURRENT_USER, "Software", key)) << content.size();
        qor::test::SetEnvironmentVariable("QOR_REGISTRY_DIR", previous.c_str());
        EXPECT_EQ(content, qor::test::ReadBytes(folder + "/registry.db")) << "never overwritten";
    }
}

#endif

} // namespace
