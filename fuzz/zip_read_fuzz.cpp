// zip_read_fuzz.cpp: any bytes as a ZIP file: the directory is read and every member extracted into a
// scratch folder that is emptied on every run. No crash, no hang, a result that is a count or one of
// the engine's codes, and nothing written beside the target folder.
#include "ALArchive.h"
#include "ALStorage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const fs::path &ScratchFolder()
{
    static const fs::path folder = [] {
        char name[] = "/tmp/qor-zip-read-fuzz-XXXXXX";
        return fs::path(mkdtemp(name));
    }();
    return folder;
}

void WriteArchive(const fs::path &path, const uint8_t *data, size_t size)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
}

// Only the archive and the target folder may be there: anything else was written outside it.
void CheckNothingEscaped(const fs::path &scratch)
{
    for (const fs::directory_entry &item : fs::directory_iterator(scratch)) {
        std::string name = item.path().filename().string();
        if (name != "in.zip" && name != "out") {
            std::fprintf(stderr, "member written outside the target folder: %s\n", name.c_str());
            std::abort();
        }
    }
}

bool IsEngineResult(int result) { return result >= 0 || (result <= -1970 && result >= -1999) || result == -1200; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fs::path &scratch = ScratchFolder();
    const fs::path target = scratch / "out";
    std::error_code ignored;
    fs::permissions(target, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(target, ignored);
    fs::create_directories(target);
    WriteArchive(scratch / "in.zip", data, size);
    if (chdir(target.c_str()) != 0)
        std::abort();

    ALPrototypeSet prototypes = ALPrototypeSet(ALInflateDecompressor()).Add(ALCopyDecompressor()).Add(ALFileStorage());
    ALEntryList list(nullptr, prototypes);
    ALZipArchive archive("../in.zip");
    int listed = archive.ReadDirectory(list);
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry))
        if (entry->IsEncrypted())
            entry->ClearMark(); // as callers do: no engine could decrypt them
    int extracted = listed >= 0 ? archive.Extract(list) : 0;
    if (!IsEngineResult(listed) || !IsEngineResult(extracted))
        std::abort();
    if (chdir(scratch.c_str()) != 0)
        std::abort();
    CheckNothingEscaped(scratch);
    return 0;
}
