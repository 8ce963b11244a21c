// zip_command.cpp: `qor zip list|info|test|extract|create`: ZIP files listed with sizes, ratios, dates
// and CRCs, summed up, checked, extracted and created through the library's ZIP class and the archive
// engine under it, with a progress bar on a terminal.
#include "QorToolCommand.h"
#include "native_path.h"
#include "zip_bounded_storage.h"
#include "zip_progress.h"
#include "zip_test_storage.h"

#include "ALArchive.h"
#include "ALDirRecord.h"
#include "ALStorage.h"
#include "QorZipUtil.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

namespace qor::tool {

namespace {

namespace fs = std::filesystem;

struct ZipOptions {
    std::string archive;
    std::vector<std::string> items; // members to extract, or files and patterns to add
    std::string folder = ".";
    bool stripPaths = false;
};

// A path made absolute against the current folder, which extraction changes while it works.
std::string Absolute(const std::string &path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(NativePath(path), error);
    if (error)
        throw UsageError(Echo(path) + ": " + error.message());
    return NativeName(absolute.lexically_normal());
}

// Without ZIP64 an archive holds at most 65,535 members of less than 4 GB each: its counts and sizes are
// 16 and 32 bits wide. A file must leave room for the little that deflate may add (5 bytes a block). The
// engine's positions are signed 32-bit values, so it stops with a seek failure where an archive would
// pass 2 GB.
constexpr int kMostMembers = 0xFFFF;
constexpr unsigned long long kLargestFile = 0xFFFFFFFFull - (1ull << 20);
constexpr unsigned long long kLargestArchive = 0x7FFFFFFFull;

// Why the directory of the archive cannot be read: the engine's reason, or the size it cannot reach.
std::string DirectoryFailure(const std::string &archive)
{
    std::error_code error;
    if (fs::file_size(NativePath(archive), error) > kLargestArchive && !error)
        return "larger than the 2 GB the archive engine reads";
    ALZipArchive zip(archive.c_str());
    ALEntryList list;
    zip.ReadDirectory(list);
    return zip.mStatus.GetStatusDetail();
}

struct RecordsDeleter {
    void operator()(ALDirRecord *records) const { ALFreeDirRecords(records); }
};
using Records = std::unique_ptr<ALDirRecord, RecordsDeleter>;

Records ReadRecords(const std::string &archive, int &count)
{
    int status = 0;
    Records records(ALReadDirRecords(archive.c_str(), &count, &status));
    if (!records)
        throw CommandError(Echo(archive) + ": " + DirectoryFailure(archive));
    return records;
}

const char *MethodName(const ALDirRecord &record)
{
    static const char *const kDeflate[] = {"Defl:N", "Defl:X", "Defl:F", "Defl:S"};
    return record.cLevel == 0 ? "Stored" : record.cLevel <= 4 ? kDeflate[record.cLevel - 1] : "Defl:?";
}

int Ratio(unsigned long long size, unsigned long long compressed)
{
    return size == 0 ? 0 : static_cast<int>((static_cast<long long>(size) - static_cast<long long>(compressed)) * 100 /
                                            static_cast<long long>(size));
}

void ListArchive(const ZipOptions &options)
{
    int count = 0;
    const Records records = ReadRecords(options.archive, count);
    std::printf("  Length  Method       Size  Ratio  Date       Time   CRC-32    Name\n"
                "--------  ------  ---------  -----  ---------- -----  --------  ----\n");
    unsigned long long totalSize = 0, totalCompressed = 0;
    for (int i = 0; i < count; ++i) {
        const ALDirRecord &r = records.get()[i];
        const auto size = static_cast<DWORD>(r.lSize), compressed = static_cast<DWORD>(r.lCompressedSize);
        std::printf("%8lu  %-6s  %9lu  %4d%%  %04d-%02d-%02d %02d:%02d  %08lx  %s%s\n", (unsigned long)size,
                    MethodName(r), (unsigned long)compressed, Ratio(size, compressed), r.sYear, r.sMonth, r.sDay,
                    r.sHour, r.sMinute, (unsigned long)(~r.ulCrc32 & 0xFFFFFFFFu), r.szName,
                    r.sEncrypted != 0 ? " (encrypted)" : "");
        totalSize += size;
        totalCompressed += compressed;
    }
    std::printf("--------          ---------  -----                              ----\n"
                "%8llu          %9llu  %4d%%                              %d file%s\n",
                totalSize, totalCompressed, Ratio(totalSize, totalCompressed), count, count == 1 ? "" : "s");
}

void ShowInfo(const ZipOptions &options)
{
    int count = 0;
    const Records records = ReadRecords(options.archive, count);
    CQorString first, info;
    if (FAILED(CQorZipFile(options.archive.c_str()).GetZIPInfo(first, info)))
        throw CommandError(Echo(options.archive) + ": the archive has no members");
    std::printf("%s\n", (const char *)info);
    const char *comment = records.get()[count].szComment;
    if (comment != nullptr && *comment != '\0')
        std::printf("Comment: %s\n", comment);
}

// Every member's data inflated into a storage that keeps nothing, so that its CRC is checked.
void TestArchive(const ZipOptions &options)
{
    ALPrototypeSet prototypes{DiscardingStorage()};
    prototypes.Add(ALInflateDecompressor()).Add(ALCopyDecompressor());
    ZipProgress progress;
    ALCallbackMonitor monitor(progress.Callback());
    ALEntryList list(&monitor, prototypes);
    ALZipArchive zip(options.archive.c_str());
    if (zip.ReadDirectory(list) < 0)
        throw CommandError(Echo(options.archive) + ": " + DirectoryFailure(options.archive));
    std::vector<std::string> names;
    std::vector<DWORD> declared; // each member's size in the directory
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry)) {
        names.push_back(entry->GetStorage()->mName.GetName());
        declared.push_back(static_cast<DWORD>(entry->GetStorage()->GetSize()));
        entry->GetStorage()->mName = "member"; // nothing is written, so no stored name needs checking
        if (entry->IsEncrypted())
            entry->ClearMark();
    }
    zip.Extract(list);
    progress.Finish();
    size_t failed = 0, index = 0;
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry), ++index) {
        const ALStorage &storage = *entry->GetStorage();
        const auto size = static_cast<DWORD>(storage.GetSize());
        std::string verdict = entry->IsEncrypted() ? "skipped (encrypted)"
                              : storage.mStatus < 0 ? storage.mStatus.GetStatusDetail()
                              : size != declared[index] ? std::to_string(size) + " bytes where the archive declares " +
                                                              std::to_string(declared[index])
                                                        : "OK";
        failed += entry->IsMarked() && verdict != "OK" ? 1 : 0;
        std::printf("    testing: %-40s %s\n", names[index].c_str(), verdict.c_str());
    }
    if (failed > 0 || zip.mStatus < 0)
        throw CommandError(Echo(options.archive) + ": " +
                           (failed > 0 ? std::to_string(failed) + " of " + std::to_string(names.size()) +
                                             " members failed the test"
                                       : zip.mStatus.GetStatusDetail()));
    std::printf("No errors detected in compressed data of %s.\n", options.archive.c_str());
}

// Marks the members that match one of the patterns (all when there are none) and are not encrypted;
// answers how many.
int MarkMembers(ALEntryList &list, const std::vector<std::string> &patterns)
{
    int marked = 0;
    std::vector<bool> used(patterns.size());
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry)) {
        const char *name = entry->GetStorage()->mName.GetName();
        bool match = patterns.empty();
        for (size_t p = 0; p < patterns.size(); ++p)
            if (ALNameString(name, AL_CASE_MIXED).WildCardMatch(patterns[p].c_str()))
                match = used[p] = true;
        if (match && entry->IsEncrypted())
            std::cerr << "qor zip: skipping " << Echo(name) << ": encrypted\n";
        if (match && !entry->IsEncrypted())
            ++marked;
        else
            entry->ClearMark();
    }
    for (size_t p = 0; p < patterns.size(); ++p)
        if (!used[p])
            throw CommandError(Echo(patterns[p]) + ": no member matches");
    return marked;
}

// Names every member that could not be written (the engine goes on with the others); answers how many.
int ReportFailedMembers(ALEntryList &list)
{
    int failed = 0;
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry)) {
        const ALStorage &storage = *entry->GetStorage();
        if (entry->IsMarked() && storage.mStatus < 0) {
            std::cerr << "qor zip: " << Echo(storage.mName.GetName()) << ": " << storage.mStatus.GetStatusDetail() << "\n";
            ++failed;
        }
    }
    return failed;
}

void ExtractArchive(ZipOptions options)
{
    options.archive = Absolute(options.archive);
    options.folder = Absolute(options.folder);
    std::error_code error;
    fs::create_directories(NativePath(options.folder), error);
    if (error)
        throw CommandError(Echo(options.folder) + ": " + error.message());
    ALPrototypeSet prototypes{BoundedFileStorage()};
    prototypes.Add(ALInflateDecompressor()).Add(ALCopyDecompressor());
    ZipProgress progress;
    ALCallbackMonitor monitor(progress.Callback());
    ALEntryList list(&monitor, prototypes);
    ALZipArchive zip(options.archive.c_str());
    const int members = zip.ReadDirectory(list);
    if (members < 0)
        throw CommandError(Echo(options.archive) + ": " + DirectoryFailure(options.archive));
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry)) {
        auto *storage = static_cast<BoundedFileStorage *>(entry->GetStorage()); // all made by the prototype
        storage->SetLimit(static_cast<DWORD>(storage->GetSize()));
    }
    const int marked = MarkMembers(list, options.items);
    list.SetExtractWithoutPath(options.stripPaths);
    const fs::path previous = fs::current_path();
    fs::current_path(NativePath(options.folder), error);
    if (error)
        throw CommandError(Echo(options.folder) + ": " + error.message());
    zip.Extract(list);
    progress.Finish();
    fs::current_path(previous, error);
    const int failed = ReportFailedMembers(list);
    if (failed == 0 && zip.mStatus < 0)
        throw CommandError(Echo(options.archive) + ": " + zip.mStatus.GetStatusDetail());
    std::printf("extracted %d of %d members to %s\n", marked - failed, members, options.folder.c_str());
    if (failed > 0)
        throw CommandError(Echo(options.archive) + ": " + std::to_string(failed) + " of " + std::to_string(marked) +
                           " members could not be extracted");
}

// Adds the files of a folder and its subfolders, in name order.
void AddFolder(ALEntryList &list, const fs::path &folder)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    const ALPrototypeSet &prototypes = list.GetPrototypes();
    for (const fs::path &file : files)
        new ALEntry(list, prototypes.CreateStorage(NativeName(file).c_str(), AL_STORAGE_ANY),
                    prototypes.CreateCompressor(AL_ENGINE_ANY), nullptr);
}

void AddItem(ALEntryList &list, const std::string &item)
{
    std::error_code error;
    if (fs::is_directory(NativePath(item), error)) {
        AddFolder(list, NativePath(item));
        return;
    }
    if (item.find('"') != std::string::npos || item.size() > 257)
        throw UsageError(Echo(item) + ": a name holding '\"' or longer than 257 characters cannot be added");
    if (list.AddWildCardFiles(("\"" + item + "\"").c_str(), false) == 0)
        throw CommandError(Echo(item) + ": no such file");
}

// The archive never packs an older version of itself, nor a device or pipe, whose data may never end.
void UnmarkArchiveAndSpecialFiles(ALEntryList &list, const std::string &archive)
{
    std::error_code error;
    const bool archiveExists = fs::exists(NativePath(archive), error);
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry)) {
        const char *text = entry->GetStorage()->mName.GetName();
        const fs::path name = NativePath(text);
        if (archiveExists && fs::equivalent(name, NativePath(archive), error)) {
            entry->ClearMark();
        } else if (fs::exists(name, error) && !fs::is_regular_file(name, error)) {
            std::cerr << "qor zip: skipping " << Echo(text) << ": not a regular file\n";
            entry->ClearMark();
        }
    }
}

// Refuses marked entries that the format cannot hold: none at all, too many, or a file too large.
void RefuseWhatCannotFit(ALEntryList &list, const std::string &archive)
{
    int marked = 0;
    for (ALEntry *entry = list.GetFirstEntry(); entry != nullptr; entry = list.GetNextEntry(entry)) {
        if (!entry->IsMarked())
            continue;
        ++marked;
        std::error_code error;
        const std::string name = entry->GetStorage()->mName.GetName();
        if (fs::file_size(NativePath(name), error) > kLargestFile && !error)
            throw CommandError(Echo(name) + ": larger than a ZIP archive without ZIP64 holds (4 GB)");
    }
    if (marked == 0)
        throw CommandError(Echo(archive) + ": nothing to add");
    if (marked > kMostMembers)
        throw CommandError(Echo(archive) + ": " + std::to_string(marked) +
                           " files are more than a ZIP archive without ZIP64 holds (65,535)");
}

void CreateArchive(const ZipOptions &options)
{
    // Named for this process, so that two runs making the same archive never write into one file.
    const std::string temporary = options.archive + "." + std::to_string(GetCurrentProcessId()) + ".qor-partial";
    ALPrototypeSet prototypes{ALFileStorage("")};
    prototypes.Add(ALDeflateCompressor(6, 15, 8)).Add(ALCopyCompressor());
    ZipProgress progress;
    ALCallbackMonitor monitor(progress.Callback());
    ALEntryList list(&monitor, prototypes);
    for (const std::string &item : options.items)
        AddItem(list, item);
    UnmarkArchiveAndSpecialFiles(list, options.archive);
    list.UnmarkDuplicates(list, nullptr);
    RefuseWhatCannotFit(list, options.archive);
    list.SetStoreWithoutPath(options.stripPaths);
    ALZipArchive zip(temporary.c_str());
    const int written = zip.Create(list);
    progress.Finish();
    std::error_code error;
    if (written >= 0)
        fs::rename(NativePath(temporary), NativePath(options.archive), error);
    if (written < 0 || error) {
        std::error_code ignored;
        const bool tooLarge = written < 0 && fs::file_size(NativePath(temporary), ignored) > kLargestArchive;
        fs::remove(NativePath(temporary), ignored);
        throw CommandError(Echo(options.archive) + ": " +
                           (tooLarge      ? "the packed files pass 2 GB, more than the archive engine writes"
                            : written < 0 ? zip.mStatus.GetStatusDetail()
                                          : error.message()));
    }
    std::printf("added %d files to %s\n", written, options.archive.c_str());
}

} // namespace

void AddZipCommand(CLI::App &app)
{
    CLI::App *zip = app.add_subcommand("zip", "List, test, extract and create ZIP archives");
    zip->require_subcommand(1);
    auto options = std::make_shared<ZipOptions>();
    auto addArchive = [&](CLI::App *command) {
        command->add_option("archive", options->archive, "The ZIP file")->required();
    };
    CLI::App *list = zip->add_subcommand("list", "Members with sizes, method, ratio, date, time and CRC-32");
    addArchive(list);
    list->callback([options] { ListArchive(*options); });
    CLI::App *info = zip->add_subcommand("info", "Member count, total size, compression and the archive comment");
    addArchive(info);
    info->callback([options] { ShowInfo(*options); });
    CLI::App *test = zip->add_subcommand("test", "Check every member's data against its CRC-32, writing nothing");
    addArchive(test);
    test->callback([options] { TestArchive(*options); });
    CLI::App *extract = zip->add_subcommand("extract", "Extract all members, or those matching the patterns");
    addArchive(extract);
    extract->add_option("members", options->items, "Member names or patterns (* ? [a-z]); none: all");
    extract->add_option("-d,--folder", options->folder, "Folder to extract into (made when missing); default: .");
    extract->add_flag("-j,--strip-paths", options->stripPaths, "Write members under their bare names");
    extract->footer("Existing files are overwritten. Members whose names lead outside the folder are not written.\n"
                    "Example:\n  qor zip extract backup.zip -d restore 'docs/*.txt'");
    extract->callback([options] { ExtractArchive(*options); });
    CLI::App *create = zip->add_subcommand("create", "Write a new archive of files, patterns and folders");
    addArchive(create);
    create->add_option("files", options->items, "Files, patterns (* ?) and folders (taken whole)")->required();
    create->add_flag("-j,--strip-paths", options->stripPaths, "Store bare file names, without their folders");
    create->footer("Every file is deflated at level 6 and stored once. The archive is written under a temporary\n"
                   "name and replaces ARCHIVE only when complete. Devices and pipes are skipped. An archive holds\n"
                   "at most 65,535 files, each under 4 GB, and 2 GB in all.\nExample:\n  qor zip create backup.zip docs '*.txt'");
    create->callback([options] { CreateArchive(*options); });
    zip->footer("Exit status: 0 on success, 1 when the archive cannot be read or written or a member fails,\n"
                "2 for bad input.");
}

} // namespace qor::tool
