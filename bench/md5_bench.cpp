// md5_bench.cpp: CQorMd5 against OpenSSL's MD5 (the EVP interface, as a program calls it today) over
// the same 1 MiB buffer in the same run, and over 64-byte messages, where the per-digest cost shows.
#include "QorMd5.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <vector>

namespace {

std::vector<unsigned char> Buffer(size_t size)
{
    std::vector<unsigned char> buffer(size);
    unsigned state = 12345;
    for (unsigned char &byte : buffer)
        byte = (unsigned char)((state = state * 1103515245 + 12345) >> 16);
    return buffer;
}

void QorMd5Digest(benchmark::State &state)
{
    const std::vector<unsigned char> buffer = Buffer((size_t)state.range(0));
    for (auto _ : state) {
        CQorMd5 md5(buffer.data(), (unsigned int)buffer.size());
        benchmark::DoNotOptimize((tagMD5BINARY *)md5);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * state.range(0));
}

void OpenSslMd5Digest(benchmark::State &state)
{
    const std::vector<unsigned char> buffer = Buffer((size_t)state.range(0));
    EVP_MD_CTX *context = EVP_MD_CTX_new();
    unsigned char digest[EVP_MAX_MD_SIZE];
    for (auto _ : state) {
        unsigned int length = 0;
        EVP_DigestInit_ex(context, EVP_md5(), nullptr);
        EVP_DigestUpdate(context, buffer.data(), buffer.size());
        EVP_DigestFinal_ex(context, digest, &length);
        benchmark::DoNotOptimize(digest);
    }
    EVP_MD_CTX_free(context);
    state.SetBytesProcessed((int64_t)state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(QorMd5Digest)->Arg(1 << 20)->Arg(64);
BENCHMARK(OpenSslMd5Digest)->Arg(1 << 20)->Arg(64);
