// archive_bench.cpp: the archive engine against zlib called directly, in the same run: CRC-32 of a
// 1 MiB buffer (ALCrc32Update against zlib's crc32), and deflate and inflate of 4 MiB of system
// headers through the engines and file storages (file to file) against zlib on whole buffers, and
// against zlib doing the same file-to-file job as plain C over the engines' fixed 4 KiB buffers
// (read, zlib, crc32, write): the floor of that design, which tells the engines' own cost apart.
#include "ALCrc32.h"
#include "ALEngine.h"
#include "ALStorage.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr size_t kSampleSize = 4 << 20;

// Real text: the C headers of the build machine, up to 4 MiB.
const std::string &Sample()
{
    static const std::string sample = [] {
        std::string bytes;
        for (const auto &entry : std::filesystem::recursive_directory_iterator("/usr/include")) {
            if (bytes.size() >= kSampleSize)
                break;
            if (entry.is_regular_file() && entry.path().extension() == ".h") {
                std::ostringstream text;
                text << std::ifstream(entry.path(), std::ios::binary).rdbuf();
                bytes += text.str();
            }
        }
        bytes.resize(kSampleSize, ' ');
        return bytes;
    }();
    return sample;
}

std::string ScratchPath(const char *name) { return (std::filesystem::temp_directory_path() / name).string(); }

void WriteFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string RawDeflate(const std::string &input)
{
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, input.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.data()));
    stream.avail_in = static_cast<uInt>(input.size());
    stream.next_out = reinterpret_cast<Bytef *>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

void RawInflate(const std::string &input, std::string &out)
{
    z_stream stream{};
    inflateInit2(&stream, -MAX_WBITS);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.data()));
    stream.avail_in = static_cast<uInt>(input.size());
    stream.next_out = reinterpret_cast<Bytef *>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
}

constexpr unsigned kBlock = 4096; // the storages' buffer size

// Deflate or inflate from file to file as a C programmer would with zlib over 4 KiB buffers, the CRC
// of the plain side with zlib's crc32. `step` makes one zlib call, told whether the input has ended.
template <class Step>
uLong StreamFileToFile(const std::string &from, const std::string &to, bool crcOfInput, Step step)
{
    int in = open(from.c_str(), O_RDONLY), out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    unsigned char input[kBlock], output[kBlock];
    z_stream stream{};
    uLong crc = crc32(0, nullptr, 0);
    int result = Z_OK;
    bool ended = false;
    do {
        if (stream.avail_in == 0 && !ended) {
            ssize_t got = read(in, input, kBlock);
            ended = got <= 0;
            stream.next_in = input;
            stream.avail_in = got > 0 ? static_cast<uInt>(got) : 0;
            if (crcOfInput)
                crc = crc32(crc, input, stream.avail_in);
        }
        stream.next_out = output;
        stream.avail_out = kBlock;
        result = step(stream, ended);
        unsigned produced = kBlock - stream.avail_out;
        if (!crcOfInput)
            crc = crc32(crc, output, produced);
        if (produced > 0 && write(out, output, produced) != static_cast<ssize_t>(produced))
            break;
    } while (result == Z_OK || (result == Z_BUF_ERROR && !ended));
    close(in);
    close(out);
    return crc;
}

const unsigned char *Bytes(const std::string &text) { return reinterpret_cast<const unsigned char *>(text.data()); }

void AlCrc32(benchmark::State &state)
{
    const std::string data = Sample().substr(0, 1 << 20);
    for (auto _ : state)
        benchmark::DoNotOptimize(ALCrc32Update(0xFFFFFFFFu, Bytes(data), data.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

void ZlibCrc32(benchmark::State &state)
{
    const std::string data = Sample().substr(0, 1 << 20);
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32(0, Bytes(data), static_cast<uInt>(data.size())));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

void EngineDeflate(benchmark::State &state)
{
    const std::string in = ScratchPath("qor-bench-plain.bin"), out = ScratchPath("qor-bench-packed.bin");
    WriteFile(in, Sample());
    for (auto _ : state) {
        ALFileStorage input(in.c_str()), output(out.c_str());
        ALDeflateCompressor().Compress(input, output);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Sample().size()));
}

void ZlibDeflate(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(RawDeflate(Sample()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Sample().size()));
}

void EngineInflate(benchmark::State &state)
{
    const std::string in = ScratchPath("qor-bench-packed.bin"), out = ScratchPath("qor-bench-unpacked.bin");
    WriteFile(in, RawDeflate(Sample()));
    for (auto _ : state) {
        ALFileStorage input(in.c_str()), output(out.c_str());
        ALInflateDecompressor().Decompress(input, output);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Sample().size()));
}

void ZlibDeflateFileToFile(benchmark::State &state)
{
    const std::string in = ScratchPath("qor-bench-plain.bin"), out = ScratchPath("qor-bench-packed-floor.bin");
    WriteFile(in, Sample());
    for (auto _ : state) {
        z_stream *started = nullptr;
        benchmark::DoNotOptimize(StreamFileToFile(in, out, true, [&](z_stream &stream, bool ended) {
            if (started != &stream) {
                deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
                started = &stream;
            }
            int result = deflate(&stream, ended ? Z_FINISH : Z_NO_FLUSH);
            if (result == Z_STREAM_END)
                deflateEnd(&stream);
            return result;
        }));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Sample().size()));
}

void ZlibInflateFileToFile(benchmark::State &state)
{
    const std::string in = ScratchPath("qor-bench-packed.bin"), out = ScratchPath("qor-bench-unpacked-floor.bin");
    WriteFile(in, RawDeflate(Sample()));
    for (auto _ : state) {
        z_stream *started = nullptr;
        benchmark::DoNotOptimize(StreamFileToFile(in, out, false, [&](z_stream &stream, bool) {
            if (started != &stream) {
                inflateInit2(&stream, -MAX_WBITS);
                started = &stream;
            }
            int result = inflate(&stream, Z_NO_FLUSH);
            if (result != Z_OK)
                inflateEnd(&stream);
            return result;
        }));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Sample().size()));
}

void ZlibInflate(benchmark::State &state)
{
    const std::string packed = RawDeflate(Sample());
    std::string out(Sample().size(), '\0');
    for (auto _ : state)
        RawInflate(packed, out);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Sample().size()));
}

} // namespace

BENCHMARK(AlCrc32);
BENCHMARK(ZlibCrc32);
BENCHMARK(EngineDeflate)->Unit(benchmark::kMillisecond);
BENCHMARK(ZlibDeflate)->Unit(benchmark::kMillisecond);
BENCHMARK(ZlibDeflateFileToFile)->Unit(benchmark::kMillisecond);
BENCHMARK(EngineInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(ZlibInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(ZlibInflateFileToFile)->Unit(benchmark::kMillisecond);
