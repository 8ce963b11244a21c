// ALZipArchive_test.cpp: the ZIP container over archives assembled byte by byte (the end-record
// search, damaged directories, extraction past failing and hostile members) and over archives it
// writes itself (headers written after the data, the end record, reading back).
#include "ALArchive.h"
#include "ALCrc32.h"
#include "ALStorage.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using qor::test::ReadBytes;
using qor::test::WriteBytes;

namespace {

std::string U16(unsigned value) { return {char(value & 0xFF), char(value >> 8 & 0xFF)}; }
std::string U32(DWORD value) { return U16(value & 0xFFFF) + U16(value >> 16); }
DWORD Crc(const std::string &data)
{
    return ~ALCrc32Update(0xFFFFFFFFu, reinterpret_cast<const unsigned char *>(data.data()), data.size());
}

struct Member {
    std::string name, data;         // data as stored (already deflated for method 8)
    WORD method = 0, flags = 0;     // flag 8: zero sizes in the local header, a data descriptor after the data
    DWORD crc = 0, external = 0;    // crc 0: that of the data
    DWORD size = 0;                 // uncompressed size; 0: that of the data
};

std::string EndRecord(size_t count, size_t directorySize, DWORD directoryOffset, const std::string &comment = "")
{
    return "PK\5\6" + U16(0) + U16(0) + U16(count) + U16(count) + U32(directorySize) + U32(directoryOffset) +
           U16(comment.size()) + comment;
}

std::string CentralRecord(const Member &m, DWORD offset)
{
    return "PK\1\2" + U16(20) + U16(20) + U16(m.flags) + U16(m.method) + U16(0x6DAF) + U16(0x0ACF) + U32(m.crc) +
           U32(m.data.size()) + U32(m.size) + U16(m.name.size()) + U16(0) + U16(0) + U16(0) + U16(0) +
           U32(m.external) + U32(offset) + m.name;
}

std::string Zip(std::vector<Member> members, const std::string &comment = "")
{
    std::string body, directory;
    for (Member &m : members) {
        m.crc = m.crc ? m.crc : Crc(m.data);
        m.size = m.size ? m.size : static_cast<DWORD>(m.data.size());
        bool descriptor = (m.flags & 8) != 0;
        directory += CentralRecord(m, static_cast<DWORD>(body.size()));
        body += "PK\3\4" + U16(20) + U16(m.flags) + U16(m.method) + U32(0) + U32(descriptor ? 0 : m.crc) +
                U32(descriptor ? 0 : m.data.size()) + U32(descriptor ? 0 : m.size) + U16(m.name.size()) + U16(0) +
                m.name + m.data;
        if (descriptor)
            body += "PK\7\x08" + U32(m.crc) + U32(m.data.size()) + U32(m.size);
    }
    return body + directory + EndRecord(members.size(), directory.size(), static_cast<DWORD>(body.size()), comment);
}

ALPrototypeSet ReadPrototypes()
{
    return ALPrototypeSet(ALInflateDecompressor()).Add(ALCopyDecompressor()).Add(ALFileStorage());
}

struct OperationLog : ALProgressMonitor {
    void ArchiveOperation(int operation, ALArchiveBase *, ALEntry *) override { operations.push_back(operation); }
    std::vector<int> operations;
};

// Reads `bytes` as an archive: the result and the archive's detail.
std::pair<int, std::string> ReadDirectoryOf(const std::string &bytes, ALEntryList &list)
{
    WriteBytes("t.zip", bytes);
    ALZipArchive archive("t.zip");
    int result = archive.ReadDirectory(list);
    return {result, archive.mStatus.GetStatusDetail()};
}

} // namespace

TEST(ALZipArchive, DirectoryReadCases)
{
    const std::string empty = EndRecord(0, 0, 0), stored = Zip({{"a.txt", "hello"}});
    const std::string cut = "PK\1\2" + std::string(20, '\0'); // a record that ends with the file
    const std::string longName = "PK\1\2" + std::string(24, '\0') + U16(1000) + std::string(16, '\0') + "abc";
    const std::string noEnd = "Can't locate end of central directory in ZIP file t.zip";
    const std::string badRecord = "Bad record in central directory of ZIP file t.zip";
    struct { const char *what; std::string bytes; int result; std::string detail; } rows[] = {
        {"end record only", empty, 0, "No errors"},
        {"three bytes", "PK\5", AL_BAD_DIRECTORY, noEnd},
        {"record at the very start of the 66000-byte area", empty + std::string(66000 - 22, 'x'), 0, "No errors"},
        {"record one byte before it", empty + std::string(66000 - 21, 'x'), AL_BAD_DIRECTORY, noEnd},
        {"signature across two windows", empty + std::string(236, 'x'), 0, "No errors"},
        {"comment holding the signature wins", Zip({{"a.txt", "hi"}}, "PK\5\6" + std::string(18, '\0')),
         AL_BAD_DIRECTORY, badRecord},
        {"end record cut short", stored + "PK\5\6" + std::string(10, '\0'), AL_BAD_DIRECTORY, noEnd},
        {"method 12", Zip({{"a.txt", "x", 12}}), AL_NO_ENGINE, "Failure creating compression engine in ZIP file t.zip"},
        {"record cut by the end of the file", EndRecord(1, 0, 22) + cut, AL_BAD_DIRECTORY, badRecord},
        {"name past the end", EndRecord(1, 0, 22) + longName, AL_BAD_DIRECTORY, badRecord},
        {"directory at a local header", EndRecord(0, 0, 0) + stored, AL_BAD_DIRECTORY, badRecord},
        {"directory past the end (counts ignored)", EndRecord(9999, 0, 5000), 0, "No errors"},
        {"64-bit end record after the directory", EndRecord(0, 0, 22) + "PK\6\6", 0, "No errors"},
        {"directory beyond 2 GB", EndRecord(1, 0, 0x80000000u), AL_SEEK_FAILED, "Seek failure on t.zip.  errno = 22"}};
    for (const auto &row : rows) {
        ALEntryList list(nullptr, ReadPrototypes());
        EXPECT_EQ(std::make_pair(row.result, row.detail), ReadDirectoryOf(row.bytes, list)) << row.what;
        EXPECT_EQ(nullptr, list.GetFirstEntry()) << row.what;
    }
}

TEST(ALZipArchive, ReadsFieldsOptionsAndEncryptedMembers)
{
    Member maximum{"max.txt", "\xcb\x4d\xac\xc8\xcc\x2d\xcd\x55\xc8\x45\xa5\x15\x01", 8, 2, 0xa5c17cf2, 0x20, 24};
    ALEntryList list(nullptr, ReadPrototypes());
    ALZipArchive archive("t.zip");
    WriteBytes("t.zip", Zip({maximum, {"secret", "xx", 0, 1, 0, 0x2F}}, "archive comment"));
    ASSERT_EQ(2, archive.ReadDirectory(list));
    EXPECT_STREQ("archive comment", archive.GetComment());
    ALEntry *first = list.GetFirstEntry(), *second = list.GetNextEntry(first);
    const ALTimeDate &time = first->GetStorage()->GetTimeDate();
    EXPECT_EQ((std::vector<int>{1985, 6, 15, 13, 45, 30}),
              (std::vector<int>{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond}));
    EXPECT_EQ(~0xa5c17cf2u, first->GetCrc32());
    EXPECT_EQ(24, first->GetStorage()->GetSize());
    EXPECT_EQ(AL_ATTRIBUTE_ARCHIVE, first->GetStorage()->GetAttributes());
    EXPECT_EQ(AL_ATTRIBUTE_READ_ONLY | AL_ATTRIBUTE_HIDDEN | AL_ATTRIBUTE_SYSTEM | AL_ATTRIBUTE_ARCHIVE,
              second->GetStorage()->GetAttributes()) << "volume label dropped";
    EXPECT_EQ(1, dynamic_cast<ALInflateDecompressor &>(*first->GetDecompressor()).GetOption());
    EXPECT_STREQ("", first->GetComment());
    EXPECT_TRUE(second->IsEncrypted() && second->IsMarked());
    EXPECT_EQ(AL_NEED_DECRYPTION_ENGINE, archive.Extract(list));
    EXPECT_STREQ("Attempt to extract an object without decryption engine", archive.mStatus.GetStatusDetail());
    second->ClearMark();
    EXPECT_EQ(1, archive.Extract(list));
    EXPECT_EQ("maximum maximum maximum!", ReadBytes("max.txt"));
}

TEST(ALZipArchive, ExtractGoesOnPastBadAndHostileMembers)
{
    std::filesystem::create_directories("x/out");
    std::vector<Member> members = {{"a/stored.txt", "hello"}, {"desc.txt", "described", 0, 8},
                                   {"bad.txt", "damaged", 0, 0, 0x12345678}, {"../evil.txt", "e"},
                                   {"/abs.txt", "e"}, {"C:x.txt", "e"}, {"d\\..\\..\\e.txt", "e"},
                                   {"dir/", "", 0, 0, 0, 0x10}, {"bare/", ""}, {"", "e"}, {"last.txt", "end"}};
    WriteBytes("x/out/t.zip", Zip(members));
    const auto home = std::filesystem::current_path();
    std::filesystem::current_path("x/out");
    OperationLog log;
    ALEntryList list(&log, ReadPrototypes());
    ALZipArchive archive("t.zip");
    ASSERT_EQ(11, archive.ReadDirectory(list));
    int result = archive.Extract(list);
    std::filesystem::current_path(home);

    EXPECT_EQ(AL_CRC_MISMATCH, result);
    EXPECT_STREQ("bad.txt: CRC32 was supposed to be edcba987, was 23375014", archive.mStatus.GetStatusDetail());
    for (const char *written : {"x/out/a/stored.txt", "x/out/desc.txt", "x/out/bad.txt", "x/out/last.txt"})
        EXPECT_FALSE(ReadBytes(written).empty()) << written;
    EXPECT_TRUE(std::filesystem::is_directory("x/out/dir") && std::filesystem::is_directory("x/out/bare"));
    std::error_code unknown; // a name Windows cannot hold is as absent as a missing one
    for (const char *outside : {"x/evil.txt", "/abs.txt", "x/out/C:x.txt", "x/e.txt"})
        EXPECT_FALSE(std::filesystem::exists(outside, unknown)) << outside;
    ALEntry *entry = list.GetFirstEntry();
    for (int i = 0; i < 3; ++i)
        entry = list.GetNextEntry(entry);
    EXPECT_EQ(AL_OPEN_FAILED, entry->GetStorage()->mStatus.GetStatusCode());
    EXPECT_STREQ("Refused to write ../evil.txt: the name does not lead into the target folder",
                 entry->GetStorage()->mStatus.GetStatusDetail());
    std::vector<int> expected = {AL_ARCHIVE_DIRECTORY_READ_START, AL_ARCHIVE_DIRECTORY_READ_END, AL_ARCHIVE_JOB_START};
    for (size_t i = 0; i < members.size(); ++i)
        expected.insert(expected.end(), {AL_ARCHIVE_EXTRACT_ENTRY_START, AL_ARCHIVE_EXTRACT_ENTRY_END});
    expected.push_back(AL_ARCHIVE_JOB_END);
    EXPECT_EQ(expected, log.operations);
}

namespace {

ALEntry *Add(ALEntryList &list, const char *name, ALCompressor *compressor)
{
    return new ALEntry(list, new ALFileStorage(name), compressor, nullptr);
}

int CreateArchive(ALEntryList &list, const char *name, std::string *detail = nullptr)
{
    ALZipArchive archive(name);
    int result = archive.Create(list);
    if (detail != nullptr)
        *detail = archive.mStatus.GetStatusDetail();
    return result;
}

} // namespace

TEST(ALZipArchive, CreateWritesHeadersAfterTheDataAndReadsBack)
{
    std::string big;
    for (int i = 0; i < 20000; ++i)
        big += "line " + std::to_string(i) + "\n";
    std::filesystem::create_directories("sub");
    WriteBytes("abc.txt", "abc");
    WriteBytes("sub/big.txt", big);
    WriteBytes("empty.txt", "");
    ALEntryList list;
    Add(list, "abc.txt", new ALCopyCompressor);
    std::unique_ptr<ALCompressor> maximum(ALDeflateCompressor(9).Clone(AL_ENGINE_ANY));
    Add(list, "sub/big.txt", maximum.release())->SetOptions(AL_STORE_WITHOUT_PATH);
    Add(list, "empty.txt", new ALDeflateCompressor);
    ASSERT_EQ(3, CreateArchive(list, "made/new.zip"));

    const std::string zip = ReadBytes("made/new.zip");
    ASSERT_GT(zip.size(), 40u + 30 + 7 + 22);
    // Stored abc.txt: method 0, the CRC of "abc", sizes 3 and 3; then big.txt's header at 40, whose
    // level 9 gives local flags 2 while its option (0) gives central flags 0.
    EXPECT_EQ("PK\3\4" + U16(20) + U16(0) + U16(0), zip.substr(0, 10));
    EXPECT_EQ(U32(0x352441C2) + U32(3) + U32(3) + U16(7) + U16(0) + "abc.txtabc", zip.substr(14, 26));
    EXPECT_EQ("PK\3\4" + U16(20) + U16(2) + U16(8), zip.substr(40, 10));
    EXPECT_EQ(U16(7) + U16(0) + "big.txt", zip.substr(40 + 26, 11));
    const std::string end = zip.substr(zip.size() - 22);
    DWORD directory = static_cast<unsigned char>(end[16]) | static_cast<unsigned char>(end[17]) << 8 |
                      static_cast<unsigned char>(end[18]) << 16;
    EXPECT_EQ("PK\5\6" + U16(0) + U16(0) + U16(3) + U16(3) + U32(zip.size() - 22 - directory) + U32(directory) + U16(0),
              end);
    EXPECT_EQ(U16(0) + U16(8), zip.substr(directory + 46 + 7 + 8, 4)) << "central flags and method of big.txt";

    std::filesystem::create_directories("back");
    const auto home = std::filesystem::current_path();
    std::filesystem::current_path("back");
    ALEntryList read(nullptr, ReadPrototypes());
    ALZipArchive archive("../made/new.zip");
    EXPECT_EQ(3, archive.ReadDirectory(read));
    EXPECT_EQ(3, archive.Extract(read));
    std::filesystem::current_path(home);
    EXPECT_EQ("abc", ReadBytes("back/abc.txt"));
    EXPECT_EQ(big, ReadBytes("back/big.txt"));
    EXPECT_TRUE(std::filesystem::exists("back/empty.txt"));
}

TEST(ALZipArchive, CreateEdgeCases)
{
    WriteBytes("one.txt", "1");
    const std::string self = std::filesystem::absolute("self.zip").string();
    struct { const char *what; std::vector<const char *> names; int result; std::string detail; size_t size;
             std::string archive = "self.zip"; } rows[] = {
        {"nothing marked", {}, 0, "No errors", 22},
        {"duplicates fail after writing one", {"one.txt", "ONE.TXT"}, AL_DUPLICATE_ENTRY,
         ": Duplicate entry in list passed to Create()", 22 + 30 + 46 + 2 * 7 + 1},
        {"a file that cannot be opened", {"missing.txt"}, AL_OPEN_FAILED,
         "File open failure.  Open of missing.txt returned errno = 2", 0},
        {"the archive never packs itself", {"self.zip", "one.txt"}, 1, "No errors", 22 + 30 + 46 + 2 * 7 + 1},
        {"nor under another spelling", {"x/../SELF.ZIP", "one.txt"}, 1, "No errors", 113, "./self.zip"},
        {"nor by its full path", {"self.zip", "one.txt"}, 1, "No errors", 113, self}};
    for (const auto &row : rows) {
        WriteBytes("self.zip", "");
        ALEntryList list;
        for (const char *name : row.names)
            Add(list, name, new ALCopyCompressor);
        std::string detail;
        EXPECT_EQ(row.result, CreateArchive(list, row.archive.c_str(), &detail)) << row.what;
        EXPECT_NE(std::string::npos, detail.find(row.detail)) << row.what << ": " << detail;
        EXPECT_EQ(row.size, ReadBytes("self.zip").size()) << row.what;
    }
}
