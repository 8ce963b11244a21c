// ALStorage_test.cpp: file storages over real files: positions, values on disk, folders, the read-only
// fallback, stamp and attributes on close, renames and their messages, failing and short writes.
#include "ALCrc32.h"
#include "ALEngine.h"
#include "ALStorage.h"
#include "QorPlatformHooks.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

using qor::test::ReadBytes;
using qor::test::WriteBytes;

namespace {

std::string Detail(const ALStorage &storage) { return storage.mStatus.GetStatusDetail(); }
// A call's result with the detail it left: "code: detail".
std::string Said(int code, const ALStorage &storage) { return std::to_string(code) + ": " + Detail(storage); }
std::string Failure(int code, const char *detail) { return std::to_string(code) + ": " + detail; }
const unsigned char *Bytes(const char *text) { return reinterpret_cast<const unsigned char *>(text); }

// Flips every byte as it is loaded: a stand-in for a decryption engine.
struct FlipBytes : ALDecryptor {
    FlipBytes() : ALDecryptor(0, "flip") {}
    ALDecryptor *Clone(int) const override { return new FlipBytes; }
    void Transform(unsigned char *bytes, LONG count) override
    {
        for (LONG i = 0; i < count; ++i)
            bytes[i] = static_cast<unsigned char>(~bytes[i]);
    }
};

} // namespace

TEST(ALErrorStatus, DetailIsCutAt128AndDefaultsByCode)
{
    ALErrorStatus status;
    EXPECT_STREQ("No errors", status.GetStatusDetail());
    EXPECT_EQ(-1993, status.SetError(AL_READ_FAILED, "%s", std::string(300, 'x').c_str()));
    ALErrorStatus copy(status);
    status.SetError(-5, nullptr);
    EXPECT_STREQ("Unable to allocate memory for error detail message", status.GetStatusDetail());
    EXPECT_TRUE(copy.GetStatusCode() == -1993 && copy.GetStatusDetail() == std::string(128, 'x'));
}

TEST(ALNameString, CaseModesAndNameOperations)
{
    EXPECT_STREQ("A\\B.TXT", ALNameString("a\\b.txt", AL_CASE_UPPER).GetName());
    EXPECT_STREQ("a\\b.txt", ALNameString("A\\B.TXT", AL_CASE_LOWER).GetName());
    ALNameString name("dir/Data.Zip", AL_CASE_MIXED);
    name.ChangeExtension(".bak");
    EXPECT_EQ("dir/Data.bak|dir/Data.Zip", std::string(name.GetName()) + "|" + name.GetOldName());
    name = "noext";
    EXPECT_STREQ("noext.bak", ALNameString(name).ChangeExtension(".bak").GetName());
    struct { const char *text, *folder, *file; } rows[] = {
        {"a\\b/c.txt", "a\\", "b/c.txt"}, {"a/b/c.txt", "a/b/", "c.txt"}, {"c:x", "c:", "x"}, {"x", "", "x"}};
    for (const auto &row : rows) {
        ALNameString path(row.text), file(row.text);
        EXPECT_EQ(std::string(row.folder) + "|" + row.file,
                  std::string(path.StripFileName().GetName()) + "|" + file.StripPath().GetName()) << row.text;
    }
}

TEST(ALFileStorage, EmptyFileTellSeekAndValuesOnDisk)
{
    WriteBytes("empty.bin", "");
    ALFileStorage empty("empty.bin"), file("values.bin");
    ASSERT_EQ(0, empty.Open());
    EXPECT_TRUE(empty.ReadChar() < 0 && empty.mStatus.GetStatusCode() == 0);

    ASSERT_EQ(0, file.Create());
    EXPECT_EQ(10, file.WriteBuffer(Bytes("0123456789"), 10));
    file.Seek(3);
    EXPECT_EQ(3, file.Tell());
    file.WriteLittleEndianShort(0x4142);
    file.WriteBigEndianLong(0x43444546);
    file.Seek(10);
    file.WriteLittleEndianLong(0x31323334);
    file.WriteString("hi");
    file.WriteString(nullptr);
    EXPECT_TRUE(file.Close() == 0 && file.GetSize() == 20);
    EXPECT_EQ(std::string("012BACDEF9" "4321" "\0\2hi\0\0", 20), ReadBytes("values.bin"));

    ASSERT_EQ(0, file.Open());
    file.Seek(3);
    WORD shortValue = 0;
    DWORD longValue = 0;
    EXPECT_TRUE(file.ReadLittleEndianShort(shortValue) == 0 && file.ReadBigEndianLong(longValue) == 0);
    EXPECT_TRUE(shortValue == 0x4142 && longValue == 0x43444546u);
    file.Seek(14);
    ALNameString text;
    for (const char *expected : {"hi", ""})
        EXPECT_TRUE(file.ReadString(text) == 0 && std::string(text.GetName()) == expected) << expected;
    EXPECT_EQ(Failure(-1993, "Error reading string lengthin ReadString() for object values.bin"), Said(file.ReadString(text), file));
}

TEST(ALFileStorage, CreateMakesFoldersAndTemporaryNames)
{
    ALFileStorage nested("n1/n2/c.txt"), folder("f1/f2/"), notFolder("g1/g2/"), first(""), second("");
    EXPECT_EQ(0, nested.Create());
    nested.WriteChar('z');
    nested.Close();
    EXPECT_EQ("z", ReadBytes("n1/n2/c.txt"));
    folder.SetAttributes(AL_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(folder.Create() == 0 && folder.Close() == 0 && GetFileAttributesA("f1/f2") != INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Failure(AL_OPEN_FAILED, "File creation failure.  Open of g1/g2/ returned errno = 2"), Said(notFolder.Create(), notFolder));

    EXPECT_TRUE(first.Create() == 0 && second.Create() == 0);
    EXPECT_EQ("~al~000.tmp ~al~001.tmp", std::string(first.mName.GetName()) + " " + second.mName.GetName());
    first.Close();
    second.Close();
    EXPECT_EQ(0, first.Delete() + second.Delete());
}

TEST(ALFileStorage, OpenFailsWithMessageAndFallsBackToReadOnly)
{
    ALFileStorage missing("missing.bin"), locked("locked.bin");
    EXPECT_EQ(Failure(AL_OPEN_FAILED, "File open failure.  Open of missing.bin returned errno = 2"), Said(missing.Open(), missing));
    EXPECT_EQ(AL_OPEN_FAILED, missing.Open()) << "the status is sticky";

    WriteBytes("locked.bin", "abc");
    ASSERT_TRUE(SetFileAttributesA("locked.bin", FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(locked.Open() == 0 && locked.ReadChar() == 'a' && (locked.GetAttributes() & AL_ATTRIBUTE_READ_ONLY));
    locked.Close();
    SetFileAttributesA("locked.bin", FILE_ATTRIBUTE_NORMAL);
}

TEST(ALFileStorage, CloseWritesTimeStampAndAttributesBack)
{
    ALFileStorage out("stamped.txt"), in("stamped.txt");
    out.SetTimeDate(ALTimeDate{1998, 7, 1, 12, 0, 0});
    out.SetAttributes(AL_ATTRIBUTE_READ_ONLY);
    ASSERT_EQ(0, out.Create());
    out.WriteChar('x');
    EXPECT_EQ(0, out.Close());

    ASSERT_EQ(0, in.Open());
    ALTimeDate read = in.GetTimeDate();
    TIME_ZONE_INFORMATION zone{};
    // The stamp goes through today's bias: only where July and today agree on daylight time is it exact.
    if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_STANDARD) {
        EXPECT_EQ((std::vector<int>{1998, 7, 1, 12, 0}),
                  (std::vector<int>{read.wYear, read.wMonth, read.wDay, read.wHour, read.wMinute}));
    }
    EXPECT_TRUE(in.GetAttributes() & AL_ATTRIBUTE_READ_ONLY);
    in.Close();
    SetFileAttributesA("stamped.txt", FILE_ATTRIBUTE_NORMAL);
}

TEST(ALFileStorage, RenamesBackupsAndDeletesWithExactMessages)
{
    WriteBytes("data.zip", "zip");
    ALFileStorage archive("data.zip"), ghost("ghost.bin"), gone("gone.bin");
    EXPECT_TRUE(archive.RenameToBackup() == 0 && ReadBytes("data.bak") == "zip" && GetFileAttributesA("data.zip") == INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(archive.UnRename() == 0 && std::string(archive.mName.GetName()) == "data.zip" && ReadBytes("data.zip") == "zip");
    EXPECT_EQ(Failure(AL_RENAME_FAILED, "Error attempting to rename data.zip to DATA.ZIP.  Can't rename to the same name!"),
              Said(archive.Rename("DATA.ZIP"), archive));
    EXPECT_EQ(Failure(AL_RENAME_FAILED, "Error renaming ghost.bin to other.bin.  errno = 2"), Said(ghost.Rename("other.bin"), ghost));
    EXPECT_EQ(Failure(AL_DELETE_FAILED, "Error deleting file gone.bin, errno = 2"), Said(gone.Delete(), gone));
}

#if !defined(_WIN32) // the fault switch is a hook of the POSIX layer only
TEST(ALFileStorage, FailingAndShortWritesReadsAndSeeks)
{
    struct { const char *function; DWORD error; int code; std::string detail; } rows[] = {
        {"_write", ERROR_SUCCESS, AL_WRITE_FAILED, "Write failure on faulty.bin.  result = 2048, errno = 0"},
        {"_write", ERROR_DISK_FULL, AL_WRITE_FAILED, "Write failure on faulty.bin.  result = -1, errno = 28"},
        {"_read", ERROR_ACCESS_DENIED, AL_READ_FAILED, "Read failure on faulty.bin.  errno = 13"},
        {"_lseek", ERROR_INVALID_HANDLE, AL_SEEK_FAILED, "Seek failure on faulty.bin.  errno = 9"}};
    const std::string many(4096, 'n');
    for (const auto &row : rows) {
        WriteBytes("faulty.bin", std::string(100, 'o'));
        ALFileStorage file("faulty.bin");
        ASSERT_EQ(0, file.Open());
        QorInjectFault(row.function, 1, row.error);
        errno = 0;
        if (std::string(row.function) == "_write") {
            file.WriteBuffer(Bytes(many.data()), 4096);
            file.FlushBuffer();
        } else {
            file.LoadBuffer(50);
        }
        QorClearFaults();
        EXPECT_EQ(Failure(row.code, row.detail.c_str()), Said(file.mStatus.GetStatusCode(), file)) << row.function;
        EXPECT_TRUE(file.WriteBuffer(Bytes("x"), 1) == 0 && file.Close() == row.code) << "sticky after a failure";
    }
}
#endif

TEST(ALFileStorage, BytesAcrossBufferEdgesAndTheDecryptorBeforeTheCrc)
{
    ALFileStorage out("edges.bin"), in("edges.bin");
    ASSERT_EQ(0, out.Create());
    for (int i = 0; i < 4095; ++i)
        EXPECT_EQ(i & 0xFF, out.WriteChar(i));
    out.WriteLittleEndianLong(0xA1B2C3D4); // straddles the first flush
    EXPECT_EQ(4099, out.Tell());
    out.Close();
    std::string bytes = ReadBytes("edges.bin");
    EXPECT_TRUE(bytes.size() == 4099u && bytes.substr(4094) == std::string("\xFE\xD4\xC3\xB2\xA1", 5));

    ASSERT_EQ(0, in.Open());
    in.Seek(4095);
    DWORD value = 0;
    EXPECT_TRUE(in.ReadLittleEndianLong(value) == 0 && value == 0xA1B2C3D4u && in.ReadChar() < 0);

    FlipBytes flip;
    in.SetDecryptor(&flip);
    in.Seek(4095);
    in.InitCrc(0xFFFFFFFFu);
    unsigned char flipped[4];
    const unsigned char plain[] = {0x2B, 0x3C, 0x4D, 0x5E}; // the complements of the bytes on disk
    EXPECT_TRUE(in.ReadBuffer(flipped, 8) == 4 && memcmp(plain, flipped, 4) == 0);
    EXPECT_EQ(ALCrc32Update(0xFFFFFFFFu, plain, 4), in.GetCrc()) << "the CRC sees the decrypted bytes";
    in.Close();
}
