// QorDBInfo_test.cpp: the family's locations with and without each registry key and the INI file, and the INI's
// backup counters; each test fills a record of its own, and its family keys are deleted at its end.
#include "QorDBInfo.h"
#include "QorRegistry.h"

#include "QorFamilyKeys.h"
#include "QorKnownDifference.h"
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

const std::string kSeparator = qor::test::OnPosixLayer() ? "/" : "\\";

// A record filled again from the current registry and files.
class FreshDBInfo : public CQorDBInfoData {
public:
    using CQorDBInfoData::ReadInfo;
};

// Points g_dbInfo at another record for the duration of a test.
struct GlobalRecordSwap {
    explicit GlobalRecordSwap(const CQorDBInfoData &record) : m_saved(g_dbInfo) { g_dbInfo = record; }
    ~GlobalRecordSwap() { g_dbInfo = m_saved; }
    const CQorDBInfoData m_saved;
};

std::string ProgramFolder()
{
    char path[2048] = {};
    std::string program(path, GetModuleFileNameA(nullptr, path, sizeof path));
    return program.substr(0, program.find_last_of("\\/") + 1);
}

// On POSIX, XDG_DATA_HOME/Z4DB.
std::string DefaultDatabaseFolder()
{
    return qor::test::OnPosixLayer() ? (qor::test::PrivateFolderEnvironment::Folder() / "data" / "Z4DB").string() : "C:\\Z4DB";
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

// The record's common, find and install paths, whether Moonlane is there, and its database folder and INI file.
std::string Locations(const CQorDBInfoData &info)
{
    return std::string(info.m_strCommonPath.GetString()) + "|" + info.m_strFindPath.GetString() + "|" +
           info.m_strInstallPath.GetString() + "|" + std::to_string(info.m_bHasMoonlane) + "|" + info.m_strDBPath.GetString() +
           "|" + info.m_strINIPath.GetString();
}
std::string Database(const std::string &folder) { return folder + "|" + folder + kSeparator + "QorLocat.ini"; }

TEST_F(QorDBInfoTest, WithoutAnyKeyEverythingFallsBack)
{
    FreshDBInfo info;
    const std::string program = ProgramFolder();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program + "|" + program + "|" + program + "|0|" + Database(DefaultDatabaseFolder()), Locations(info));
    EXPECT_EQ(info.m_strTempPath.GetString(), TempFolder());
    EXPECT_STREQ(info.m_strLocalDBName, "RaviDozLocalDB");
    EXPECT_EQ(info.ReadInfo(), S_OK);
}

TEST_F(QorDBInfoTest, EachKeyTakesItsPlace)
{
    Write(kCommon, "Path", "common-folder");
    Write(kUserCommon, "DataPath", m_strFolder.c_str());
    // the find path falls back to the common path
    EXPECT_EQ("common-folder|common-folder|common-folder|0|" + Database(m_strFolder), Locations(FreshDBInfo()));
    Write(kFind, "Path", "find-folder");
    Write(kMoonlane, nullptr, nullptr); // the key without its value: no Moonlane
    EXPECT_EQ("common-folder|find-folder|find-folder|0|" + Database(m_strFolder), Locations(FreshDBInfo()));
    Write(kMoonlane, "Path", "moonlane-folder");
    Write(kUserCommon, "DataPath", ""); // empty: the default
    EXPECT_EQ("common-folder|find-folder|moonlane-folder|1|" + Database(DefaultDatabaseFolder()), Locations(FreshDBInfo()));
    Write(kCommon, "Path", std::string(512, 'x').c_str());
    EXPECT_EQ(FreshDBInfo().m_strCommonPath.GetString(), ProgramFolder()) << "a value too long to read counts as missing";
}

TEST_F(QorDBInfoTest, LocalDatabaseNameAndBackupCountersLiveInTheINIFile)
{
    Write(kUserCommon, "DataPath", m_strFolder.c_str());
    FreshDBInfo info;
    GlobalRecordSwap swap(info);
    CQorDBInfo dbInfo;
    long nextRecord = -1, nextEntity = -1;
    EXPECT_EQ(dbInfo.ReadBackupRaviDozInfo(nextRecord, nextEntity), S_OK);
    EXPECT_TRUE(nextRecord == 0L && nextEntity == 0L) << "without the INI file";

    EXPECT_EQ(dbInfo.WriteBackupRaviDozInfo(12, 34), S_OK);
    const std::string text = qor::test::ReadBytes(CQorDBInfo::GetINIPath());
    EXPECT_TRUE(text.find("[DBBackup]") != std::string::npos && text.find("NextRecord=12") != std::string::npos &&
                text.find("NextEntityRecord=34") != std::string::npos) << text;
    EXPECT_EQ(dbInfo.ReadBackupRaviDozInfo(nextRecord, nextEntity), S_OK);
    EXPECT_TRUE(nextRecord == 12L && nextEntity == 34L);

    EXPECT_TRUE(WritePrivateProfileStringA("Database Location", "BaseName", "OtherDB", CQorDBInfo::GetINIPath()));
    EXPECT_STREQ(CQorDBInfo::GetLocalDBName(), "RaviDozLocalDB") << "read once, at the fill";
    EXPECT_STREQ(FreshDBInfo().m_strLocalDBName, "OtherDB");

    // The getters read the global record.
    EXPECT_EQ(std::string(CQorDBInfo::GetCommonPath()) + "|" + CQorDBInfo::GetFindPath() + "|" + CQorDBInfo::GetInstallPath() +
                  "|" + std::to_string(CQorDBInfo::HasMoonlane()) + "|" + CQorDBInfo::GetDBPath() + "|" + CQorDBInfo::GetINIPath(),
              Locations(info));
    EXPECT_STREQ(CQorDBInfo::GetTempPath(), info.m_strTempPath);

    // A database folder that does not exist cannot take the file.
    Write(kUserCommon, "DataPath", (m_strFolder + kSeparator + "missing").c_str());
    FreshDBInfo missing;
    GlobalRecordSwap swapMissing(missing);
    EXPECT_EQ(dbInfo.WriteBackupRaviDozInfo(1, 2), E_FAIL);
}

TEST(QorDBInfoGlobal, IsFilledAtLoad)
{
    // Whatever the machine holds, the fill leaves no location empty.
    EXPECT_TRUE(*CQorDBInfo::GetCommonPath() && *CQorDBInfo::GetDBPath() && *CQorDBInfo::GetINIPath() && *CQorDBInfo::GetLocalDBName());
    const std::string temp = CQorDBInfo::GetTempPath();
    EXPECT_EQ(temp.substr(temp.size() - 8), std::string(kSeparator) + "AER19UB");
}

} // namespace
