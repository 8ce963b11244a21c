// ALEngine_test.cpp: the CRC-32 register, the engines' round trips over real files (empty, stored,
// every deflate level, a length that stops short of what follows), the clone table and prototype
// sets, and a write failure during deflate.
#include "ALCrc32.h"
#include "ALEngine.h"
#include "ALStorage.h"
#include "QorPlatformHooks.h"
#include "QorTestFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

using qor::test::ReadBytes;
using qor::test::WriteBytes;

namespace {

// Text-like and random bytes, so that deflate has both kinds of block to make.
std::string SampleBytes(size_t size)
{
    std::mt19937 random(7);
    std::string bytes;
    while (bytes.size() < size)
        bytes += (random() % 3 == 0) ? std::string(1, static_cast<char>(random())) : "the quick brown fox ";
    bytes.resize(size);
    return bytes;
}

const unsigned char *Bytes(const std::string &text) { return reinterpret_cast<const unsigned char *>(text.data()); }

} // namespace

TEST(ALCrc32, RegisterFormAndEveryLengthAgainstOneByteSteps)
{
    EXPECT_EQ(0xCADBBE3Du, ALCrc32Update(0xFFFFFFFFu, Bytes("abc"), 3));
    EXPECT_EQ(0x352441C2u, ~ALCrc32Update(0xFFFFFFFFu, Bytes("abc"), 3));
    EXPECT_EQ(0xCBF43926u, ~ALCrc32Update(0xFFFFFFFFu, Bytes("123456789"), 9));
    std::string sample = SampleBytes(12300);
    for (size_t length : {0, 1, 7, 8, 9, 63, 4079, 4080, 4081, 4096, 8167, 12300}) {
        DWORD stepped = 0xFFFFFFFFu;
        for (size_t i = 0; i < length; ++i)
            stepped = ALCrc32Update(stepped, Bytes(sample) + i, 1);
        ASSERT_EQ(stepped, ALCrc32Update(0xFFFFFFFFu, Bytes(sample), length)) << length;
    }
}

TEST(ALEngines, RoundTripsThroughFilesWithMatchingCrcs)
{
    struct Row {
        std::shared_ptr<ALCompressor> compressor;
        std::shared_ptr<ALDecompressor> decompressor;
        size_t size;
    } rows[] = {
        {std::make_shared<ALCopyCompressor>(), std::make_shared<ALCopyDecompressor>(), 10000},
        {std::make_shared<ALDeflateCompressor>(0), std::make_shared<ALInflateDecompressor>(), 70000},
        {std::make_shared<ALDeflateCompressor>(1), std::make_shared<ALInflateDecompressor>(), 100000},
        {std::make_shared<ALDeflateCompressor>(6), std::make_shared<ALInflateDecompressor>(), 100000},
        {std::make_shared<ALDeflateCompressor>(9, 9, 1), std::make_shared<ALInflateDecompressor>(), 4096},
        {std::make_shared<ALDeflateCompressor>(6), std::make_shared<ALInflateDecompressor>(), 0},
    };
    for (const Row &row : rows) {
        std::string original = SampleBytes(row.size);
        WriteBytes("plain.bin", original);
        ALFileStorage plain("plain.bin"), packed("packed.bin"), unpacked("unpacked.bin");
        ASSERT_EQ(0, row.compressor->Compress(plain, packed)) << row.compressor->GetEngineName();
        DWORD packedCrc = plain.GetCrc();
        EXPECT_EQ(~ALCrc32Update(0xFFFFFFFFu, Bytes(original), original.size()), ~packedCrc);
        if (row.size == 0 && row.compressor->GetEngineType() == AL_ENGINE_DEFLATE) {
            EXPECT_EQ(2u, ReadBytes("packed.bin").size()) << "an empty raw deflate stream";
        }
        ASSERT_EQ(0, row.decompressor->Decompress(packed, unpacked)) << row.compressor->GetEngineName();
        EXPECT_EQ(packedCrc, unpacked.GetCrc());
        EXPECT_TRUE(original == ReadBytes("unpacked.bin")) << row.compressor->GetEngineName() << " " << row.size;
    }
}

TEST(ALEngines, DecompressStopsAtTheGivenLength)
{
    WriteBytes("plain.bin", SampleBytes(30000));
    ALFileStorage plain("plain.bin"), packed("packed.bin");
    ALDeflateCompressor().Compress(plain, packed);
    std::string stream = ReadBytes("packed.bin");
    for (auto *engine : {static_cast<ALDecompressor *>(new ALInflateDecompressor),
                         static_cast<ALDecompressor *>(new ALCopyDecompressor)}) {
        std::unique_ptr<ALDecompressor> owned(engine);
        WriteBytes("followed.bin", stream + "TRAILING BYTES THAT ARE NO DEFLATE DATA");
        ALFileStorage followed("followed.bin"), out("out.bin");
        ASSERT_EQ(0, followed.Open());
        EXPECT_EQ(0, engine->Decompress(followed, out, static_cast<LONG>(stream.size())));
        EXPECT_EQ(static_cast<LONG>(stream.size()), followed.Tell()) << engine->GetEngineName();
        followed.Close();
        std::string expected = engine->GetEngineType() == AL_ENGINE_COPY ? stream : SampleBytes(30000);
        EXPECT_TRUE(expected == ReadBytes("out.bin")) << engine->GetEngineName();
    }
}

TEST(ALEngines, CloneTableNamesAndOptions)
{
    ALCopyCompressor copy;
    ALDeflateCompressor normal(6), maximum(9), odd(12);
    ALInflateDecompressor inflate;
    EXPECT_STREQ("???", odd.GetEngineName());
    EXPECT_EQ(-1, odd.GetLevel());
    struct Row {
        const ALCompressor *prototype;
        int type;
        int expectedType; // -2: no clone
        const char *name;
        int option;
    } rows[] = {
        {&copy, -1, 0, "Binary copy", 0},        {&copy, 108, -2, nullptr, 0},
        {&normal, 0, 0, "Binary copy", 0},       {&normal, 100, 0, "Binary copy", 0},
        {&normal, 109, 108, "Deflate Normal", 1}, {&normal, 111, 108, "Deflate Normal", 3},
        {&maximum, -1, 108, "Deflate Maximum", 0}, {&normal, 101, -2, nullptr, 0},
        {&normal, 112, -2, nullptr, 0},
    };
    for (const Row &row : rows) {
        std::unique_ptr<ALCompressor> clone(row.prototype->Clone(row.type));
        SCOPED_TRACE(row.type);
        if (row.expectedType == -2) {
            EXPECT_EQ(nullptr, clone);
            continue;
        }
        ASSERT_NE(nullptr, clone);
        EXPECT_EQ(row.expectedType, clone->GetEngineType());
        EXPECT_STREQ(row.name, clone->GetEngineName());
        if (auto *deflate = dynamic_cast<ALDeflateCompressor *>(clone.get())) {
            EXPECT_EQ(row.option, deflate->GetOption());
        }
    }
    WriteBytes("one.bin", "1");
    ALFileStorage one("one.bin"), none("none.bin");
    ALDeflateCompressor badWindow(6, 16, 8);
    EXPECT_EQ(AL_NO_ENGINE, badWindow.Compress(one, none));
    EXPECT_STREQ("Error creating deflate engine. ZLIB returned -2\n", badWindow.mStatus.GetStatusDetail());
    std::unique_ptr<ALDecompressor> inflate110(inflate.Clone(110));
    EXPECT_EQ(2, static_cast<ALInflateDecompressor *>(inflate110.get())->GetOption());
}

TEST(ALPrototypeSet, SearchesInOrderAndCopiesByCloning)
{
    ALPrototypeSet set{ALInflateDecompressor()};
    set.Add(ALCopyDecompressor()).Add(ALFileStorage()).Add(ALDeflateCompressor(9));
    std::unique_ptr<ALDecompressor> copy(set.CreateDecompressor(100));
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(AL_ENGINE_COPY, copy->GetEngineType());
    EXPECT_EQ(nullptr, set.CreateDecompressor(101));
    EXPECT_EQ(nullptr, ALPrototypeSet().CreateCompressor(-1));
    EXPECT_EQ(nullptr, set.CreateDecryptor(-1));
    ALPrototypeSet copied(set);
    std::unique_ptr<ALCompressor> deflate(copied.CreateCompressor(-1));
    ASSERT_NE(nullptr, deflate);
    EXPECT_STREQ("Deflate Maximum", deflate->GetEngineName());
    std::unique_ptr<ALStorage> storage(copied.CreateStorage("x.txt", AL_STORAGE_FILE));
    ASSERT_NE(nullptr, storage);
    EXPECT_STREQ("x.txt", storage->mName.GetName());
    EXPECT_EQ(nullptr, copied.CreateStorage("x.txt", 2));
}

#if !defined(_WIN32) // the fault switch is a hook of the POSIX layer only
TEST(ALEngines, WriteFailureDuringDeflateIsTheEngineStatus)
{
    WriteBytes("plain.bin", SampleBytes(200000));
    ALFileStorage plain("plain.bin"), packed("packed.bin");
    ALDeflateCompressor engine(0);
    QorInjectFault("_write", 2, ERROR_DISK_FULL);
    EXPECT_EQ(AL_WRITE_FAILED, engine.Compress(plain, packed));
    QorClearFaults();
    EXPECT_STREQ(packed.mStatus.GetStatusDetail(), engine.mStatus.GetStatusDetail());
}
#endif

TEST(ALEngines, DamagedStreamEndsShortWithoutAnError)
{
    WriteBytes("plain.bin", SampleBytes(50000));
    ALFileStorage plain("plain.bin"), packed("packed.bin");
    ALDeflateCompressor().Compress(plain, packed);
    DWORD crc = plain.GetCrc();
    std::string stream = ReadBytes("packed.bin");
    stream[stream.size() / 2] ^= 0x55;
    WriteBytes("damaged.bin", stream);
    ALFileStorage damaged("damaged.bin"), out("out.bin");
    EXPECT_EQ(0, ALInflateDecompressor().Decompress(damaged, out)) << "the caller's CRC comparison finds the damage";
    EXPECT_NE(crc, out.GetCrc());
}
