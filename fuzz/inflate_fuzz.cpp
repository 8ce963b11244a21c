// inflate_fuzz.cpp: any bytes as a raw deflate stream through the inflate engine, file to file: no
// crash, no hang, and exactly the bytes (and CRC) that zlib gives when handed the whole buffer.
#include "ALCrc32.h"
#include "ALEngine.h"
#include "ALStorage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <zlib.h>

namespace {

std::string ScratchFolder()
{
    static const std::string folder = [] {
        char name[] = "/tmp/qor-inflate-fuzz-XXXXXX";
        return std::string(mkdtemp(name));
    }();
    return folder;
}

// What zlib inflates from the whole buffer before the stream ends or breaks.
std::string InflateWhole(const uint8_t *data, size_t size)
{
    z_stream stream{};
    inflateInit2(&stream, -MAX_WBITS);
    stream.next_in = const_cast<Bytef *>(data);
    stream.avail_in = static_cast<uInt>(size);
    std::string out;
    unsigned char chunk[4096];
    int result;
    do {
        stream.next_out = chunk;
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(reinterpret_cast<char *>(chunk), sizeof chunk - stream.avail_out);
    } while (result == Z_OK);
    inflateEnd(&stream);
    return out;
}

std::string ReadAll(const std::string &path)
{
    std::string bytes;
    if (FILE *file = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            bytes.append(chunk, got);
        std::fclose(file);
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string input = ScratchFolder() + "/in.bin", output = ScratchFolder() + "/out.bin";
    FILE *file = std::fopen(input.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    ALFileStorage in(input.c_str()), out(output.c_str());
    if (ALInflateDecompressor().Decompress(in, out) != 0)
        std::abort();
    std::string expected = InflateWhole(data, size);
    if (ReadAll(output) != expected)
        std::abort();
    DWORD crc = ALCrc32Update(0xFFFFFFFFu, reinterpret_cast<const unsigned char *>(expected.data()), expected.size());
    if (out.GetCrc() != crc)
        std::abort();
    return 0;
}
