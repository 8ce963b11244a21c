// QorZipFile_test.cpp: the ZIP class: listing and totals, one member extracted under a temporary name,
// all members with or without their folders, archives created from a spec, and agreement with the
// archives that Info-ZIP, 7-Zip, bsdtar and Python write (made on the host for both builds).
#include "QorZipUtil.h"

#include "QorTestFiles.h"
#include "QorZipBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

using qor::test::PathOf;
using qor::test::ReadBytes;
using qor::test::WriteBytes;
using qor::test::ZipOf;
namespace fs = std::filesystem;

CQorZipFile ZipFile(const std::string &name, const std::string &bytes)
{
    WriteBytes(PathOf(name), bytes);
    return CQorZipFile(PathOf(name).c_str());
}

std::vector<std::string> Names(CQorZipFile &zip, HRESULT expected = S_OK)
{
    CQorSimpleArray<CQorString> names;
    names.Add("left over");
    EXPECT_EQ(zip.GetFileList(names), expected);
    std::vector<std::string> out;
    for (int i = 0; i < names.GetSize(); ++i)
        out.push_back((const char *)names[i]);
    return out;
}

bool ReadOnly(const std::string &path) { return (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0; }

// Every file below `folder` with its bytes, by path relative to it.
std::map<std::string, std::string> Tree(const fs::path &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).generic_string()] = ReadBytes(entry.path().string());
    return files;
}

TEST(CQorZipFile, ListsAndSumsUpOrFails)
{
    CQorZipFile zip = ZipFile("list.zip", ZipOf({{"a.txt", "1234"}, {"dir/", ""}, {"dir/a.txt", "56"}, {"a.txt", ""}}));
    EXPECT_EQ(Names(zip), (std::vector<std::string>{"a.txt", "dir/", "dir/a.txt", "a.txt"}));
    CQorString first = "x", info;
    EXPECT_EQ(zip.GetZIPInfo(first, info), S_OK);
    EXPECT_STREQ(info, "Files: 4 Uncompressed Size: 6 Compression: 0%");
    EXPECT_STREQ(first, "");

    for (const char *bytes : {"not a zip file at all", ""}) {
        CQorZipFile bad = ZipFile("bad.zip", *bytes ? bytes : ZipOf({}));
        EXPECT_TRUE(Names(bad, E_FAIL).empty()) << "emptied even on failure";
        EXPECT_EQ(bad.GetZIPInfo(first, info), E_FAIL);
        EXPECT_EQ(bad.ExtractAll(PathOf("").c_str(), true), E_FAIL);
    }
}

TEST(CQorZipFile, ExtractFileNamesTheFileAfterATemporaryOne)
{
    CQorZipFile zip = ZipFile("one.zip", ZipOf({{"report.txt", "first"}, {"dir/report.txt", "nested"}, {"noext", "plain"},
                                                {"twice.dat", "one"}, {"twice.dat", "two"}, {"ro.txt", "ro", 0, 0, 0, 0, 0x21}}));
    const std::string folder = PathOf("one");
    fs::create_directories(folder);
    struct Row { const char *name; HRESULT result; const char *bytes; const char *extension; };
    const Row rows[] = {
        {"Report.TXT", S_OK, "first", ".TXT"},  // case aside, the extension as asked; not dir/report.txt
        {"dir\\report.txt", E_FAIL, "", ""},    // '\' is not '/'
        {"noext", S_OK, "plain", "."},          // the temporary name cut after its dot
        {"twice.dat", S_OK, "two", ".dat"},     // both into one file: the later wins
        {"ro.txt", S_OK, "ro", ".txt"},
        {"missing", E_FAIL, "", ""},
    };
    for (const Row &row : rows) {
        CQorString out = "untouched", temp;
        EXPECT_EQ(zip.ExtractFile(folder.c_str(), row.name, out, temp), row.result) << row.name;
        EXPECT_TRUE(fs::exists((const char *)temp)) << row.name << ": the temporary file is the caller's";
        if (row.result != S_OK) {
            EXPECT_STREQ(out, "untouched") << row.name;
            continue;
        }
        const std::string path(out);
        EXPECT_EQ(path.substr(path.size() - std::strlen(row.extension)), row.extension) << path;
        EXPECT_EQ(ReadBytes(path), row.bytes) << path;
        EXPECT_FALSE(ReadOnly(path)) << path;
    }
    const size_t files = Tree(folder).size();
    CQorString out;
    EXPECT_EQ(zip.ExtractFile(folder.c_str(), "report.txt", out), S_OK);
    EXPECT_EQ(Tree(folder).size(), files + 1) << "the short form deletes its temporary file";
}

TEST(CQorZipFile, ExtractAllWithOrWithoutFoldersAndBackToTheCurrentOne)
{
    CQorZipFile zip = ZipFile("all.zip", ZipOf({{"a/b/c.txt", "abc"}, {"ro.txt", "ro", 0, 0, 0, 0, 0x21}, {"s", "s", 1}}));
    const fs::path before = fs::current_path();
    for (bool keep : {true, false}) {
        const std::string folder = PathOf(keep ? "all-kept" : "all-flat");
        fs::create_directories(folder);
        EXPECT_EQ(zip.ExtractAll(folder.c_str(), keep), S_OK) << "the encrypted member is skipped";
        EXPECT_EQ(Tree(folder), (std::map<std::string, std::string>{{keep ? "a/b/c.txt" : "c.txt", "abc"}, {"ro.txt", "ro"}}));
        EXPECT_TRUE(ReadOnly(folder + "/ro.txt"));
        EXPECT_EQ(fs::current_path(), before);
    }
    EXPECT_EQ(zip.ExtractAll(PathOf("no-such-folder").c_str(), true), (HRESULT)0x80070002);
    EXPECT_EQ(fs::current_path(), before);
}

TEST(CQorZipFile, CreateStoresEachFileOnceOrFails)
{
    WriteBytes(PathOf("x.txt"), "x");
    CQorString spec = (PathOf("x.txt") + "," + PathOf("x.txt")).c_str();
    CQorZipFile made(PathOf("made.zip").c_str());
    EXPECT_EQ(made.Create(spec, true), S_OK);
    EXPECT_EQ(Names(made), (std::vector<std::string>{"x.txt"}));
    EXPECT_EQ(CQorZipFile(PathOf("").c_str()).Create(spec, true), E_FAIL) << "a folder cannot be written as a file";
}

// What the tools list and extract, from the manifests written beside their archives.
TEST(CQorZipFile, AgreesWithTheArchivesOfOtherTools)
{
    const fs::path archives = fs::path(QOR_ZIP_FIXTURES) / "archives";
    int checked = 0;
    for (const auto &entry : fs::directory_iterator(archives)) {
        if (entry.path().extension() != ".zip")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream manifest(entry.path().string() + ".manifest");
        std::vector<std::string> names;
        unsigned long long size = 0, compressed = 0, memberSize, memberCompressed;
        std::string name, crc;
        while (std::getline(manifest, name, '\t') && name != "comment" && manifest >> memberSize >> memberCompressed >> crc) {
            manifest.ignore(1);
            names.push_back(name);
            size += memberSize;
            compressed += memberCompressed;
        }
        CQorZipFile zip(entry.path().string().c_str());
        EXPECT_EQ(Names(zip), names);
        CQorString first, info, expected;
        EXPECT_EQ(zip.GetZIPInfo(first, info), S_OK);
        expected.Format("Files: %u Uncompressed Size: %u Compression: %d%%", (unsigned)names.size(), (unsigned)size,
                        size == 0 ? 0 : (int)(100.0 - (double)compressed / size * 100.0));
        EXPECT_STREQ(info, expected);
        const bool hostile = entry.path().filename() == "hostile.zip";
        const fs::path folder = fs::path(PathOf("interop")) / entry.path().filename() / "inside";
        fs::create_directories(folder);
        EXPECT_EQ(zip.ExtractAll(folder.string().c_str(), true), hostile ? E_FAIL : S_OK);
        EXPECT_EQ(Tree(folder), Tree(entry.path().string() + ".d"));
        EXPECT_EQ(Tree(folder.parent_path()).size(), Tree(folder).size()) << "nothing lands beside the folder";
        ++checked;
    }
    EXPECT_EQ(checked, 9);
    EXPECT_FALSE(fs::exists("/absolute.txt") || fs::exists("C:/drive.txt"));
}

} // namespace
