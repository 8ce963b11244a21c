// profile.cpp: INI files (GetPrivateProfileStringA, GetPrivateProfileIntA, WritePrivateProfileStringA) with
// the Windows rules: sections and keys compare without case, blanks around names and values are trimmed,
// a file that starts with a UTF-16 byte-order mark is UTF-16 text, and a write keeps every other line as it
// was (only line ends become CR LF, as Windows writes them). A write replaces the file atomically (temporary
// file in the same folder, then rename) while holding an exclusive lock on the folder, so concurrent
// writers lose nothing.
#include "common/descriptor.h"
#include "common/unicode.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using qor::platform::FailWith;
using qor::platform::RetryAfterSignal;
using qor::platform::ScopedDescriptor;
using qor::platform::FaultFires;
using qor::platform::Win32ErrorFromErrno;

namespace {

struct IniLine {
    enum Kind { kOther, kSection, kEntry };
    std::string text; // the line as in the file, without its line end
    Kind kind = kOther;
    std::string name;      // a section's or an entry's name, trimmed
    std::string value;     // an entry's value, trimmed, quotes kept
    bool hasValue = false; // an entry without '=' is found by writes only, as Windows finds it
};

struct IniFile {
    enum Encoding { kAnsi, kUtf16Le, kUtf16Be };
    std::vector<IniLine> lines;
    Encoding encoding = kAnsi;
    mode_t mode = 0644;
};

std::string Trim(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string &a, const char *b)
{
    return a.size() == std::strlen(b) && _strnicmp(a.c_str(), b, a.size()) == 0;
}

// The blanks around a key are not part of it, as when reading the file.
bool SameKey(const std::string &a, const char *b) { return SameName(a, Trim(b).c_str()); }

// Names and values end at a zero byte, while the brackets and the '=' that shape a line are looked for
// in the whole line: "\0k=1" is the key "" with the value 1, "[S\0]" the section S (as Wine reads them).
std::string Piece(const std::string &text, size_t from, size_t to = std::string::npos)
{
    std::string piece = text.substr(from, to == std::string::npos ? to : to - from);
    return Trim(piece.substr(0, piece.find('\0')));
}

IniLine ParseLine(const std::string &text)
{
    IniLine line;
    line.text = text;
    std::string trimmed = Trim(text);
    if (trimmed.compare(0, 3, "\xEF\xBB\xBF") == 0) // a UTF-8 byte order mark opens the file
        trimmed = Trim(trimmed.substr(3));
    size_t equals = trimmed.find('=');
    if ((Piece(trimmed, 0).empty() && equals == std::string::npos) || trimmed[0] == ';')
        return line;
    size_t close = trimmed.find(']');
    if (trimmed[0] == '[' && close != std::string::npos) {
        line.kind = IniLine::kSection;
        line.name = Piece(trimmed, 1, close);
        return line;
    }
    line.kind = IniLine::kEntry; // "[S" without its ']' is a key without a value too
    line.name = Piece(trimmed, 0, equals);
    line.hasValue = equals != std::string::npos;
    if (line.hasValue)
        line.value = Piece(trimmed, equals + 1);
    return line;
}

// A UTF-16 file, known by its byte-order mark, becomes ANSI text (UTF-8 here) for reading.
void DecodeText(std::string &content, IniFile &file)
{
    const bool little = content.compare(0, 2, "\xFF\xFE") == 0, big = content.compare(0, 2, "\xFE\xFF") == 0;
    if (!little && !big)
        return;
    file.encoding = little ? IniFile::kUtf16Le : IniFile::kUtf16Be;
    std::u16string units;
    for (size_t i = 2; i + 1 < content.size(); i += 2) {
        const auto low = (unsigned char)content[little ? i : i + 1], high = (unsigned char)content[little ? i + 1 : i];
        units.push_back((char16_t)(low | high << 8));
    }
    content.clear();
    qor::platform::Utf8FromUtf16(units.data(), units.size(), false, content);
}

// The file's bytes in its own encoding.
std::string EncodeText(const std::string &text, IniFile::Encoding encoding)
{
    if (encoding == IniFile::kAnsi)
        return text;
    std::u16string units;
    qor::platform::Utf16FromUtf8(text.data(), text.size(), false, units);
    const bool little = encoding == IniFile::kUtf16Le;
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t unit : units) {
        const char low = (char)(unit & 0xFF), high = (char)(unit >> 8);
        bytes.push_back(little ? low : high);
        bytes.push_back(little ? high : low);
    }
    return bytes;
}

// Each CR, LF or CR LF ends a line, as Windows reads them.
void SplitLines(const std::string &content, IniFile &file)
{
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find_first_of("\r\n", start);
        file.lines.push_back(ParseLine(content.substr(start, end == std::string::npos ? end : end - start)));
        if (end == std::string::npos)
            break;
        start = end + (content.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
}

// On POSIX the backslash separates folders too; a bare name means a file in the current directory
// (Windows looks in its own folder, which POSIX has not; the library always passes full paths).
std::string FilePath(const char *fileName)
{
    std::string path = fileName;
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
}

std::string FolderOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Reads and parses `path`; a missing file is an empty one. Answers the Win32 error of a failed read.
DWORD ReadIniFile(const std::string &path, IniFile &file)
{
    ScopedDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return errno == ENOENT ? ERROR_SUCCESS : Win32ErrorFromErrno(errno);
    std::string content;
    char chunk[8192];
    ssize_t got;
    while ((got = RetryAfterSignal([&] { return read(fd.Get(), chunk, sizeof chunk); })) > 0)
        content.append(chunk, static_cast<size_t>(got));
    if (got < 0)
        return Win32ErrorFromErrno(errno);
    struct stat status;
    if (fstat(fd.Get(), &status) == 0)
        file.mode = status.st_mode & 07777;
    DecodeText(content, file);
    SplitLines(content, file);
    return ERROR_SUCCESS;
}

// The index of the first header of `section`, or the line count.
size_t FindSection(const IniFile &file, const char *section)
{
    std::string wanted = Trim(section);
    size_t i = 0;
    while (i < file.lines.size() && !(file.lines[i].kind == IniLine::kSection && SameName(file.lines[i].name, wanted.c_str())))
        ++i;
    return i;
}

// One past the last line of the section whose header is at `header`.
size_t SectionEnd(const IniFile &file, size_t header)
{
    size_t i = header + 1;
    while (i < file.lines.size() && file.lines[i].kind != IniLine::kSection)
        ++i;
    return i;
}

// The entry of `key` in the section at `header`; a write finds an entry without a value too.
size_t FindEntry(const IniFile &file, size_t header, const char *key, bool forWrite)
{
    size_t end = SectionEnd(file, header);
    for (size_t i = header + 1; i < end; ++i)
        if (file.lines[i].kind == IniLine::kEntry && (forWrite || file.lines[i].hasValue) &&
            SameKey(file.lines[i].name, key))
            return i;
    return file.lines.size();
}

std::string Unquoted(const std::string &value)
{
    bool quoted = value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    return quoted ? value.substr(1, value.size() - 2) : value;
}

// Copies a list of names, each ending in a zero, the list ending in one more; a list that does not fit
// is cut, with two zeros after what fits, and the count is then nSize - 2 (as documented).
DWORD CopyNameList(const std::vector<std::string> &names, LPSTR buffer, DWORD size)
{
    std::string list;
    for (const std::string &name : names)
        list.append(name).push_back('\0');
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    if (list.size() + 1 > size) {
        std::memcpy(buffer, list.data(), size - 2);
        buffer[size - 2] = buffer[size - 1] = '\0';
        return size - 2;
    }
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    if (list.empty() && size > 1)
        buffer[1] = '\0';
    return static_cast<DWORD>(list.size());
}

DWORD CopyText(const std::string &text, LPSTR buffer, DWORD size)
{
    size_t length = text.size() < size ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<DWORD>(length);
}

std::vector<std::string> SectionNames(const IniFile &file)
{
    std::vector<std::string> names;
    for (const IniLine &line : file.lines)
        if (line.kind == IniLine::kSection)
            names.push_back(line.name);
    return names;
}

std::vector<std::string> KeyNames(const IniFile &file, size_t header)
{
    std::vector<std::string> names;
    size_t end = header < file.lines.size() ? SectionEnd(file, header) : header;
    for (size_t i = header + 1; i < end; ++i)
        if (file.lines[i].kind == IniLine::kEntry && file.lines[i].hasValue)
            names.push_back(file.lines[i].name);
    return names;
}

// The value of `key` in `section`, unquoted; false when either is missing (or the file cannot be read).
bool LookUp(const char *section, const char *key, const char *fileName, std::string &value)
{
    IniFile file;
    if (fileName == nullptr || ReadIniFile(FilePath(fileName), file) != ERROR_SUCCESS)
        return false;
    size_t header = FindSection(file, section);
    if (header == file.lines.size())
        return false;
    size_t entry = FindEntry(file, header, key, false);
    if (entry == file.lines.size())
        return false;
    value = Unquoted(file.lines[entry].value);
    return true;
}

// Applies one write to the parsed file; false when nothing changes (deleting what is not there).
bool ApplyWrite(IniFile &file, const char *section, const char *key, const char *value)
{
    size_t header = FindSection(file, section);
    bool hasSection = header < file.lines.size();
    if (key == nullptr) {
        if (hasSection)
            file.lines.erase(file.lines.begin() + header, file.lines.begin() + SectionEnd(file, header));
        return hasSection;
    }
    size_t entry = hasSection ? FindEntry(file, header, key, true) : file.lines.size();
    bool hasEntry = entry < file.lines.size();
    if (value == nullptr) {
        if (hasEntry)
            file.lines.erase(file.lines.begin() + entry);
        return hasEntry;
    }
    IniLine line = ParseLine(Trim(key) + "=" + value);
    if (hasEntry) {
        file.lines[entry] = line;
        return true;
    }
    if (!hasSection) {
        file.lines.push_back(ParseLine("[" + Trim(section) + "]"));
        file.lines.push_back(line);
        return true;
    }
    // After the section's last line that is not blank (comments count, as in Wine), so that blank lines
    // before the next section stay there.
    size_t at = SectionEnd(file, header);
    while (at > header + 1 && Trim(file.lines[at - 1].text).empty())
        --at;
    file.lines.insert(file.lines.begin() + at, line);
    return true;
}

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

DWORD WriteAll(int fd, const std::string &content)
{
    for (size_t done = 0; done < content.size();) {
        ssize_t wrote = RetryAfterSignal([&] { return write(fd, content.data() + done, content.size() - done); });
        if (wrote < 0)
            return Win32ErrorFromErrno(errno);
        done += static_cast<size_t>(wrote);
    }
    return fsync(fd) == 0 ? ERROR_SUCCESS : Win32ErrorFromErrno(errno);
}

// Writes the file beside itself and renames it into place: a reader sees the old or the new file. The
// temporary file has one fixed name per file: writers hold the folder lock, so none can meet another's,
// and the file a killed writer left behind is taken over by the next write.
DWORD ReplaceFile(const std::string &path, const IniFile &file)
{
    std::string content;
    for (const IniLine &line : file.lines)
        content.append(line.text).append("\r\n");
    std::string base = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    std::string temporary = FolderOf(path) + "/." + base + ".writing";
    ScopedDescriptor fd(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd)
        return Win32ErrorFromErrno(errno);
    DWORD error = fchmod(fd.Get(), file.mode) == 0 ? WriteAll(fd.Get(), EncodeText(content, file.encoding))
                                                   : Win32ErrorFromErrno(errno);
    if (!fd.Close() && error == ERROR_SUCCESS)
        error = Win32ErrorFromErrno(errno);
    if (error == ERROR_SUCCESS && rename(temporary.c_str(), path.c_str()) != 0)
        error = Win32ErrorFromErrno(errno);
    if (error != ERROR_SUCCESS)
        unlink(temporary.c_str());
    return error;
}

// Holds an exclusive lock on the folder of an INI file: every writer of a file in it waits for the others.
// Closing the descriptor releases the lock.
class FolderLock {
public:
    explicit FolderLock(const std::string &folder) : m_fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (!m_fd || RetryAfterSignal([this] { return flock(m_fd.Get(), LOCK_EX); }) != 0)
            m_error = Win32ErrorFromErrno(errno);
    }
    DWORD Error() const { return m_error; }

private:
    ScopedDescriptor m_fd;
    DWORD m_error = ERROR_SUCCESS;
};

} // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                                      DWORD nSize, LPCSTR lpFileName)
{
    if (lpReturnedString == nullptr || nSize == 0)
        return 0;
    if (lpAppName == nullptr || lpKeyName == nullptr) {
        IniFile file;
        if (lpFileName != nullptr)
            ReadIniFile(FilePath(lpFileName), file); // an unreadable file lists nothing, like a missing one
        std::vector<std::string> names =
            lpAppName == nullptr ? SectionNames(file) : KeyNames(file, FindSection(file, lpAppName));
        return CopyNameList(names, lpReturnedString, nSize);
    }
    std::string value;
    if (!LookUp(lpAppName, lpKeyName, lpFileName, value)) {
        // The default loses its trailing blanks, as documented.
        value = lpDefault ? lpDefault : "";
        while (!value.empty() && value.back() == ' ')
            value.pop_back();
    }
    return CopyText(value, lpReturnedString, nSize);
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName)
{
    std::string value;
    if (lpAppName == nullptr || lpKeyName == nullptr || !LookUp(lpAppName, lpKeyName, lpFileName, value) ||
        value.empty())
        return static_cast<UINT>(nDefault);
    // The leading number counts ("55zz" is 55, "abc" is 0), in decimal or, after 0x, in hexadecimal.
    const char *text = value.c_str();
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex)
        text += 2;
    UINT number = 0;
    for (;; ++text) {
        int digit = DigitValue(*text);
        if (digit < 0 || digit >= (hex ? 16 : 10))
            break;
        number = number * (hex ? 16u : 10u) + static_cast<UINT>(digit);
    }
    return negative ? 0u - number : number;
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName)
{
    if (FaultFires("WritePrivateProfileStringA"))
        return FALSE;
    if (lpAppName == nullptr && lpKeyName == nullptr && lpString == nullptr)
        return TRUE; // "flush the cache": every write reaches the file at once, there is none
    if (lpAppName == nullptr || lpFileName == nullptr || lpFileName[0] == '\0')
        return FailWith(ERROR_INVALID_PARAMETER); // no implicit WIN.INI here
    std::string path = FilePath(lpFileName);
    FolderLock lock(FolderOf(path));
    if (lock.Error() != ERROR_SUCCESS)
        return FailWith(lock.Error());
    IniFile file;
    DWORD error = ReadIniFile(path, file);
    if (error != ERROR_SUCCESS)
        return FailWith(error);
    if (!ApplyWrite(file, lpAppName, lpKeyName, lpString))
        return TRUE;
    error = ReplaceFile(path, file);
    return error == ERROR_SUCCESS ? TRUE : FailWith(error);
}
