// QorDBInfo.cpp: how the family's locations are worked out at load (registry keys of the family,
// the running program's folder, the temporary folder, the location INI file), the getters over
// g_dbInfo and the INI file's backup counters. g_dbInfo itself is defined with the library's other
// static objects, in load order (QorLibraryStatics.cpp).
#include "QorDBInfo.h"

#include "QorPlatform.h"
#include "QorRegistry.h"

#include <cstdio>
#include <cstdlib>

namespace {

const char kCommonKey[] = "HKEY_LOCAL_MACHINE\\Software\\Tolmar Technology\\Common";
const char kUserCommonKey[] = "HKEY_CURRENT_USER\\Software\\Tolmar Technology\\Common";
const char kFindKey[] = "HKEY_LOCAL_MACHINE\\Software\\Tolmar Technology\\Find";
const char kMoonlaneKey[] = "HKEY_LOCAL_MACHINE\\Software\\Tolmar Technology\\Moonlane";
const char kINIFileName[] = "QorLocat.ini";
const char kTempFolderName[] = "AER19UB";
const char kDatabaseSection[] = "Database Location";
const char kBackupSection[] = "DBBackup";

// True when `key` opens and its value `name` reads; `value` is emptied otherwise.
bool ReadRegistryText(const char *key, const char *name, CQorString &value)
{
    CQorRegistry registry;
    if (registry.Open(key, KEY_READ) < 0) {
        value.Empty();
        return false;
    }
    return registry.GetValue(name, value) >= 0;
}

// The running program's folder, its separator kept at the end.
CQorString ProgramFolder()
{
    char path[2048] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length >= sizeof path)
        length = 0; // cut short: no folder we could trust
    int end = (int)length;
    while (end > 0 && !qor::IsPathSeparator(path[end - 1]))
        --end;
    return CQorString(path, end);
}

CQorString DefaultDatabaseFolder() { return CQorString(qor::platform::DefaultDatabaseFolder().c_str()); }

// The system's temporary folder with a separator at its end; the database folder stands in when the
// system has none to give.
CQorString TempFolderBase(const CQorString &databaseFolder)
{
    char path[256] = {};
    DWORD length = GetTempPathA(sizeof path, path);
    CQorString base = (length == 0 || length >= sizeof path) ? databaseFolder : CQorString(path, (int)length);
    if (base.IsEmpty() || !qor::IsPathSeparator(base[base.GetLength() - 1]))
        base += qor::kPathSeparator;
    return base;
}

CQorString JoinPath(const CQorString &folder, const char *name)
{
    CQorString path;
    path.Format("%s%c%s", (const char *)folder, qor::kPathSeparator, name);
    return path;
}

} // namespace

CQorDBInfoData::CQorDBInfoData() : m_bHasMoonlane(0) { ReadInfo(); }

HRESULT CQorDBInfoData::ReadInfo()
{
    if (!ReadRegistryText(kCommonKey, "Path", m_strCommonPath))
        m_strCommonPath = ProgramFolder();
    ReadRegistryText(kUserCommonKey, "DataPath", m_strDBPath);
    if (m_strDBPath.IsEmpty())
        m_strDBPath = DefaultDatabaseFolder();
    if (!ReadRegistryText(kFindKey, "Path", m_strFindPath))
        m_strFindPath = m_strCommonPath;
    m_bHasMoonlane = ReadRegistryText(kMoonlaneKey, "Path", m_strInstallPath) ? 1 : 0;
    if (!m_bHasMoonlane)
        m_strInstallPath = m_strFindPath;
    m_strINIPath = JoinPath(m_strDBPath, kINIFileName);
    m_strTempPath = TempFolderBase(m_strDBPath) + kTempFolderName;

    char name[2048] = {};
    GetPrivateProfileStringA(kDatabaseSection, "BaseName", "RaviDozLocalDB", name, sizeof name, m_strINIPath);
    m_strLocalDBName = name;
    return S_OK;
}

const char *CQorDBInfo::GetInstallPath() { return g_dbInfo.m_strInstallPath; }
const char *CQorDBInfo::GetFindPath() { return g_dbInfo.m_strFindPath; }
const char *CQorDBInfo::GetCommonPath() { return g_dbInfo.m_strCommonPath; }
const char *CQorDBInfo::GetDBPath() { return g_dbInfo.m_strDBPath; }
const char *CQorDBInfo::GetLocalDBName() { return g_dbInfo.m_strLocalDBName; }
const char *CQorDBInfo::GetTempPath() { return g_dbInfo.m_strTempPath; }
const char *CQorDBInfo::GetINIPath() { return g_dbInfo.m_strINIPath; }
int CQorDBInfo::HasMoonlane() { return g_dbInfo.m_bHasMoonlane; }

HRESULT CQorDBInfo::ReadBackupRaviDozInfo(long &nextRecord, long &nextEntityRecord)
{
    char number[50];
    GetPrivateProfileStringA(kBackupSection, "NextRecord", "0", number, sizeof number, GetINIPath());
    nextRecord = std::atol(number);
    GetPrivateProfileStringA(kBackupSection, "NextEntityRecord", "0", number, sizeof number, GetINIPath());
    nextEntityRecord = std::atol(number);
    return S_OK;
}

HRESULT CQorDBInfo::WriteBackupRaviDozInfo(long nextRecord, long nextEntityRecord)
{
    char number[32];
    std::snprintf(number, sizeof number, "%ld", nextRecord);
    BOOL wroteRecord = WritePrivateProfileStringA(kBackupSection, "NextRecord", number, GetINIPath());
    std::snprintf(number, sizeof number, "%ld", nextEntityRecord);
    BOOL wroteEntity = WritePrivateProfileStringA(kBackupSection, "NextEntityRecord", number, GetINIPath());
    return wroteRecord && wroteEntity ? S_OK : E_FAIL;
}
