// alzip_driver.cpp: the library's side of the ZIP benchmark (bench/zip_corpus.py) where the qor tool
// is not at hand: the archive engine's own jobs, as a program using the library would run them.
//   alzip_driver create ARCHIVE FOLDER   every file under FOLDER (names relative to it), deflate level 6
//   alzip_driver extract ARCHIVE FOLDER  every member into FOLDER
#include "ALArchive.h"
#include "ALEngine.h"
#include "ALEntry.h"
#include "ALStorage.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// A duplicate name (names compare without regard to case, as on Windows) leaves that file out and
// writes the rest, so it is a warning here; any other failure fails the run.
int Report(const char *job, const ALErrorStatus &status, int result)
{
    if (result >= 0)
        return 0;
    std::fprintf(stderr, "alzip_driver: %s: %s\n", job, status.GetStatusDetail());
    return result == AL_DUPLICATE_ENTRY ? 0 : 1;
}

int Create(const std::string &archiveName, const char *folder)
{
    std::filesystem::current_path(folder);
    ALEntryList list(nullptr, ALPrototypeSet(ALDeflateCompressor(6)).Add(ALFileStorage()));
    if (list.AddWildCardFiles("*", true) <= 0) {
        std::fprintf(stderr, "alzip_driver: no files in %s\n", folder);
        return 1;
    }
    ALZipArchive archive(archiveName.c_str());
    return Report("create", archive.mStatus, archive.Create(list));
}

int Extract(const std::string &archiveName, const char *folder)
{
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    ALEntryList list(nullptr,
                     ALPrototypeSet(ALInflateDecompressor()).Add(ALCopyDecompressor()).Add(ALFileStorage()));
    ALZipArchive archive(archiveName.c_str());
    int result = archive.ReadDirectory(list);
    if (result >= 0)
        result = archive.Extract(list);
    return Report("extract", archive.mStatus, result);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "create") != 0 && std::strcmp(argv[1], "extract") != 0)) {
        std::fprintf(stderr, "usage: alzip_driver create|extract ARCHIVE FOLDER\n");
        return 2;
    }
    // The jobs change the current folder, so the archive's name is made absolute first.
    const std::string archive = std::filesystem::absolute(argv[2]).string();
    return std::strcmp(argv[1], "create") == 0 ? Create(archive, argv[3]) : Extract(archive, argv[3]);
}
