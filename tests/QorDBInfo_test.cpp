// QorDBInfo_test.cpp: how the family's locations are worked out with and without each registry key
// and the INI file, and the INI's backup counters. The record is filled again in each test from the
// test's own registry and folder; the family's keys that a test writes are deleted at its end.
#include "QorDBInfo.h"
#include "QorRegistry.h"

#include "QorFamilyKeys.h"
#include "QorTestEnvironment.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

const char kCommon[] = "HKEY_LOCAL_MACHINE\\Software\\Tolmar Technology\\Common";
const char kUserCommon[] = "HKEY_CURRENT_USER\\Software\\Tolmar Technology\\Common";
const char kFind[] = "HKEY_LOCAL_MACHINE\\Software\\Tolmar Technology\\Find";
const char kMoonlane[] = "HKEY_LOCAL_MACHINE\\Software\\Tolmar Technology\\Moonlane";

#if defined(_WIN32)
const char kSeparator[] = "\\";
#else
const char kSeparator[] = "/";
#endif

// A record filled again from the current registry and files.
class FreshDBInfo : public CQorDBInfoData {
public:
    using CQorDBInfoData::ReadInfo;
};

// Points g_dbInfo at another record for the duration of a test.
class GlobalRecordSwap {
public:
    explicit GlobalRecordSwap(const CQorDBInfoData &record) : m_saved(g_dbInfo) { g_dbInfo = record; }
    ~GlobalRecordSwap() { g_dbInfo = m_saved; }

private:
    CQorDBInfoData m_saved;
};

std::string ProgramFolder()
{
    char path[2048] = {};
    std::string program(path, GetModuleFileNameA(nullptr, path, sizeof path));
    return program.substr(0, program.find_last_of("\\/") + 1);
}

std::string DefaultDatabaseFolder()
{
#if defined(_WIN32)
    return "C:\\Z4DB";
#else
    return (qor::test::PrivateFolderEnvironment::Folder() / "data" / "Z4DB").string(); // XDG_DATA_HOME/Z4DB
#endif
}

std::string TempFolder()
{
    char path[MAX_PATH + 1] = {};
    return std::string(path, GetTempPathA(sizeof path, path)) + "AER19UB";
}

class QorDBInfoTest : public qor::test::FamilyKeysTest {
protected:
    QorDBInfoTest() : FamilyKeysTest({kCommon, kUserCommon, kFind, kMoonlane}) {}
    void SetUp() override
    {
        FamilyKeysTest::SetUp();
        std::filesystem::remove_all(m_strFolder); // no INI file of an earlier test
        std::filesystem::create_directories(m_strFolder);
    }
    static void Write(const char *key, const char *name, const char *value) { SetKeyValue(key, name, value); }

    const std::string m_strFolder = qor::test::PathOf("db");
};

TEST_F(QorDBInfoTest, WithoutAnyKeyEverythingFallsBack)
{
    FreshDBInfo info;
    const std::string program = ProgramFolder();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(info.m_strCommonPath.GetString(), program);
    EXPECT_EQ(info.m_strFindPath.GetString(), program);
    EXPECT_EQ(info.m_strInstallPath.GetString(), program);
    EXPECT_EQ(info.m_bHasMoonlane, 0);
    EXPECT_EQ(info.m_strDBPath.GetString(), DefaultDatabaseFolder());
    EXPECT_EQ(info.m_strINIPath.GetString(), DefaultDatabaseFolder() + kSeparator + "QorLocat.ini");
    EXPECT_EQ(info.m_strTempPath.GetString(), TempFolder());
    EXPECT_STREQ(info.m_strLocalDBName, "RaviDozLocalDB");
    EXPECT_EQ(info.ReadInfo(), S_OK);
}

TEST_F(QorDBInfoTest, EachKeyTakesItsPlace)
{
    Write(kCommon, "Path", "common-folder");
    Write(kUserCommon, "DataPath", m_strFolder.c_str());
    {
        FreshDBInfo info;
        EXPECT_STREQ(info.m_strCommonPath, "common-folder");
        EXPECT_STREQ(info.m_strFindPath, "common-folder") << "the find path falls back to the common path";
        EXPECT_STREQ(info.m_strInstallPath, "common-folder");
        EXPECT_EQ(info.m_strDBPath.GetString(), m_strFolder);
        EXPECT_EQ(info.m_strINIPath.GetString(), m_strFolder + kSeparator + "QorLocat.ini");
    }
    Write(kFind, "Path", "find-folder");
    Write(kMoonlane, nullptr, nullptr); // the key without its value
    {
        FreshDBInfo info;
        EXPECT_STREQ(info.m_strFindPath, "find-folder");
        EXPECT_STREQ(info.m_strInstallPath, "find-folder");
        EXPECT_EQ(info.m_bHasMoonlane, 0) << "a Moonlane key without Path";
    }
    Write(kMoonlane, "Path", "moonlane-folder");
    Write(kUserCommon, "DataPath", "");
    {
        FreshDBInfo info;
        EXPECT_STREQ(info.m_strInstallPath, "moonlane-folder");
        EXPECT_EQ(info.m_bHasMoonlane, 1);
        EXPECT_EQ(info.m_strDBPath.GetString(), DefaultDatabaseFolder()) << "an empty DataPath";
    }
    Write(kCommon, "Path", std::string(512, 'x').c_str());
    {
        FreshDBInfo info;
        EXPECT_EQ(info.m_strCommonPath.GetString(), ProgramFolder()) << "a value too long to read counts as missing";
    }
}

TEST_F(QorDBInfoTest, LocalDatabaseNameAndBackupCountersLiveInTheINIFile)
{
    Write(kUserCommon, "DataPath", m_strFolder.c_str());
    FreshDBInfo info;
    GlobalRecordSwap swap(info);
    CQorDBInfo dbInfo;
    long nextRecord = -1, nextEntity = -1;
    EXPECT_EQ(dbInfo.ReadBackupRaviDozInfo(nextRecord, nextEntity), S_OK);
    EXPECT_EQ(nextRecord, 0L) << "without the INI file";
    EXPECT_EQ(nextEntity, 0L);

    EXPECT_EQ(dbInfo.WriteBackupRaviDozInfo(12, 34), S_OK);
    const std::string text = qor::test::ReadBytes(CQorDBInfo::GetINIPath());
    EXPECT_NE(text.find("[DBBackup]"), std::string::npos) << text;
    EXPECT_NE(text.find("NextRecord=12"), std::string::npos) << text;
    EXPECT_NE(text.find("NextEntityRecord=34"), std::string::npos) << text;
    EXPECT_EQ(dbInfo.ReadBackupRaviDozInfo(nextRecord, nextEntity), S_OK);
    EXPECT_EQ(nextRecord, 12L);
    EXPECT_EQ(nextEntity, 34L);

    EXPECT_TRUE(WritePrivateProfileStringA("Database Location", "BaseName", "OtherDB", CQorDBInfo::GetINIPath()));
    EXPECT_STREQ(CQorDBInfo::GetLocalDBName(), "RaviDozLocalDB") << "read once, at the fill";
    FreshDBInfo again;
    EXPECT_STREQ(again.m_strLocalDBName, "OtherDB");

    // The getters read the global record.
    EXPECT_STREQ(CQorDBInfo::GetDBPath(), info.m_strDBPath);
    EXPECT_STREQ(CQorDBInfo::GetCommonPath(), info.m_strCommonPath);
    EXPECT_STREQ(CQorDBInfo::GetFindPath(), info.m_strFindPath);
    EXPECT_STREQ(CQorDBInfo::GetInstallPath(), info.m_strInstallPath);
    EXPECT_STREQ(CQorDBInfo::GetTempPath(), info.m_strTempPath);
    EXPECT_EQ(CQorDBInfo::HasMoonlane(), 0);

    // A database folder that does not exist cannot take the file.
    Write(kUserCommon, "DataPath", (m_strFolder + kSeparator + "missing").c_str());
    FreshDBInfo missing;
    GlobalRecordSwap swapMissing(missing);
    EXPECT_EQ(dbInfo.WriteBackupRaviDozInfo(1, 2), E_FAIL);
}

TEST(QorDBInfoGlobal, IsFilledAtLoad)
{
    // Whatever the machine holds, the fill leaves no location empty.
    EXPECT_STRNE(CQorDBInfo::GetCommonPath(), "");
    EXPECT_STRNE(CQorDBInfo::GetDBPath(), "");
    EXPECT_STRNE(CQorDBInfo::GetINIPath(), "");
    EXPECT_STRNE(CQorDBInfo::GetLocalDBName(), "");
    const std::string temp = CQorDBInfo::GetTempPath();
    EXPECT_EQ(temp.substr(temp.size() - 8), std::string(kSeparator) + "AER19UB");
}

} // namespace
