// ALEngine_test.cpp: the CRC-32 register, engine round trips over real files, streams followed by other
// bytes or damaged, the clone table and prototype sets, and a write failure during deflate.
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
    return bytes.substr(0, size);
}

const unsigned char *Bytes(const std::string &text) { return reinterpret_cast<const unsigned char *>(text.data()); }
DWORD Crc(const std::string &bytes) { return ALCrc32Update(0xFFFFFFFFu, Bytes(bytes), bytes.size()); }

// Deflates `size` sample bytes into packed.bin and returns the stream.
std::string Deflated(size_t size)
{
    WriteBytes("plain.bin", SampleBytes(size));
    ALFileStorage plain("plain.bin"), packed("packed.bin");
    ALDeflateCompressor().Compress(plain, packed);
    return ReadBytes("packed.bin");
}

} // namespace

TEST(ALCrc32, RegisterFormAndEveryLengthAgainstOneByteSteps)
{
    EXPECT_TRUE(Crc("abc") == 0xCADBBE3Du && ~Crc("123456789") == 0xCBF43926u);
    std::string sample = SampleBytes(12300);
    for (size_t length : {0, 1, 7, 8, 9, 63, 4079, 4080, 4081, 4096, 8167, 12300}) {
        DWORD stepped = 0xFFFFFFFFu;
        for (size_t i = 0; i < length; ++i)
            stepped = ALCrc32Update(stepped, Bytes(sample) + i, 1);
        ASSERT_EQ(stepped, Crc(sample.substr(0, length))) << length;
    }
}

TEST(ALEngines, RoundTripsThroughFilesWithMatchingCrcs)
{
    using Inflate = ALInflateDecompressor;
    struct { std::shared_ptr<ALCompressor> compressor; std::shared_ptr<ALDecompressor> decompressor; size_t size; } rows[] = {
        {std::make_shared<ALCopyCompressor>(), std::make_shared<ALCopyDecompressor>(), 10000},
        {std::make_shared<ALDeflateCompressor>(0), std::make_shared<Inflate>(), 70000},
        {std::make_shared<ALDeflateCompressor>(1), std::make_shared<Inflate>(), 100000},
        {std::make_shared<ALDeflateCompressor>(6), std::make_shared<Inflate>(), 100000},
        {std::make_shared<ALDeflateCompressor>(9, 9, 1), std::make_shared<Inflate>(), 4096},
        {std::make_shared<ALDeflateCompressor>(6), std::make_shared<Inflate>(), 0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.compressor->GetEngineName()) + " " + std::to_string(row.size));
        std::string original = SampleBytes(row.size);
        WriteBytes("plain.bin", original);
        ALFileStorage plain("plain.bin"), packed("packed.bin"), unpacked("unpacked.bin");
        ASSERT_EQ(0, row.compressor->Compress(plain, packed));
        EXPECT_EQ(Crc(original), plain.GetCrc());
        EXPECT_TRUE(row.size || row.compressor->GetEngineType() != AL_ENGINE_DEFLATE || ReadBytes("packed.bin").size() == 2u)
            << "an empty raw deflate stream";
        ASSERT_EQ(0, row.decompressor->Decompress(packed, unpacked));
        EXPECT_TRUE(plain.GetCrc() == unpacked.GetCrc() && original == ReadBytes("unpacked.bin"));
    }
}

TEST(ALEngines, DecompressStopsAtTheGivenLengthAndDamageEndsShortWithoutAnError)
{
    std::string stream = Deflated(30000);
    ALInflateDecompressor inflate;
    ALCopyDecompressor copy;
    for (ALDecompressor *engine : {static_cast<ALDecompressor *>(&inflate), static_cast<ALDecompressor *>(&copy)}) {
        WriteBytes("followed.bin", stream + "TRAILING BYTES THAT ARE NO DEFLATE DATA");
        ALFileStorage followed("followed.bin"), out("out.bin");
        ASSERT_EQ(0, followed.Open());
        EXPECT_EQ(0, engine->Decompress(followed, out, static_cast<LONG>(stream.size())));
        EXPECT_EQ(static_cast<LONG>(stream.size()), followed.Tell()) << engine->GetEngineName();
        followed.Close();
        EXPECT_TRUE((engine == &copy ? stream : SampleBytes(30000)) == ReadBytes("out.bin")) << engine->GetEngineName();
    }
    stream = Deflated(50000);
    stream[stream.size() / 2] ^= 0x55;
    WriteBytes("damaged.bin", stream);
    ALFileStorage damaged("damaged.bin"), out("out.bin");
    EXPECT_EQ(0, ALInflateDecompressor().Decompress(damaged, out)) << "the caller's CRC comparison finds the damage";
    EXPECT_NE(Crc(SampleBytes(50000)), out.GetCrc());
}

TEST(ALEngines, CloneTableNamesAndOptions)
{
    ALCopyCompressor copy;
    ALDeflateCompressor normal(6), maximum(9), odd(12);
    EXPECT_TRUE(std::string(odd.GetEngineName()) == "???" && odd.GetLevel() == -1);
    // expectedType -2: no clone
    struct { const ALCompressor *prototype; int type, expectedType; const char *name; int option; } rows[] = {
        {&copy, -1, 0, "Binary copy", 0},         {&copy, 108, -2, nullptr, 0},
        {&normal, 0, 0, "Binary copy", 0},        {&normal, 100, 0, "Binary copy", 0},
        {&normal, 109, 108, "Deflate Normal", 1}, {&normal, 111, 108, "Deflate Normal", 3},
        {&maximum, -1, 108, "Deflate Maximum", 0}, {&normal, 101, -2, nullptr, 0}, {&normal, 112, -2, nullptr, 0}};
    for (const auto &row : rows) {
        std::unique_ptr<ALCompressor> clone(row.prototype->Clone(row.type));
        SCOPED_TRACE(row.type);
        auto *deflate = dynamic_cast<ALDeflateCompressor *>(clone.get());
        EXPECT_EQ(row.expectedType == -2 ? "none" : std::string(row.name) + " " + std::to_string(row.expectedType) + " " +
                                                          std::to_string(row.option),
                  !clone ? "none" : std::string(clone->GetEngineName()) + " " + std::to_string(clone->GetEngineType()) +
                                        " " + std::to_string(deflate ? deflate->GetOption() : 0));
    }
    WriteBytes("one.bin", "1");
    ALFileStorage one("one.bin"), none("none.bin");
    ALDeflateCompressor badWindow(6, 16, 8);
    EXPECT_TRUE(badWindow.Compress(one, none) == AL_NO_ENGINE &&
                std::string(badWindow.mStatus.GetStatusDetail()) == "Error creating deflate engine. ZLIB returned -2\n");
    std::unique_ptr<ALDecompressor> inflate110(ALInflateDecompressor().Clone(110));
    EXPECT_EQ(2, static_cast<ALInflateDecompressor *>(inflate110.get())->GetOption());
}

TEST(ALPrototypeSet, SearchesInOrderAndCopiesByCloning)
{
    ALPrototypeSet set{ALInflateDecompressor()};
    set.Add(ALCopyDecompressor()).Add(ALFileStorage()).Add(ALDeflateCompressor(9));
    std::unique_ptr<ALDecompressor> copy(set.CreateDecompressor(100));
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(AL_ENGINE_COPY, copy->GetEngineType());
    EXPECT_TRUE(!set.CreateDecompressor(101) && !ALPrototypeSet().CreateCompressor(-1) && !set.CreateDecryptor(-1));
    ALPrototypeSet copied(set);
    std::unique_ptr<ALCompressor> deflate(copied.CreateCompressor(-1));
    std::unique_ptr<ALStorage> storage(copied.CreateStorage("x.txt", AL_STORAGE_FILE));
    ASSERT_TRUE(deflate && storage);
    EXPECT_TRUE(std::string(deflate->GetEngineName()) == "Deflate Maximum" && std::string(storage->mName.GetName()) == "x.txt");
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
