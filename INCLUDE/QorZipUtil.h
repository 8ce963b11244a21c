// QorZipUtil.h: CQorZipFile, the library's ZIP class: one ZIP file named by its path, listed,
// summed up, extracted member by member or whole, or created anew from names and patterns. Every
// call reads the archive's directory afresh and keeps nothing between calls.
#pragma once

#include "QorExport.h"
#include "QorSimpleArray.h"
#include "QorString.h"
#include "QorWinTypes.h"

class QORUTIL_API CQorZipFile {
public:
    CQorZipFile(const char *path);
    CQorZipFile(const CQorZipFile &other);
    CQorZipFile &operator=(const CQorZipFile &other);
    ~CQorZipFile();

    // The stored names in directory order, unchanged ('/' separators, folders ending in '/'); `names`
    // is emptied first, so it is empty after a failure. E_FAIL for no archive or one without members.
    HRESULT GetFileList(CQorSimpleArray<CQorString> &names);
    // info := "Files: N Uncompressed Size: N Compression: N%"; first := "".
    HRESULT GetZIPInfo(CQorString &first, CQorString &info);
    // Extracts every member whose name equals `name` (case aside) into one new file of `folder`: a
    // temporary name of the platform with the member's extension, read-only cleared; outPath names it.
    // tempPath names the empty temporary file made on the way, which the caller owns.
    HRESULT ExtractFile(const char *folder, const char *name, CQorString &outPath, CQorString &tempPath);
    // As above, with the temporary file deleted after success.
    HRESULT ExtractFile(const char *folder, const char *name, CQorString &outPath);
    // Extracts every unencrypted member under `folder`, with its stored folders or by its bare name.
    // A folder that cannot be made current gives the platform error, traced to the error log.
    HRESULT ExtractAll(const char *folder, bool keepPaths);
    // Writes the archive anew from comma- or tab-separated file names and patterns (double quotes
    // allowed), every file deflated at level 6 and stored once.
    HRESULT Create(CQorString &fileSpec, bool stripPaths);

private:
    CQorString m_strPath;
};
