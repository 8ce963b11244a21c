// QorRegistry_test.cpp: CQorRegistry against the registry of the build (our POSIX store, or Wine's):
// paths and root names, the member rule of result codes, every value form bit for bit, copies with
// their own handles, enumeration and recursive deletion. Keys live under
// HKEY_CURRENT_USER\Software\QorUtilTests\<run> and are deleted at the end.
#include "QorError.h"
#include "QorRegistry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const HRESULT kSuccess = (HRESULT)0x00070000;
const HRESULT kNotFound = (HRESULT)0xC0070002;
const HRESULT kMoreData = (HRESULT)0xC00700EA;
const HRESULT kNoMoreItems = (HRESULT)0xC0070103;

// Shows the root-key table and the path splitter, which the class keeps protected.
class InspectedRegistry : public CQorRegistry {
public:
    using CQorRegistry::m_RegKeys;
    using CQorRegistry::RegistryBaseKey;
    HKEY Handle() const { return m_hKey; }
    REGSAM Access() const { return m_samDesired; }
};

class QorRegistryTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_strRoot = "HKEY_CURRENT_USER\\Software\\QorUtilTests\\run" + std::to_string(GetCurrentProcessId()) + "_" +
                    testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(m_key.Create(m_strRoot.c_str()), 0);
    }
    void TearDown() override
    {
        CQorRegistry cleaner;
        cleaner.RecurseDeleteKey(m_strRoot.c_str());
        // The parent goes only when no other test (in this or another process) still has keys there.
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QorUtilTests");
    }
    std::string Path(const char *sub) const { return m_strRoot + "\\" + sub; }

    // The stored bytes and type of a value, whatever form wrote it.
    std::string RawValue(const char *name, DWORD *type = nullptr)
    {
        unsigned char data[1024];
        char valueName[256];
        for (DWORD index = 0;; ++index) {
            DWORD nameSize = sizeof valueName, dataSize = sizeof data, valueType = 0;
            if (m_key.EnumValue(index, valueName, &nameSize, &valueType, data, &dataSize) < 0)
                return "<missing>";
            if (std::strcmp(valueName, name) == 0) {
                if (type)
                    *type = valueType;
                return std::string(reinterpret_cast<char *>(data), dataSize);
            }
        }
    }

    std::string m_strRoot;
    CQorRegistry m_key;
};

TEST_F(QorRegistryTest, FullPathsNeedAFullRootName)
{
    InspectedRegistry key;
    EXPECT_EQ(key.Open("HKEY_CURRENT_USER\\Software"), kSuccess);
    EXPECT_STREQ((const char *)key, "Software") << "the part behind the root name";
    EXPECT_EQ(key.Access(), (REGSAM)KEY_ALL_ACCESS);

    EXPECT_EQ(key.Open("HKCU\\Software", KEY_READ), QOR_E_REGISTRY_UNKNOWN_ROOT);
    EXPECT_EQ(key.Handle(), nullptr) << "a failed open leaves the object closed";
    EXPECT_STREQ((const char *)key, "");
    EXPECT_EQ(key.Create("hkey_current_user\\Software\\x"), QOR_E_REGISTRY_UNKNOWN_ROOT) << "names are case-sensitive";
    EXPECT_EQ(key.Open("HKEY_CURRENT_USER\\Software\\QorUtilTests\\no such key"), kNotFound);
    EXPECT_EQ(key.Handle(), nullptr);

    // The root alone: a handle to the root itself, with an empty name.
    EXPECT_EQ(key.Open("HKEY_CURRENT_USER", KEY_READ), kSuccess);
    EXPECT_NE(key.Handle(), nullptr);
    EXPECT_STREQ((const char *)key, "");
    char name[256];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(key.EnumKey(0, name, &nameSize), kSuccess) << "the current user's root has sub-keys";
    EXPECT_EQ(key.Close(), 0);
    EXPECT_EQ(key.Close(), 0) << "closing a closed object";
}

TEST_F(QorRegistryTest, RootTableAndPathSplitting)
{
    const struct {
        const char *name;
        HKEY root;
    } rows[] = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},   {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {"HKEY_USERS", HKEY_USERS},
        {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA}, {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
        {"HKEY_DYN_DATA", HKEY_DYN_DATA},
    };
    const BaseRegKeys *table = InspectedRegistry::m_RegKeys;
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        EXPECT_STREQ(table[i].pszKeyName, rows[i].name) << "row " << i;
        EXPECT_EQ(table[i].hRootKey, rows[i].root) << "row " << i;
    }
    EXPECT_EQ(table[7].pszKeyName, nullptr);
    EXPECT_EQ(table[7].hRootKey, nullptr);

    const char *rest = "unset";
    EXPECT_EQ(InspectedRegistry::RegistryBaseKey("HKEY_USERS\\.DEFAULT", &rest), HKEY_USERS);
    EXPECT_STREQ(rest, ".DEFAULT");
    EXPECT_EQ(InspectedRegistry::RegistryBaseKey("HKEY_CURRENT_CONFIG", &rest), HKEY_CURRENT_CONFIG);
    EXPECT_STREQ(rest, "") << "the root name alone";
    EXPECT_EQ(InspectedRegistry::RegistryBaseKey("HKEY_LOCAL_MACHINEX\\Software", &rest), HKEY_LOCAL_MACHINE);
    EXPECT_STREQ(rest, "\\Software") << "the character after the name is skipped untested";
    EXPECT_EQ(InspectedRegistry::RegistryBaseKey("HKLM\\Software", &rest), nullptr);
    EXPECT_EQ(rest, nullptr);
}

TEST_F(QorRegistryTest, CreateAnswersZeroAndTheDisposition)
{
    CQorRegistry key;
    DWORD disposition = 0;
    EXPECT_EQ(key.Create(Path("a\\b").c_str(), nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &disposition), 0);
    EXPECT_EQ(disposition, (DWORD)REG_CREATED_NEW_KEY);
    EXPECT_EQ(key.Create(Path("a\\b").c_str(), nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &disposition), 0);
    EXPECT_EQ(disposition, (DWORD)REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(std::string((const char *)key), Path("a\\b").substr(std::strlen("HKEY_CURRENT_USER\\")));
}

TEST_F(QorRegistryTest, NumbersAndTheirFailureOutputs)
{
    EXPECT_EQ(m_key.SetValue("minus", -1L), kSuccess);
    EXPECT_EQ(m_key.SetValue("big", 0xFFFFFFFFUL), kSuccess);
    EXPECT_EQ(m_key.SetValue("int", 42), kSuccess);
    DWORD type = 0;
    EXPECT_EQ(RawValue("minus", &type), std::string("\xFF\xFF\xFF\xFF", 4)) << "4 bytes on every build";
    EXPECT_EQ(type, (DWORD)REG_DWORD);

    long asLong = 0;
    unsigned long asUnsigned = 0;
    int asInt = 0;
    EXPECT_EQ(m_key.GetValue("minus", asLong), kSuccess);
    EXPECT_EQ(asLong, -1L);
    EXPECT_EQ(m_key.GetValue("big", asUnsigned), kSuccess);
    EXPECT_EQ(asUnsigned, 0xFFFFFFFFUL);
    EXPECT_EQ(m_key.GetValue("int", asInt), kSuccess);
    EXPECT_EQ(asInt, 42);

    // A missing value: long keeps its value, int and unsigned long become 0.
    asLong = 7, asInt = 7, asUnsigned = 7;
    EXPECT_EQ(m_key.GetValue("missing", asLong), kNotFound);
    EXPECT_EQ(asLong, 7L);
    EXPECT_EQ(m_key.GetValue("missing", asInt), kNotFound);
    EXPECT_EQ(asInt, 0);
    EXPECT_EQ(m_key.GetValue("missing", asUnsigned), kNotFound);
    EXPECT_EQ(asUnsigned, 0UL);
    EXPECT_EQ(m_key.DeleteValue("int"), kSuccess);
    EXPECT_EQ(m_key.DeleteValue("int"), kNotFound);
}

TEST_F(QorRegistryTest, TextsUpTo511Characters)
{
    CQorString text = "stale";
    EXPECT_EQ(m_key.GetValue("missing", text), kNotFound);
    EXPECT_STREQ(text, "");

    const std::string longest(511, 'a'), tooLong(512, 'b'), sixHundred(600, 'c');
    EXPECT_EQ(m_key.SetValue("longest", longest.c_str()), kSuccess);
    EXPECT_EQ(m_key.SetValue("tooLong", tooLong.c_str()), kSuccess);
    EXPECT_EQ(m_key.SetValue("far", sixHundred.c_str()), kSuccess);
    EXPECT_EQ(m_key.GetValue("longest", text), kSuccess);
    EXPECT_EQ(text.GetLength(), 511);
    text = "stale";
    EXPECT_EQ(m_key.GetValue("tooLong", text), kMoreData);
    EXPECT_STREQ(text, "");
    text = "stale";
    EXPECT_EQ(m_key.GetValue("far", text), kMoreData);
    EXPECT_STREQ(text, "");

    DWORD type = 0;
    EXPECT_EQ(m_key.SetValue("short", "abc"), kSuccess);
    EXPECT_EQ(RawValue("short", &type), std::string("abc", 4)) << "the terminator is stored";
    EXPECT_EQ(type, (DWORD)REG_SZ);
}

TEST_F(QorRegistryTest, DoublesAndBytesBitForBit)
{
    const double values[] = {3.141592653589793, -0.0, 1e-310, std::nan("0x5")};
    for (double value : values) {
        ASSERT_EQ(m_key.SetValue("d", value), kSuccess);
        DWORD type = 0;
        EXPECT_EQ(RawValue("d", &type), std::string(reinterpret_cast<const char *>(&value), 8));
        EXPECT_EQ(type, (DWORD)REG_BINARY);
        double back = 1.0;
        EXPECT_EQ(m_key.GetValue("d", back), kSuccess);
        EXPECT_EQ(std::memcmp(&back, &value, sizeof back), 0) << value;
    }
    double missing = 1.0;
    EXPECT_EQ(m_key.GetValue("missing", missing), kNotFound);
    EXPECT_EQ(missing, 0.0);

    unsigned char bytes[] = {0, 1, 2, 0xFF, 0};
    EXPECT_EQ(m_key.SetValue("b", bytes, (unsigned long)sizeof bytes), kSuccess);
    unsigned char small[3] = {};
    unsigned char *buffer = small;
    unsigned long size = sizeof small;
    EXPECT_EQ(m_key.GetValue("b", buffer, size), kMoreData);
    EXPECT_EQ(size, 5UL) << "the size needed, also when the buffer is too small";
    unsigned char big[8] = {};
    buffer = big;
    size = sizeof big;
    EXPECT_EQ(m_key.GetValue("b", buffer, size), kSuccess);
    EXPECT_EQ(size, 5UL);
    EXPECT_EQ(std::memcmp(big, bytes, 5), 0);
}

TEST_F(QorRegistryTest, GuidsAsBracedText)
{
    const GUID guid = {0x0123ABCD, 0x4567, 0x89EF, {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}};
    EXPECT_EQ(m_key.SetValue("g", guid), kSuccess);
    DWORD type = 0;
    EXPECT_EQ(RawValue("g", &type), std::string("{0123ABCD-4567-89EF-FEDC-BA9876543210}", 39));
    EXPECT_EQ(type, (DWORD)REG_SZ);
    GUID back = {};
    EXPECT_EQ(m_key.GetValue("g", back), S_OK);
    EXPECT_EQ(std::memcmp(&back, &guid, sizeof guid), 0);

    // Lower case parses too; a longer text or a malformed one is refused, the GUID unchanged.
    EXPECT_EQ(m_key.SetValue("lower", "{0123abcd-4567-89ef-fedc-ba9876543210}"), kSuccess);
    back = GUID{};
    EXPECT_EQ(m_key.GetValue("lower", back), S_OK);
    EXPECT_EQ(std::memcmp(&back, &guid, sizeof guid), 0);
    back = guid;
    EXPECT_EQ(m_key.SetValue("long", (std::string("{0123ABCD-4567-89EF-FEDC-BA9876543210}") + std::string(300, 'x')).c_str()),
              kSuccess);
    EXPECT_EQ(m_key.GetValue("long", back), CO_E_CLASSSTRING);
    EXPECT_EQ(std::memcmp(&back, &guid, sizeof guid), 0);
    EXPECT_EQ(m_key.SetValue("bad", "{0123ABCD-4567-89EF-FEDC-BA987654321G}"), kSuccess);
    EXPECT_EQ(m_key.GetValue("bad", back), CO_E_CLASSSTRING);
    EXPECT_EQ(m_key.GetValue("missing", back), kNotFound);
}

TEST_F(QorRegistryTest, MultiStringsAreRealLists)
{
    char alpha[] = "alpha", beta[] = "beta", empty[] = "";
    char *list[] = {alpha, beta, nullptr};
    EXPECT_EQ(m_key.SetValue("m", list), kSuccess);
    DWORD type = 0;
    EXPECT_EQ(RawValue("m", &type), std::string("alpha\0beta\0\0", 12));
    EXPECT_EQ(type, (DWORD)REG_MULTI_SZ);

    char **back = nullptr;
    EXPECT_EQ(m_key.GetValue("m", back), kSuccess);
    ASSERT_NE(back, nullptr);
    EXPECT_STREQ(back[0], "alpha");
    EXPECT_STREQ(back[1], "beta");
    EXPECT_EQ(back[2], nullptr);
    std::free(back); // one block

    char *none[] = {nullptr};
    EXPECT_EQ(m_key.SetValue("empty", none), kSuccess);
    EXPECT_EQ(RawValue("empty"), std::string("\0", 1));
    EXPECT_EQ(m_key.GetValue("empty", back), kSuccess);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back[0], nullptr);
    std::free(back);

    // An unterminated list still reads whole.
    unsigned char raw[] = {'x', 0, 'y', 'z'};
    EXPECT_EQ(m_key.SetValue("raw", raw, (unsigned long)sizeof raw), kSuccess);
    EXPECT_EQ(m_key.GetValue("raw", back), kSuccess);
    ASSERT_NE(back, nullptr);
    EXPECT_STREQ(back[0], "x");
    EXPECT_STREQ(back[1], "yz");
    EXPECT_EQ(back[2], nullptr);
    std::free(back);

    char *withEmpty[] = {alpha, empty, beta, nullptr};
    EXPECT_EQ(m_key.SetValue("bad", withEmpty), E_INVALIDARG);
    EXPECT_EQ(m_key.SetValue("bad", (char **)nullptr), E_INVALIDARG);
    EXPECT_EQ(RawValue("bad"), "<missing>");
    back = list;
    EXPECT_EQ(m_key.GetValue("missing", back), kNotFound);
    EXPECT_EQ(back, nullptr);
}

TEST_F(QorRegistryTest, CopiesHoldTheirOwnHandles)
{
    ASSERT_EQ(m_key.SetValue("v", "shared key"), kSuccess);
    InspectedRegistry original;
    ASSERT_EQ(original.Open(m_strRoot.c_str(), KEY_READ), kSuccess);

    CQorRegistry copy(original);
    InspectedRegistry assigned;
    static_cast<CQorRegistry &>(assigned) = original;
    EXPECT_NE(assigned.Handle(), original.Handle());
    EXPECT_STREQ((const char *)copy, (const char *)original);
    EXPECT_EQ(assigned.Access(), (REGSAM)KEY_READ);
    EXPECT_EQ(original.Close(), 0);
    CQorString text;
    EXPECT_EQ(copy.GetValue("v", text), kSuccess);
    EXPECT_STREQ(text, "shared key");
    EXPECT_EQ(assigned.GetValue("v", text), kSuccess);

    CQorRegistry &self = assigned;
    self = assigned;
    EXPECT_NE(assigned.Handle(), nullptr) << "self-assignment keeps the object open";
    EXPECT_EQ(assigned.GetValue("v", text), kSuccess);

    InspectedRegistry fromClosed;
    static_cast<CQorRegistry &>(fromClosed) = original; // reopening a null handle fails
    EXPECT_EQ(fromClosed.Handle(), nullptr);
    EXPECT_STREQ((const char *)fromClosed, "");
    EXPECT_LT(fromClosed.GetValue("v", text), 0) << "a closed object passes a null handle";

    InspectedRegistry fromHandle;
    static_cast<CQorRegistry &>(fromHandle) = assigned.Handle();
    EXPECT_NE(fromHandle.Handle(), nullptr);
    EXPECT_NE(fromHandle.Handle(), assigned.Handle());
    EXPECT_STREQ((const char *)fromHandle, "");
    EXPECT_EQ(fromHandle.GetValue("v", text), kSuccess);
}

TEST_F(QorRegistryTest, EnumerationEndsWithNoMoreItems)
{
    CQorRegistry child;
    ASSERT_EQ(child.Create(Path("child").c_str()), 0);
    ASSERT_EQ(m_key.SetValue("first", 1), kSuccess);
    char name[256];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(m_key.EnumKey(0, name, &nameSize), kSuccess);
    EXPECT_STREQ(name, "child");
    EXPECT_EQ(nameSize, 5u);
    nameSize = sizeof name;
    EXPECT_EQ(m_key.EnumKey(1, name, &nameSize), kNoMoreItems);
    nameSize = sizeof name;
    DWORD type = 0;
    EXPECT_EQ(m_key.EnumValue(0, name, &nameSize, &type), kSuccess);
    EXPECT_STREQ(name, "first");
    EXPECT_EQ(type, (DWORD)REG_DWORD);
    nameSize = sizeof name;
    EXPECT_EQ(m_key.EnumValue(1, name, &nameSize), kNoMoreItems);
}

TEST_F(QorRegistryTest, RecursiveDeletionLeavesTheParentOpen)
{
    for (const char *sub : {"tree\\a\\deep\\deeper", "tree\\a\\other", "tree\\b"}) {
        CQorRegistry key;
        ASSERT_EQ(key.Create(Path(sub).c_str()), 0) << sub;
        ASSERT_EQ(key.SetValue("v", sub), kSuccess);
    }
    InspectedRegistry deleter;
    EXPECT_EQ(deleter.RecurseDeleteKey(Path("tree").c_str()), kSuccess);
    EXPECT_NE(deleter.Handle(), nullptr);
    EXPECT_EQ(std::string((const char *)deleter), m_strRoot.substr(std::strlen("HKEY_CURRENT_USER\\")));
    CQorRegistry probe;
    EXPECT_EQ(probe.Open(Path("tree").c_str()), kNotFound);
    EXPECT_EQ(deleter.RecurseDeleteSubKey("tree"), kNotFound);

    EXPECT_EQ(deleter.RecurseDeleteKey("no separator"), E_FAIL);
    EXPECT_EQ(deleter.Handle(), nullptr) << "closed before the path is looked at";

    ASSERT_EQ(probe.Create(Path("x\\y").c_str()), 0);
    probe.Close();
    ASSERT_EQ(deleter.Open(m_strRoot.c_str()), kSuccess);
    EXPECT_EQ(deleter.RecurseDeleteSubKey("x"), kSuccess);
    EXPECT_EQ(probe.Open(Path("x").c_str()), kNotFound);
}

#if !defined(_WIN32)
// POSIX callers may write key paths with '/': the deletion's split accepts it there.
TEST_F(QorRegistryTest, PosixPathsSplitAtEitherSeparator)
{
    CQorRegistry key;
    ASSERT_EQ(key.Create(Path("slash\\inner").c_str()), 0);
    key.Close();
    InspectedRegistry deleter;
    EXPECT_EQ(deleter.RecurseDeleteKey((m_strRoot + "/slash").c_str()), kSuccess);
    EXPECT_EQ(key.Open(Path("slash").c_str()), kNotFound);
}
#endif

} // namespace
