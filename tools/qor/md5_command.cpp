// md5_command.cpp: `qor md5`: MD5 digests of files in md5sum's output format, and `-c` to check a
// list in that format. Names holding a backslash or a line break are written escaped behind a
// leading backslash, as md5sum writes them.
#include "QorToolCommand.h"
#include "native_path.h"

#include "QorMd5.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>
#if defined(_WIN32)
#  include <fcntl.h>
#  include <io.h>
#endif

namespace qor::tool {

namespace {

struct Md5Options {
    std::vector<std::string> files;
    bool check = false;
    bool quiet = false;
    bool status = false;
};

// Reads all of `file` through a buffer large enough for the digest to run on whole blocks.
std::optional<std::string> DigestStream(std::FILE *file)
{
    static std::vector<unsigned char> buffer(256 * 1024);
    CQorMd5 md5;
    md5.Init();
    size_t count;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        md5.Update(buffer.data(), (unsigned int)count);
    if (std::ferror(file))
        return std::nullopt;
    md5.Final();
    return std::string((const char *)md5);
}

// The digest of a file ("-" is standard input), or nullopt with the reason written to stderr.
std::optional<std::string> DigestFile(const std::string &name)
{
    std::optional<std::string> digest;
    errno = 0;
    if (name == "-") {
#if defined(_WIN32)
        _setmode(_fileno(stdin), _O_BINARY); // the runtime would otherwise translate line ends
#endif
        digest = DigestStream(stdin);
    } else if (std::error_code error; std::filesystem::is_directory(NativePath(name), error)) {
        errno = EISDIR; // Windows opens no folder as a file; Linux would, and fail at the first read
    } else if (std::FILE *file = std::fopen(name.c_str(), "rb")) {
        digest = DigestStream(file);
        std::fclose(file);
    }
    if (!digest)
        std::cerr << "qor md5: " << name << ": " << std::strerror(errno != 0 ? errno : EIO) << "\n";
    return digest;
}

bool NeedsEscape(const std::string &name) { return name.find_first_of("\\\n\r") != std::string::npos; }

std::string Escaped(const std::string &name)
{
    std::string escaped;
    for (char ch : name)
        escaped += ch == '\\' ? "\\\\" : ch == '\n' ? "\\n" : ch == '\r' ? "\\r" : std::string(1, ch);
    return escaped;
}

// A name as written in a list line behind a leading backslash; false when an escape is unknown.
bool Unescape(const std::string &text, std::string &name)
{
    name.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            name += text[i];
            continue;
        }
        const char next = ++i < text.size() ? text[i] : '\0';
        if (next != '\\' && next != 'n' && next != 'r')
            return false;
        name += next == '\\' ? '\\' : next == 'n' ? '\n' : '\r';
    }
    return true;
}

void PrintDigests(const Md5Options &options)
{
    size_t unreadable = 0;
    for (const std::string &name : options.files) {
        const std::optional<std::string> digest = DigestFile(name);
        if (!digest) {
            ++unreadable;
            continue;
        }
        if (NeedsEscape(name))
            std::cout << "\\" << *digest << "  " << Escaped(name) << "\n";
        else
            std::cout << *digest << "  " << name << "\n";
    }
    std::cout.flush();
    if (unreadable > 0)
        throw CommandError(std::to_string(unreadable) + " of " + std::to_string(options.files.size()) +
                           " files could not be read");
}

struct ListLine {
    std::string digest;
    std::string name;
    bool escaped = false;
};

// "DIGEST  NAME" (text mode) or "DIGEST *NAME" (binary mode), with an optional leading backslash
// when the name is escaped.
bool ParseListLine(std::string line, ListLine &parsed)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back(); // a list written on Windows
    parsed.escaped = !line.empty() && line[0] == '\\';
    const size_t start = parsed.escaped ? 1 : 0;
    if (line.size() < start + 35 || line[start + 32] != ' ' || (line[start + 33] != ' ' && line[start + 33] != '*'))
        return false;
    parsed.digest = line.substr(start, 32);
    CQorMd5 check;
    check = parsed.digest.c_str();
    if (*(const char *)check == '\0')
        return false; // not 32 hexadecimal digits
    parsed.digest = (const char *)check;
    const std::string name = line.substr(start + 34);
    if (!parsed.escaped)
        parsed.name = name;
    else if (!Unescape(name, parsed.name))
        return false;
    return true;
}

struct CheckCounts {
    size_t good = 0, mismatched = 0, unreadable = 0, malformed = 0;
};

void CheckList(std::istream &list, const std::string &listName, const Md5Options &options, CheckCounts &counts)
{
    std::string line;
    const size_t checkedBefore = counts.good + counts.mismatched + counts.unreadable;
    while (std::getline(list, line)) {
        ListLine entry;
        if (!ParseListLine(line, entry)) {
            ++counts.malformed;
            continue;
        }
        const std::optional<std::string> actual = DigestFile(entry.name);
        const bool matches = actual && *actual == entry.digest;
        ++(matches ? counts.good : actual ? counts.mismatched : counts.unreadable);
        if (options.status || (options.quiet && matches))
            continue;
        std::cout << (NeedsEscape(entry.name) ? "\\" + Escaped(entry.name) : entry.name) << ": "
                  << (matches ? "OK" : actual ? "FAILED" : "FAILED open or read") << "\n";
    }
    if (counts.good + counts.mismatched + counts.unreadable == checkedBefore)
        throw CommandError(listName + ": no properly formatted MD5 checksum lines found");
}

std::string Counted(size_t count, const char *one, const char *many) { return std::to_string(count) + (count == 1 ? one : many); }

void CheckLists(const Md5Options &options)
{
    CheckCounts counts;
    for (const std::string &name : options.files) {
        if (name == "-") {
            CheckList(std::cin, "standard input", options, counts);
            continue;
        }
        std::error_code error;
        if (std::filesystem::is_directory(NativePath(name), error)) // Linux would open it
            throw CommandError(Echo(name) + ": " + std::strerror(EISDIR));
        std::ifstream list(name, std::ios::binary);
        if (!list)
            throw CommandError(Echo(name) + ": " + std::strerror(errno != 0 ? errno : ENOENT));
        CheckList(list, Echo(name), options, counts);
    }
    std::cout.flush();
    std::vector<std::string> warnings;
    if (counts.malformed > 0)
        warnings.push_back(Counted(counts.malformed, " line is", " lines are") + " improperly formatted");
    if (counts.unreadable > 0)
        warnings.push_back(Counted(counts.unreadable, " listed file", " listed files") + " could not be read");
    if (counts.mismatched > 0)
        warnings.push_back(Counted(counts.mismatched, " computed checksum", " computed checksums") + " did NOT match");
    if (counts.unreadable > 0 || counts.mismatched > 0) {
        std::string line = "WARNING: ";
        for (size_t i = 0; i < warnings.size(); ++i)
            line += (i > 0 ? "; " : "") + warnings[i];
        throw CommandError(line);
    }
    if (counts.malformed > 0 && !options.status)
        std::cerr << "qor md5: WARNING: " << warnings[0] << "\n";
}

} // namespace

void AddMd5Command(CLI::App &app)
{
    CLI::App *md5 = app.add_subcommand("md5", "MD5 digests of files in md5sum's format, or check them (-c)");
    auto options = std::make_shared<Md5Options>();
    md5->add_option("files", options->files, "Files to digest, or lists to check with -c; - or none: standard input");
    md5->add_flag("-c,--check", options->check, "Read digests and names from the lists and check the files");
    md5->add_flag("--quiet", options->quiet, "With -c: print nothing for a file that matches");
    md5->add_flag("--status", options->status, "With -c: print nothing; the exit status tells the result");
    md5->footer("Exit status: 0 when every file was read (and, with -c, matched); 1 otherwise.\n"
                "Examples:\n  qor md5 *.zip > SUMS.md5\n  qor md5 -c SUMS.md5");
    md5->callback([options] {
        if (options->files.empty())
            options->files.push_back("-");
        if ((options->quiet || options->status) && !options->check)
            throw UsageError("--quiet and --status are meant for checking lists (-c)");
        if (options->check)
            CheckLists(*options);
        else
            PrintDigests(*options);
    });
}

} // namespace qor::tool
