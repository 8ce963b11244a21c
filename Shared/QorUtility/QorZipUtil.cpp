// QorZipUtil.cpp: CQorZipFile over the directory-record functions. Each operation reads the archive's
// directory into records, works on them and frees them; the extractions make the target folder
// current while they run and set the former one back. An exception from below becomes E_UNEXPECTED.
#include "QorZipUtil.h"

#include "ALDirRecord.h"
#include "QorError.h"
#include "QorPlatform.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A record whose name is missing: what would have been a machine fault below.
struct RecordFault {};

const char *NameOf(const ALDirRecord &record)
{
    if (record.szName == nullptr)
        throw RecordFault{};
    return record.szName;
}

// The records of one operation, freed when it ends.
class ReadRecords {
public:
    explicit ReadRecords(const char *archive) { m_pRecords = ALReadDirRecords(archive, &m_iCount, &m_iStatus); }
    ~ReadRecords() { ALFreeDirRecords(m_pRecords); }
    ReadRecords(const ReadRecords &) = delete;
    ReadRecords &operator=(const ReadRecords &) = delete;

    // An archive that cannot be read, or has no members, is a failure for every reading operation.
    bool Usable() const { return m_pRecords != nullptr && m_iCount > 0 && m_iStatus >= 0; }
    ALDirRecord *begin() const { return m_pRecords; }
    ALDirRecord *end() const { return m_pRecords + m_iCount; }
    int Count() const { return m_iCount; }

private:
    ALDirRecord *m_pRecords;
    int m_iCount = 0;
    int m_iStatus = 0;
};

// The current folder as it was when made; set back when it goes, if it could be read.
class SavedCurrentFolder {
public:
    SavedCurrentFolder()
    {
        const DWORD length = GetCurrentDirectoryA(sizeof m_szFolder, m_szFolder);
        m_bSaved = length > 0 && length < sizeof m_szFolder;
    }
    ~SavedCurrentFolder()
    {
        if (m_bSaved)
            SetCurrentDirectoryA(m_szFolder);
    }
    SavedCurrentFolder(const SavedCurrentFolder &) = delete;
    SavedCurrentFolder &operator=(const SavedCurrentFolder &) = delete;

private:
    char m_szFolder[520];
    bool m_bSaved;
};

const char *AfterLastSeparator(const char *path)
{
    const char *name = path;
    for (const char *p = path; *p != '\0'; ++p)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    return name;
}

// The name the extracted file takes: the temporary name made in the current folder, cut after its
// last dot, with the member's extension. tempPath takes the temporary name when one was made.
std::string ExtractedName(const char *folder, const char *member, CQorString &tempPath)
{
    const char *dot = std::strrchr(member, '.');
    const std::string extension = dot != nullptr ? dot + 1 : "";
    char temporary[MAX_PATH] = "QORZIP__.TMP";
    if (GetTempFileNameA(folder, "QOR", 0, temporary) != 0)
        tempPath = temporary;
    std::string base = AfterLastSeparator(temporary);
    const size_t lastDot = base.rfind('.');
    if (lastDot != std::string::npos)
        base.erase(lastDot + 1);
    return base + extension;
}

// Marks the records named `name` (case aside) and renames them to `base`; unmarks the others.
bool MarkMatches(const ReadRecords &records, const char *name, const std::string &base)
{
    if (name == nullptr)
        throw RecordFault{};
    bool matched = false;
    for (ALDirRecord &record : records) {
        record.sMark = _stricmp(NameOf(record), name) == 0 ? 1 : 0;
        if (record.sMark == 0)
            continue;
        char *renamed = static_cast<char *>(std::malloc(base.size() + 1));
        if (renamed == nullptr)
            throw RecordFault{};
        std::memcpy(renamed, base.c_str(), base.size() + 1);
        std::free(record.szName);
        record.szName = renamed;
        matched = true;
    }
    return matched;
}

HRESULT ClearReadOnly(const char *folder, const std::string &base, CQorString &outPath)
{
    outPath.Format("%s%c%s", folder, qor::kPathSeparator, base.c_str());
    const DWORD attributes = GetFileAttributesA(outPath);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        outPath.Empty();
        return E_FAIL;
    }
    SetFileAttributesA(outPath, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    return S_OK;
}

// The code of a folder that cannot be made current: the last error in facility 7, or 0 for none.
HRESULT FolderError()
{
    const DWORD error = GetLastError();
    return static_cast<LONG>(error) > 0 ? static_cast<HRESULT>(0x80070000u | (error & 0xFFFF))
                                        : static_cast<HRESULT>(error);
}

} // namespace

CQorZipFile::CQorZipFile(const char *path) : m_strPath(path) {}
CQorZipFile::CQorZipFile(const CQorZipFile &other) : m_strPath(other.m_strPath) {}
CQorZipFile &CQorZipFile::operator=(const CQorZipFile &other)
{
    m_strPath = other.m_strPath;
    return *this;
}
CQorZipFile::~CQorZipFile() = default;

HRESULT CQorZipFile::GetFileList(CQorSimpleArray<CQorString> &names)
{
    names.RemoveAll();
    try {
        ReadRecords records(m_strPath);
        if (!records.Usable())
            return E_FAIL;
        for (const ALDirRecord &record : records)
            names.Add(CQorString(NameOf(record))); // a name the array cannot take is dropped
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT CQorZipFile::GetZIPInfo(CQorString &first, CQorString &info)
{
    try {
        ReadRecords records(m_strPath);
        if (!records.Usable())
            return E_FAIL;
        DWORD compressed = 0, uncompressed = 0;
        for (const ALDirRecord &record : records) {
            compressed += static_cast<DWORD>(record.lCompressedSize);
            uncompressed += static_cast<DWORD>(record.lSize);
        }
        first.Empty();
        const int compression =
            uncompressed == 0 ? 0 : static_cast<int>(100.0 - static_cast<double>(compressed) / uncompressed * 100.0);
        info.Format("Files: %u Uncompressed Size: %u Compression: %d%%", static_cast<unsigned>(records.Count()),
                    static_cast<unsigned>(uncompressed), compression);
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT CQorZipFile::ExtractFile(const char *folder, const char *name, CQorString &outPath, CQorString &tempPath)
{
    try {
        ReadRecords records(m_strPath);
        if (!records.Usable())
            return E_FAIL;
        SavedCurrentFolder saved;
        SetCurrentDirectoryA(folder); // a folder that cannot be entered shows when the file is sought
        const std::string base = ExtractedName(folder, name != nullptr ? name : "", tempPath);
        if (!MarkMatches(records, name, base))
            return E_FAIL;
        if (ALExtractDirRecords(records.begin(), 1, nullptr) != 0)
            return E_FAIL;
        return ClearReadOnly(folder, base, outPath);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT CQorZipFile::ExtractFile(const char *folder, const char *name, CQorString &outPath)
{
    CQorString tempPath;
    const HRESULT result = ExtractFile(folder, name, outPath, tempPath);
    if (result >= 0)
        DeleteFileA(tempPath);
    return result;
}

HRESULT CQorZipFile::ExtractAll(const char *folder, bool keepPaths)
{
    try {
        ReadRecords records(m_strPath);
        if (!records.Usable())
            return E_FAIL;
        SavedCurrentFolder saved;
        if (!SetCurrentDirectoryA(folder)) {
            CQorError error(FolderError());
            error.Trace("Shared/QorUtility/QorZipUtil", 325, nullptr, nullptr, nullptr, nullptr);
            return error;
        }
        for (ALDirRecord &record : records)
            record.sMark = 1;
        return ALExtractDirRecords(records.begin(), keepPaths ? 0 : 1, nullptr) != 0 ? E_FAIL : S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT CQorZipFile::Create(CQorString &fileSpec, bool stripPaths)
{
    try {
        return ALCreateZipFromSpec(m_strPath, fileSpec, stripPaths ? 1 : 0, nullptr) != 0 ? E_FAIL : S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
