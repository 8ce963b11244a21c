// trans_journal_fuzz.cpp: journals of any content beside a data file, rolled back as opening the file
// does: no crash, no hang, no read past a buffer. A roll-back that reports success has set the file's
// size to the header's original size; an incomplete journal leaves the data file as it was; a failure
// keeps the journal.
#include "QorFileTrans.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ScratchFolder()
{
    static const std::string folder = [] {
        char name[] = "/tmp/qor-trans-fuzz-XXXXXX";
        return std::string(mkdtemp(name));
    }();
    return folder;
}

void Put(const std::string &path, const void *bytes, size_t size)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    std::fwrite(bytes, 1, size, file);
    std::fclose(file);
}

long SizeOf(const std::string &path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? (long)status.st_size : -1;
}

LONG Discard(HRESULT, const char *, const char *, const char *, const char *) { return 0; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CQorError::SetExternLogFunction(Discard); // damage is logged; the fuzzer needs no log file
    const std::string dataPath = ScratchFolder() + "/fuzz.db", journalPath = ScratchFolder() + "/fuzz.qrn";
    std::string original(3000, 'd');
    Put(dataPath, original.data(), original.size());
    Put(journalPath, data, size);
    CQorFileTrans file;
    file.SetNames(dataPath.c_str());
    HRESULT result = file.Recover();
    bool journalLeft = access(journalPath.c_str(), F_OK) == 0;
    uint32_t originalSize = size >= 8 ? data[4] | data[5] << 8 | data[6] << 16 | (uint32_t)data[7] << 24 : 0;
    if (FAILED(result) != journalLeft)
        std::abort();
    if (result == S_FALSE && SizeOf(dataPath) != (long)original.size())
        std::abort();
    if (result == S_OK && SizeOf(dataPath) != (long)originalSize)
        std::abort();
    unlink(journalPath.c_str());
    return 0;
}
