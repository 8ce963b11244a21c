// registry_test.cpp: the registry calls as Windows documents them, run against our SQLite store and,
// under Wine, against the real registry: keys and paths, values and the buffer protocol, enumeration
// order, deletion, handles and access, several writing processes at once; POSIX-only: the store itself.
#include "QorPlatform.h"

#include "QorTestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

LSTATUS Create(HKEY parent, const char *path, HKEY &key, DWORD *disposition = nullptr, LPSTR className = nullptr)
{
    return RegCreateKeyExA(parent, path, 0, className, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                           disposition);
}

LSTATUS SetString(HKEY key, const char *name, const char *text, DWORD size)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), size);
}

LSTATUS SetDword(HKEY key, const char *name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

void DeleteTree(HKEY parent, const char *name)
{
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char child[512]; // room for names longer than Windows allows, which Wine accepts
    DWORD size = sizeof child;
    while (RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        DeleteTree(key, child);
        size = sizeof child;
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name);
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
        DeleteTree(HKEY_CURRENT_USER, m_path.c_str());
        HKEY tests;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\QorUtilTests", 0, KEY_ALL_ACCESS, &tests) == ERROR_SUCCESS) {
            RegCloseKey(tests);
            RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QorUtilTests"); // fails while other tests' keys remain
        }
    }
    std::string m_path;
    HKEY m_key = nullptr;
};

TEST_F(Registry, KeysOpenAndCreateByPath)
{
    HKEY key = nullptr, again = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, Create(m_key, "One\\Two\\Three", key, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition) << "every key on the path is made";
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, Create(m_key, "ONE\\two\\tHREE", again, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition) << "names ignore case";
    RegCloseKey(again);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(m_key, "one\\Two", 0, KEY_READ, &key));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(m_key, "One\\Two\\", 0, KEY_READ, &key)) << "a trailing backslash";
    RegCloseKey(key);

    key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(m_key, "One\\Missing", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(m_key, "Missing\\Two", 0, KEY_READ, &key));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(m_key, "\\One", 0, KEY_READ, &key)) << "a leading backslash";
    EXPECT_NE(ERROR_SUCCESS, Create(m_key, "\\Lead", key)) << "a leading backslash";

    // A null or empty sub-key gives a second handle to the same key, which outlives the first.
    HKEY first = nullptr, second = nullptr, third = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(m_key, "One", 0, KEY_ALL_ACCESS, &first));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(first, nullptr, 0, KEY_ALL_ACCESS, &second));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(first, "", 0, KEY_ALL_ACCESS, &third));
    EXPECT_NE(first, second);
    EXPECT_NE(second, third);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(first));
    EXPECT_EQ(ERROR_SUCCESS, SetDword(second, "Through", 7));
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(third, "through", nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size));
    EXPECT_EQ(7u, value);
    RegCloseKey(second);
    RegCloseKey(third);

    // Key names hold up to 255 characters.
    std::string longest(255, 'k');
    ASSERT_EQ(ERROR_SUCCESS, Create(m_key, longest.c_str(), key));
    RegCloseKey(key);
#if !defined(_WIN32)
    // Windows documents 255 as the limit; Wine accepts longer names, so the refusal is checked on POSIX.
    std::string tooLong(256, 'k');
    EXPECT_EQ(ERROR_INVALID_PARAMETER, Create(m_key, tooLong.c_str(), key));
#endif
}

TEST_F(Registry, ValuesFollowTheBufferProtocol)
{
    ASSERT_EQ(ERROR_SUCCESS, SetString(m_key, "Text", "hello", 6));
    DWORD type = 0, size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(m_key, "TEXT", nullptr, &type, nullptr, &size)) << "size query";
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(6u, size);
    char buffer[16];
    size = 5;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(m_key, "Text", nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size));
    EXPECT_EQ(6u, size) << "the size it needs";
    size = 6;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(m_key, "Text", nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), &size));
    EXPECT_STREQ("hello", buffer);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(m_key, "Text", nullptr, nullptr, nullptr, nullptr)) << "exists";

    // A string stored without its terminator gets one when there is room, not counted in the size.
    ASSERT_EQ(ERROR_SUCCESS, SetString(m_key, "Bare", "abc", 3));
    std::memset(buffer, 'x', sizeof buffer);
    size = sizeof buffer;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(m_key, "Bare", nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), &size));
    EXPECT_EQ(std::string("abc", 4), std::string(buffer, 4));
#if !defined(_WIN32)
    EXPECT_EQ(3u, size) << "the stored size"; // Wine stores the terminator it adds and counts it: 4
#else
    EXPECT_GE(size, 3u);
#endif

    // Binary data keeps every byte; an empty value exists with size 0; rewriting replaces type and data.
    const BYTE bytes[] = {0, 1, 0, 0xFF};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_key, "Bytes", 0, REG_BINARY, bytes, sizeof bytes));
    BYTE read[8] = {};
    size = sizeof read;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(m_key, "Bytes", nullptr, &type, read, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    ASSERT_EQ(4u, size);
    EXPECT_EQ(0, std::memcmp(bytes, read, sizeof bytes));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_key, "Empty", 0, REG_BINARY, nullptr, 0));
    size = sizeof read;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(m_key, "Empty", nullptr, nullptr, read, &size));
    EXPECT_EQ(0u, size);
    ASSERT_EQ(ERROR_SUCCESS, SetDword(m_key, "Bytes", 0x01020304));
    DWORD number = 0;
    size = sizeof number;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(m_key, "bytes", nullptr, &type, reinterpret_cast<BYTE *>(&number), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(0x01020304u, number);

    // The unnamed value: null and empty names are the same value.
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(m_key, nullptr, nullptr, nullptr, nullptr, &size));
    ASSERT_EQ(ERROR_SUCCESS, SetString(m_key, nullptr, "default", 8));
    size = sizeof buffer;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(m_key, "", nullptr, nullptr, reinterpret_cast<BYTE *>(buffer), &size));
    EXPECT_STREQ("default", buffer);

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(m_key, "Missing", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(m_key, "TEXT"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(m_key, "Text", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueA(m_key, "Text"));

    // Value names hold up to 16383 characters.
    std::string longest(16383, 'v');
    EXPECT_EQ(ERROR_SUCCESS, SetDword(m_key, longest.c_str(), 1));
    std::string tooLong(16384, 'v');
    EXPECT_NE(ERROR_SUCCESS, SetDword(m_key, tooLong.c_str(), 1));
}

TEST_F(Registry, SubKeysEnumerateByNameAndValuesByCreation)
{
    for (const char *name : {"gamma", "Alpha", "beta"}) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, Create(m_key, name, key)) << name;
        RegCloseKey(key);
    }
    std::vector<std::string> names;
    char name[32];
    DWORD size = sizeof name;
    FILETIME written{};
    LSTATUS status;
    for (DWORD i = 0; (status = RegEnumKeyExA(m_key, i, name, &size, nullptr, nullptr, nullptr, &written)) == ERROR_SUCCESS; ++i) {
        EXPECT_EQ(std::strlen(name), size) << "the length without terminator";
        EXPECT_NE(0u, written.dwHighDateTime);
        names.push_back(name);
        size = sizeof name;
    }
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, status);
    EXPECT_EQ((std::vector<std::string>{"Alpha", "beta", "gamma"}), names) << "name order, first spelling";
    size = 5;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyExA(m_key, 0, name, &size, nullptr, nullptr, nullptr, nullptr)) << "Alpha needs 6";

    for (const char *value : {"zeta", "Alpha", "mid"})
        ASSERT_EQ(ERROR_SUCCESS, SetDword(m_key, value, 1)) << value;
    ASSERT_EQ(ERROR_SUCCESS, SetDword(m_key, "ZETA", 2)) << "rewriting keeps its place and spelling";
    names.clear();
    DWORD data = 0, dataSize = sizeof data, type = 0;
    size = sizeof name;
    std::vector<DWORD> datas;
    for (DWORD i = 0; (status = RegEnumValueA(m_key, i, name, &size, nullptr, &type, reinterpret_cast<BYTE *>(&data), &dataSize)) == ERROR_SUCCESS; ++i) {
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
        names.push_back(name);
        datas.push_back(data);
        size = sizeof name;
        dataSize = sizeof data;
    }
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, status);
    std::map<std::string, DWORD> byName;
    for (size_t i = 0; i < names.size(); ++i)
        byName[names[i]] = datas[i];
    EXPECT_EQ((std::map<std::string, DWORD>{{"Alpha", 1}, {"mid", 1}, {"zeta", 2}}), byName) << "first spellings";
#if !defined(_WIN32)
    // Ours come in creation order; Windows documents values as unordered (Wine lists them by name).
    EXPECT_EQ((std::vector<std::string>{"zeta", "Alpha", "mid"}), names);
#endif
    dataSize = 2;
    size = sizeof name;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueA(m_key, 0, name, &size, nullptr, nullptr, reinterpret_cast<BYTE *>(&data), &dataSize));
    EXPECT_EQ(4u, dataSize);
}

TEST_F(Registry, DeletionRulesAndDeletedKeys)
{
    HKEY parent, child;
    ASSERT_EQ(ERROR_SUCCESS, Create(m_key, "Parent\\Child", child));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(m_key, "Parent")) << "a key with sub-keys stays";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(m_key, "Nothing"));
    ASSERT_EQ(ERROR_SUCCESS, SetDword(child, "Value", 5));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(m_key, "Parent", 0, KEY_ALL_ACCESS, &parent));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(parent, "CHILD"));

    DWORD size = 0;
    EXPECT_EQ(ERROR_KEY_DELETED, RegQueryValueExA(child, "Value", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_KEY_DELETED, SetDword(child, "Value", 6));
    HKEY below;
    EXPECT_EQ(ERROR_KEY_DELETED, Create(child, "Below", below));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(child)) << "a handle to a deleted key still closes";
    ASSERT_EQ(ERROR_SUCCESS, Create(parent, "Child", child)) << "made anew, without the old value";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(child, "Value", nullptr, nullptr, nullptr, &size));
    RegCloseKey(child);
    RegCloseKey(parent);
}

TEST_F(Registry, HandlesAndAccessRights)
{
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER)) << "a predefined key closes without harm";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_ACCESS_DENIED, SetDword(key, "Denied", 1)) << "opened for reading";
    RegCloseKey(key);
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key)) << "closed twice";
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_SET_VALUE, &key));
    EXPECT_EQ(ERROR_SUCCESS, SetDword(key, "Allowed", 1));
    DWORD size = 0;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegQueryValueExA(key, "Allowed", nullptr, nullptr, nullptr, &size));
    RegCloseKey(key);
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExA(nullptr, "Allowed", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyExA(nullptr, "Software", 0, KEY_READ, &key));
}

TEST_F(Registry, QueryInfoCountsAndClasses)
{
    HKEY key;
    char className[] = "QorClass";
    ASSERT_EQ(ERROR_SUCCESS, Create(m_key, "Classy", key, nullptr, className));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, Create(m_key, "Longer Name", key));
    RegCloseKey(key);
    const BYTE thirteen[13] = {};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_key, "Name", 0, REG_BINARY, thirteen, sizeof thirteen));
    ASSERT_EQ(ERROR_SUCCESS, SetDword(m_key, "A much longer name", 1));
    DWORD subKeys = 0, longestKey = 0, longestClass = 0, values = 0, longestName = 0, longestData = 0;
    FILETIME written{};
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, &subKeys, &longestKey, &longestClass,
                                              &values, &longestName, &longestData, nullptr, &written));
    EXPECT_EQ(2u, subKeys);
    EXPECT_EQ(11u, longestKey);
    EXPECT_EQ(8u, longestClass);
    EXPECT_EQ(2u, values);
    EXPECT_EQ(18u, longestName);
    EXPECT_EQ(13u, longestData);
    EXPECT_NE(0u, written.dwHighDateTime);

    char name[32], classBuffer[32];
    DWORD nameSize = sizeof name, classSize = sizeof classBuffer;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumKeyExA(m_key, 0, name, &nameSize, nullptr, classBuffer, &classSize, nullptr));
    EXPECT_STREQ("Classy", name);
    EXPECT_STREQ("QorClass", classBuffer);
    EXPECT_EQ(8u, classSize);
}

// Four processes write 200 distinct values each into one key and keep rewriting one shared value.
TEST_F(Registry, SeveralProcessesWriteAtOnce)
{
    constexpr int kChildren = 4, kWrites = 200;
    char self[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(nullptr, self, sizeof self));
    std::string helper(self);
    helper = helper.substr(0, helper.find_last_of("/\\") + 1) + "qor_registry_writer";
#if defined(_WIN32)
    helper += ".exe";
#endif
    std::vector<std::thread> children;
    std::vector<int> exits(kChildren, -1);
    for (int i = 0; i < kChildren; ++i)
        children.emplace_back([&, i] {
            std::string command = "\"\"" + helper + "\" \"" + m_path + "\" " + std::to_string(i) + " " +
                                  std::to_string(kWrites) + "\"";
#if !defined(_WIN32)
            command = command.substr(1, command.size() - 2); // only cmd.exe wants the outer quotes
#endif
            exits[i] = std::system(command.c_str());
        });
    for (std::thread &child : children)
        child.join();
    for (int i = 0; i < kChildren; ++i)
        EXPECT_EQ(0, exits[i]) << "child " << i;
    DWORD values = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                                              nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(kChildren * kWrites), values);
    for (int i = 0; i < kChildren; ++i)
        for (int n = 0; n < kWrites; ++n) {
            std::string name = "c" + std::to_string(i) + "_" + std::to_string(n);
            DWORD value = 0, size = sizeof value;
            ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(m_key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size)) << name;
            ASSERT_EQ(static_cast<DWORD>(i << 16 | n), value) << name;
        }
}

#if !defined(_WIN32)
// The store behind the calls exists on POSIX only: its file, its refusal of foreign files, its faults.
TEST_F(Registry, PosixStoreFileRootsAndFaults)
{
    namespace fs = std::filesystem;
    EXPECT_TRUE(fs::exists(qor::test::PrivateFolderEnvironment::Folder() / "registry" / "HKEY_CURRENT_USER.db"));
    HKEY key;
    EXPECT_EQ(ERROR_CALL_NOT_IMPLEMENTED, RegOpenKeyExA(HKEY_PERFORMANCE_DATA, "Global", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyExA(HKEY_DYN_DATA, "Config", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegOpenKeyExA(m_key, "\\Lead", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegOpenKeyExA(m_key, "a\\\\b", 0, KEY_READ, &key)) << "an empty name";
    EXPECT_EQ(ERROR_INVALID_PARAMETER, SetDword(m_key, std::string(16384, 'v').c_str(), 1));
    EXPECT_EQ(ERROR_NOACCESS, RegSetValueExA(m_key, "x", 0, REG_BINARY, nullptr, 4));
    EXPECT_EQ(ERROR_CALL_NOT_IMPLEMENTED, RegCreateKeyExA(m_key, "v", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                                          nullptr, &key, nullptr));

    SetLastError(0xdeadbeef);
    QorInjectFault("RegSetValueExA", 2, ERROR_DISK_FULL);
    EXPECT_EQ(ERROR_SUCCESS, SetDword(m_key, "First", 1));
    EXPECT_EQ(ERROR_DISK_FULL, SetDword(m_key, "Second", 2));
    EXPECT_EQ(0xdeadbeefu, GetLastError()) << "registry calls leave the last error alone";
    DWORD size = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(m_key, "Second", nullptr, nullptr, nullptr, &size));
    QorInjectFault("RegOpenKeyExA", 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY, RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_READ, &key));
    EXPECT_EQ(nullptr, key);
}

TEST_F(Registry, PosixForeignDatabaseIsRefusedAndKept)
{
    namespace fs = std::filesystem;
    fs::path folder = qor::test::PrivateFolderEnvironment::Folder() / "foreign-registry";
    fs::create_directories(folder);
    const std::string junk(300, 'J');
    std::ofstream(folder / "HKEY_LOCAL_MACHINE.db", std::ios::binary) << junk;
    std::string previous = std::getenv("QOR_REGISTRY_DIR");
    qor::test::SetEnvironmentVariable("QOR_REGISTRY_DIR", folder.string().c_str());
    HKEY key;
    LSTATUS open = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key);
    LSTATUS create = Create(HKEY_LOCAL_MACHINE, "Software", key);
    qor::test::SetEnvironmentVariable("QOR_REGISTRY_DIR", previous.c_str());
    EXPECT_EQ(ERROR_BADDB, open);
    EXPECT_EQ(ERROR_BADDB, create);
    std::ifstream kept(folder / "HKEY_LOCAL_MACHINE.db", std::ios::binary);
    EXPECT_EQ(junk, std::string(std::istreambuf_iterator<char>(kept), {})) << "never overwritten";
}
#endif

} // namespace
