// QorDBInfo.h: the family's locations (common, find and sibling-product folders, the database folder,
// the local database's name, the temporary folder and the location INI file), worked out once at load
// into the exported record g_dbInfo, and CQorDBInfo, the static getters over it and the INI's backup counters.
#pragma once

#include "QorString.h"
#include "QorWinTypes.h"

class QORUTIL_API CQorDBInfoData {
public:
    // Fills the record from the registry, the program's path, the temporary folder and the INI file.
    CQorDBInfoData();
    CQorDBInfoData(const CQorDBInfoData &other) = default;
    CQorDBInfoData &operator=(const CQorDBInfoData &other) = default;
    ~CQorDBInfoData() = default;

    CQorString m_strINIPath;     // the location INI file: "QorLocat.ini" in the database folder
    CQorString m_strInstallPath; // the sibling product's path, else the find path
    CQorString m_strFindPath;    // the find component's path, else the common path
    CQorString m_strCommonPath;  // the family's common path, else the running program's folder
    CQorString m_strDBPath;      // the database folder
    CQorString m_strLocalDBName; // base name of the local database
    CQorString m_strTempPath;    // the library's temporary folder (not created)
    int m_bHasMoonlane;          // 1 when the sibling product's path is in the registry

protected:
    // Works every location out again; never fails (each missing setting has its fallback): S_OK.
    HRESULT ReadInfo();
};

// The family's locations, filled before any other static object of the library and valid until unload.
extern QORUTIL_API CQorDBInfoData g_dbInfo;

class QORUTIL_API CQorDBInfo {
public:
    CQorDBInfo() {}
    CQorDBInfo &operator=(const CQorDBInfo &) { return *this; }

    // Texts of g_dbInfo; they never change after load.
    static const char *GetInstallPath();
    static const char *GetFindPath();
    static const char *GetCommonPath();
    static const char *GetDBPath();
    static const char *GetLocalDBName();
    // Both builds name this member GetTempPathA, as <windows.h> renames it on Windows.
    static const char *GetTempPath();
    static const char *GetINIPath();
    static int HasMoonlane();

    // The counters of section "DBBackup" of the INI file; a missing file or entry reads as 0. S_OK.
    HRESULT ReadBackupRaviDozInfo(long &nextRecord, long &nextEntityRecord);
    // Writes both counters; E_FAIL when either write fails (both are always attempted).
    HRESULT WriteBackupRaviDozInfo(long nextRecord, long nextEntityRecord);
};
