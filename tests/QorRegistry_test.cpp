// QorRegistry_test.cpp: CQorRegistry on the build's registry: root names, member result codes, every value form
// bit for bit with its failure output, copies, recursive deletion; keys below HKCU\Software\QorUtilTests\<run>.
#include "QorError.h"
#include "QorRegistry.h"

#include "QorKnownDifference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const HRESULT kSuccess = QorHResultFromWin32Member(ERROR_SUCCESS);
const HRESULT kNotFound = QorHResultFromWin32Member(ERROR_FILE_NOT_FOUND);
const HRESULT kMoreData = QorHResultFromWin32Member(ERROR_MORE_DATA);

// Shows what the class keeps protected.
class InspectedRegistry : public CQorRegistry {
public:
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
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QorUtilTests"); // stays while other tests' keys remain
    }
    std::string Path(const char *sub) const { return m_strRoot + "\\" + sub; }

    // The stored type and bytes of a value, whatever form wrote it: "<type>:<bytes>", read through the
    // platform's own HKEY_CURRENT_USER.
    std::string Raw(const char *name)
    {
        unsigned char data[1024];
        DWORD type = 0, size = sizeof data;
        HKEY key = nullptr;
        LSTATUS status = RegOpenKeyExA(HKEY_CURRENT_USER, m_strRoot.c_str() + std::strlen("HKEY_CURRENT_USER\\"), 0,
                                       KEY_READ, &key);
        if (status == ERROR_SUCCESS)
            status = RegQueryValueExA(key, name, nullptr, &type, data, &size);
        RegCloseKey(key);
        return status != ERROR_SUCCESS ? "<missing>" : std::to_string(type) + ":" + std::string(reinterpret_cast<char *>(data), size);
    }

    std::string m_strRoot;
    InspectedRegistry m_key;
};

TEST_F(QorRegistryTest, FullPathsNeedAFullRootName)
{
    InspectedRegistry key;
    EXPECT_TRUE(key.Open("HKEY_CURRENT_USER\\Software") == kSuccess && key.Access() == (REGSAM)KEY_ALL_ACCESS);
    EXPECT_STREQ((const char *)key, "Software") << "the part behind the root name";

    EXPECT_EQ(key.Open("HKCU\\Software", KEY_READ), QOR_E_REGISTRY_UNKNOWN_ROOT);
    EXPECT_TRUE(key.Handle() == nullptr && std::string((const char *)key).empty()) << "a failed open leaves it closed";
    EXPECT_EQ(key.Create("hkey_current_user\\Software\\x"), QOR_E_REGISTRY_UNKNOWN_ROOT) << "names are case-sensitive";
    EXPECT_EQ(key.Open("HKEY_CURRENT_USER\\Software\\QorUtilTests\\no such key"), kNotFound);
    DWORD disposition = 0;
    for (DWORD expected : {REG_CREATED_NEW_KEY, REG_OPENED_EXISTING_KEY}) {
        EXPECT_EQ(key.Create(Path("a\\b").c_str(), nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &disposition), 0);
        EXPECT_EQ(disposition, expected);
    }
    EXPECT_EQ(std::string((const char *)key), Path("a\\b").substr(std::strlen("HKEY_CURRENT_USER\\")));

    // The root alone: a handle to the root itself, with an empty name.
    EXPECT_TRUE(key.Open("HKEY_CURRENT_USER", KEY_READ) == kSuccess && std::string((const char *)key).empty());
    char name[256];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(key.EnumKey(0, name, &nameSize), kSuccess) << "the current user's root has sub-keys";
    EXPECT_EQ(key.Close(), 0);

    // The splitter's quirk: the character after the root name goes untested.
    const char *rest = "unset";
    EXPECT_TRUE(InspectedRegistry::RegistryBaseKey("HKEY_LOCAL_MACHINEX\\Software", &rest) == HKEY_LOCAL_MACHINE &&
                std::string(rest) == "\\Software");
    EXPECT_EQ(InspectedRegistry::RegistryBaseKey("HKLM\\Software", &rest), nullptr);
}

TEST_F(QorRegistryTest, NumbersAndTextsWithTheirFailureOutputs)
{
    EXPECT_TRUE(m_key.SetValue("minus", -1L) == kSuccess && m_key.SetValue("int", 42) == kSuccess);
    EXPECT_EQ(Raw("minus"), std::string("4:\xFF\xFF\xFF\xFF", 6)) << "REG_DWORD, 4 bytes on every build";
    long asLong = 0;
    unsigned long asUnsigned = 0;
    int asInt = 0;
    EXPECT_EQ(std::vector<HRESULT>(3, kSuccess), (std::vector<HRESULT>{m_key.GetValue("minus", asLong),
              m_key.GetValue("minus", asUnsigned), m_key.GetValue("int", asInt)}));
    EXPECT_TRUE(asLong == -1L && asUnsigned == 0xFFFFFFFFUL && asInt == 42);
    // A missing value: long keeps its value, int and unsigned long become 0.
    asLong = 7, asInt = 7, asUnsigned = 7;
    EXPECT_EQ(std::vector<HRESULT>(3, kNotFound), (std::vector<HRESULT>{m_key.GetValue("missing", asLong),
              m_key.GetValue("missing", asInt), m_key.GetValue("missing", asUnsigned)}));
    EXPECT_EQ(std::vector<long>({asLong, asInt, (long)asUnsigned}), std::vector<long>({7, 0, 0}));
    EXPECT_EQ((std::vector<HRESULT>{kSuccess, kNotFound}), (std::vector<HRESULT>{m_key.DeleteValue("int"), m_key.DeleteValue("int")}));

    // Texts of up to 511 characters; a longer one reads as 0xC00700EA and an empty text.
    EXPECT_EQ(m_key.SetValue("short", "abc"), kSuccess);
    EXPECT_EQ(Raw("short"), std::string("1:abc", 6)) << "REG_SZ with its terminator";
    CQorString text = "stale";
    EXPECT_TRUE(m_key.GetValue("missing", text) == kNotFound && text.GetLength() == 0);
    for (int length : {511, 512, 600}) {
        EXPECT_EQ(m_key.SetValue("t", std::string(length, 'a').c_str()), kSuccess);
        text = "stale";
        EXPECT_EQ(m_key.GetValue("t", text), length == 511 ? kSuccess : kMoreData) << length;
        EXPECT_EQ(text.GetLength(), length == 511 ? 511 : 0) << length;
    }
}

TEST_F(QorRegistryTest, DoublesBytesAndGuidsBitForBit)
{
    for (double value : {3.141592653589793, -0.0, 1e-310, std::nan("0x5")}) {
        ASSERT_EQ(m_key.SetValue("d", value), kSuccess);
        EXPECT_EQ(Raw("d"), "3:" + std::string(reinterpret_cast<const char *>(&value), 8)) << "REG_BINARY";
        double back = 1.0;
        EXPECT_TRUE(m_key.GetValue("d", back) == kSuccess && std::memcmp(&back, &value, sizeof back) == 0) << value;
    }
    double missing = 1.0;
    EXPECT_TRUE(m_key.GetValue("missing", missing) == kNotFound && missing == 0.0);

    unsigned char bytes[] = {0, 1, 2, 0xFF, 0}, small[3] = {}, *buffer = small;
    EXPECT_EQ(m_key.SetValue("b", bytes, (unsigned long)sizeof bytes), kSuccess);
    unsigned long size = sizeof small;
    EXPECT_TRUE(m_key.GetValue("b", buffer, size) == kMoreData && size == 5UL) << "the size needed, also when too small";

    const GUID guid = {0x0123ABCD, 0x4567, 0x89EF, {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}};
    EXPECT_EQ(m_key.SetValue("g", guid), kSuccess);
    EXPECT_EQ(Raw("g"), std::string("1:{0123ABCD-4567-89EF-FEDC-BA9876543210}", 41));
    // Braced text in either case parses; a longer text is refused with the GUID unchanged, a malformed one by the parser.
    const std::string longer = std::string("{0123ABCD-4567-89EF-FEDC-BA9876543210}") + std::string(300, 'x');
    const struct { const char *text; HRESULT result; bool guidAfter; /* the GUID holds `guid` afterwards */ } rows[] = {{"{0123ABCD-4567-89EF-FEDC-BA9876543210}", S_OK, true},
                {"{0123abcd-4567-89ef-fedc-ba9876543210}", S_OK, true},
                {longer.c_str(), CO_E_CLASSSTRING, true},
                {"{0123ABCD-4567-89EF-FEDC-BA987654321G}", CO_E_CLASSSTRING, false}};
    for (const auto &row : rows) {
        EXPECT_EQ(m_key.SetValue("text", row.text), kSuccess);
        GUID back = row.result == S_OK ? GUID{} : guid;
        EXPECT_EQ(m_key.GetValue("text", back), row.result) << row.text;
        EXPECT_TRUE(!row.guidAfter || std::memcmp(&back, &guid, sizeof guid) == 0) << row.text;
    }
    GUID back{};
    EXPECT_EQ(m_key.GetValue("missing", back), kNotFound);
}

TEST_F(QorRegistryTest, MultiStringsAreRealLists)
{
    char alpha[] = "alpha", beta[] = "beta", empty[] = "";
    char *list[] = {alpha, beta, nullptr}, *none[] = {nullptr}, *withEmpty[] = {alpha, empty, beta, nullptr};
    unsigned char unterminated[] = {'x', 0, 'y', 'z'};
    EXPECT_EQ(std::vector<HRESULT>(3, kSuccess), (std::vector<HRESULT>{m_key.SetValue("m", list),
              m_key.SetValue("empty", none), m_key.SetValue("raw", unterminated, 4UL)}));
    EXPECT_EQ(Raw("m") + "|" + Raw("empty"), std::string("7:alpha\0beta\0\0|7:\0", 18));
    const struct { const char *name; std::vector<std::string> items; } rows[] = {{"m", {"alpha", "beta"}}, {"empty", {}}, {"raw", {"x", "yz"}}};
    for (const auto &row : rows) {
        char **back = nullptr;
        ASSERT_TRUE(m_key.GetValue(row.name, back) == kSuccess && back != nullptr) << row.name;
        std::vector<std::string> items;
        for (char **item = back; *item != nullptr; ++item)
            items.push_back(*item);
        EXPECT_EQ(items, row.items) << row.name;
        std::free(back); // one block
    }
    EXPECT_TRUE(m_key.SetValue("bad", withEmpty) == E_INVALIDARG && m_key.SetValue("bad", (char **)nullptr) == E_INVALIDARG);
    EXPECT_EQ(Raw("bad"), "<missing>");
    char **back = list;
    EXPECT_TRUE(m_key.GetValue("missing", back) == kNotFound && back == nullptr);
}

TEST_F(QorRegistryTest, CopiesHoldTheirOwnHandles)
{
    ASSERT_EQ(m_key.SetValue("v", "shared key"), kSuccess);
    InspectedRegistry original;
    ASSERT_EQ(original.Open(m_strRoot.c_str(), KEY_READ), kSuccess);
    CQorRegistry copy(original);
    InspectedRegistry assigned;
    static_cast<CQorRegistry &>(assigned) = original;
    EXPECT_TRUE(assigned.Handle() != original.Handle() && assigned.Access() == (REGSAM)KEY_READ);
    EXPECT_STREQ((const char *)copy, (const char *)original);
    EXPECT_EQ(original.Close(), 0);
    CQorString text;
    EXPECT_TRUE(copy.GetValue("v", text) == kSuccess && std::string(text) == "shared key");

    CQorRegistry &self = assigned;
    self = assigned;
    EXPECT_EQ(assigned.GetValue("v", text), kSuccess) << "self-assignment keeps the object open";

    InspectedRegistry fromClosed;
    static_cast<CQorRegistry &>(fromClosed) = original; // reopening a null handle fails
    EXPECT_EQ(fromClosed.Handle(), nullptr);
    EXPECT_LT(fromClosed.GetValue("v", text), 0) << "a closed object passes a null handle";

    InspectedRegistry fromHandle;
    static_cast<CQorRegistry &>(fromHandle) = assigned.Handle();
    EXPECT_TRUE(fromHandle.Handle() != assigned.Handle() && std::string((const char *)fromHandle).empty());
    EXPECT_EQ(fromHandle.GetValue("v", text), kSuccess);
}

TEST_F(QorRegistryTest, RecursiveDeletionLeavesTheParentOpen)
{
    std::string deep = "tree\\a";
    for (int level = 0; level < 80; ++level) // as deep as one ANSI call's path allows on Windows
        deep += "\\d";
    for (const std::string &sub : {deep, std::string("tree\\a\\other"), std::string("tree\\b")}) {
        CQorRegistry key;
        ASSERT_TRUE(key.Create(Path(sub.c_str()).c_str()) == 0 && key.SetValue("v", sub.c_str()) == kSuccess) << sub;
    }
    InspectedRegistry deleter;
    EXPECT_EQ(deleter.RecurseDeleteKey(Path("tree").c_str()), kSuccess);
    EXPECT_EQ(std::string((const char *)deleter), m_strRoot.substr(std::strlen("HKEY_CURRENT_USER\\")));
    CQorRegistry probe;
    EXPECT_TRUE(probe.Open(Path("tree").c_str()) == kNotFound && deleter.RecurseDeleteSubKey("tree") == kNotFound);
    char name[256];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(deleter.EnumKey(0, name, &nameSize), QorHResultFromWin32Member(ERROR_NO_MORE_ITEMS));

    EXPECT_TRUE(deleter.RecurseDeleteKey("no separator") == E_FAIL && deleter.Handle() == nullptr) << "closed first";

    QOR_POSIX_ONLY("POSIX callers may write key paths with '/', which the deletion's split accepts there");
    ASSERT_EQ(probe.Create(Path("slash\\inner").c_str()), 0);
    probe.Close();
    EXPECT_EQ(deleter.RecurseDeleteKey((m_strRoot + "/slash").c_str()), kSuccess);
    EXPECT_EQ(probe.Open(Path("slash").c_str()), kNotFound);
}

} // namespace
