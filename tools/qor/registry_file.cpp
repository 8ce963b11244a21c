// registry_file.cpp: reading and writing registry text files. The format is the one the platform's
// registry editor documents: a header line, "[KEY]" and "[-KEY]" blocks, and value lines
// "name"="text", dword:, hex:, hex(N): (continued over lines with a trailing backslash), "name"=-.
// Version 5 files are usually UTF-16 and their hex(1), hex(2) and hex(7) bytes are UTF-16 too; both
// are turned into the ANSI code page here, which is what the registry's ANSI calls take.
#include "registry_file.h"

#include "QorToolCommand.h"

#include "QorRegistry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace qor::tool {

namespace {

// The library's root-key table, which CQorRegistry keeps protected.
class RootKeyTable : public CQorRegistry {
public:
    static const BaseRegKeys *Rows() { return m_RegKeys; }
};

const char kRegedit4[] = "REGEDIT4";
const char kVersion5[] = "Windows Registry Editor Version 5.00";

// UTF-16 (little-endian) `wide` in the ANSI code page; false when it does not convert.
bool AnsiFromUtf16(const std::string &wide, std::string &ansi)
{
    if (wide.size() % 2 != 0)
        return false;
    std::vector<WCHAR> units(wide.size() / 2);
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = (WCHAR)((unsigned char)wide[2 * i] | (unsigned char)wide[2 * i + 1] << 8);
    if (units.empty()) {
        ansi.clear();
        return true;
    }
    int size = WideCharToMultiByte(CP_ACP, 0, units.data(), (int)units.size(), nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return false;
    ansi.assign((size_t)size, '\0');
    return WideCharToMultiByte(CP_ACP, 0, units.data(), (int)units.size(), &ansi[0], size, nullptr, nullptr) == size;
}

// The file's text in the ANSI code page, its byte-order mark removed.
std::string DecodeText(const std::string &bytes, const std::string &fileName)
{
    if (bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFF && (unsigned char)bytes[1] == 0xFE) {
        std::string text;
        if (!AnsiFromUtf16(bytes.substr(2), text))
            throw UsageError(fileName + ":1: the UTF-16 text does not convert to the ANSI code page");
        return text;
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return bytes.substr(3);
    return bytes;
}

std::string Trim(const std::string &text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

class LineParser {
public:
    LineParser(const std::string &fileName, int line, bool version5)
        : m_strFileName(fileName), m_nLine(line), m_bVersion5(version5)
    {
    }

    [[noreturn]] void Fail(const std::string &what) const
    {
        throw UsageError(m_strFileName + ":" + std::to_string(m_nLine) + ": " + what);
    }

    RegistryFileKey ParseKey(const std::string &text) const
    {
        if (text.size() < 3 || text.back() != ']')
            Fail("a key line must look like [KEY] or [-KEY]");
        RegistryFileKey key;
        key.line = m_nLine;
        key.remove = text[1] == '-';
        std::string path = text.substr(key.remove ? 2 : 1, text.size() - (key.remove ? 3 : 2));
        key.path = ExpandRootName(path);
        if (key.path.empty())
            Fail(Echo(path) + " does not begin with a root key name");
        std::string problem = KeyPathProblem(key.path);
        if (!problem.empty())
            Fail(Echo(path) + ": " + problem);
        if (key.remove && IsRootPath(key.path))
            Fail("a root key cannot be deleted");
        return key;
    }

    RegistryFileValue ParseValue(const std::string &text) const
    {
        RegistryFileValue value;
        value.line = m_nLine;
        size_t at = 0;
        if (text[0] == '@')
            at = 1;
        else
            value.name = QuotedString(text, at);
        std::string problem = ValueNameProblem(value.name);
        if (!problem.empty())
            Fail("the value name " + Echo(value.name) + " " + problem);
        if (at >= text.size() || text[at] != '=')
            Fail("expected = after the value's name");
        std::string data = Trim(text.substr(at + 1));
        if (data == "-") {
            value.remove = true;
        } else if (!data.empty() && data[0] == '"') {
            size_t end = 0;
            value.type = REG_SZ;
            value.data = QuotedString(data, end) + '\0';
            if (end != data.size())
                Fail("text after the closing quote");
        } else if (data.compare(0, 6, "dword:") == 0) {
            value.type = REG_DWORD;
            value.data = Dword(data.substr(6));
        } else if (data.compare(0, 3, "hex") == 0) {
            HexData(data.substr(3), value);
        } else {
            Fail("the value's data is not \"text\", dword:, hex: or hex(N):");
        }
        return value;
    }

private:
    // A quoted string starting at `at`, with the escapes \\ and \"; `at` ends behind its closing quote.
    std::string QuotedString(const std::string &text, size_t &at) const
    {
        if (text[at] != '"')
            Fail("expected a quoted name");
        std::string result;
        for (++at; at < text.size(); ++at) {
            char ch = text[at];
            if (ch == '"') {
                ++at;
                return result;
            }
            if (ch == '\\') {
                if (++at >= text.size() || (text[at] != '\\' && text[at] != '"'))
                    Fail("a backslash in a quoted string must escape \\ or \"");
                ch = text[at];
            }
            result += ch;
        }
        Fail("a quoted string has no closing quote");
    }

    std::string Dword(const std::string &digits) const
    {
        if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            Fail("dword: takes 1 to 8 hexadecimal digits");
        DWORD number = (DWORD)std::stoul(digits, nullptr, 16);
        return std::string(reinterpret_cast<const char *>(&number), 4); // both builds are little-endian
    }

    // "hex:" or "hex(N):" followed by comma-separated byte pairs.
    void HexData(const std::string &text, RegistryFileValue &value) const
    {
        size_t colon = text.find(':');
        if (colon == std::string::npos)
            Fail("hex data needs a colon");
        value.type = REG_BINARY;
        if (colon > 0) {
            std::string type = text.substr(0, colon);
            if (type.size() < 3 || type.front() != '(' || type.back() != ')' ||
                type.find_first_not_of("0123456789abcdefABCDEF", 1) != type.size() - 1 || type.size() > 10)
                Fail("hex(N): takes a hexadecimal type number");
            value.type = (DWORD)std::stoul(type.substr(1, type.size() - 2), nullptr, 16);
        }
        std::string bytes;
        std::string list = text.substr(colon + 1);
        size_t at = 0;
        while (at < list.size()) {
            size_t comma = list.find(',', at);
            std::string pair = Trim(list.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
            if (pair.size() != 2 || !std::isxdigit((unsigned char)pair[0]) || !std::isxdigit((unsigned char)pair[1]))
                Fail(Echo(pair) + " is not a byte of two hexadecimal digits");
            bytes += (char)std::stoul(pair, nullptr, 16);
            if (comma == std::string::npos)
                break;
            at = comma + 1;
            if (at == list.size())
                Fail("a comma ends the hex data");
        }
        const bool text16 = value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
        if (m_bVersion5 && text16 && !AnsiFromUtf16(bytes, bytes))
            Fail("the UTF-16 text of this value does not convert");
        value.data = bytes;
    }

    const std::string &m_strFileName;
    int m_nLine;
    bool m_bVersion5;
};

struct NumberedLine {
    int number;
    std::string text;
};

// The file's logical lines: trimmed, blank lines and comments dropped, continuation lines (a
// trailing backslash) joined to the line they continue.
std::vector<NumberedLine> LogicalLines(const std::string &text)
{
    std::vector<NumberedLine> lines;
    bool continuing = false;
    int number = 0;
    for (size_t at = 0; at <= text.size();) {
        size_t end = std::min(text.find('\n', at), text.size());
        std::string line = Trim(text.substr(at, end - at));
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line = Trim(line.substr(0, line.size() - 1));
        if (continuing)
            lines.back().text += line;
        else if (line.empty() || line[0] == ';')
            continue;
        else
            lines.push_back({number, line});
        std::string &joined = lines.back().text;
        continuing = !joined.empty() && joined[0] != '[' && joined.back() == '\\';
        if (continuing)
            joined.pop_back();
    }
    return lines;
}

std::string Quoted(const std::string &text)
{
    std::string quoted = "\"";
    for (char ch : text) {
        if (ch == '\\' || ch == '"')
            quoted += '\\';
        quoted += ch;
    }
    return quoted + '"';
}

// A REG_SZ that a quoted string carries: one terminator at the end, no other zero, no line break.
bool FitsQuotedString(const RegistryFileValue &value)
{
    const std::string &data = value.data;
    return value.type == REG_SZ && !data.empty() && data.back() == '\0' &&
           data.find_first_of(std::string("\0\r\n", 3)) == data.size() - 1;
}

std::string HexLine(const std::string &prefix, const std::string &bytes)
{
    std::string line = prefix;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", (unsigned char)bytes[i]);
        line += pair;
        if (i + 1 < bytes.size()) {
            line += ',';
            if (line.size() - line.rfind('\n') > 76) // rfind gives npos+1 = 0 on the first line
                line += "\\\n  ";
        }
    }
    return line;
}

std::string FormatValue(const RegistryFileValue &value)
{
    std::string line = value.name.empty() ? "@=" : Quoted(value.name) + "=";
    if (value.remove)
        return line + "-";
    if (FitsQuotedString(value))
        return line + Quoted(value.data.substr(0, value.data.size() - 1));
    if (value.type == REG_DWORD && value.data.size() == 4) {
        DWORD number;
        std::memcpy(&number, value.data.data(), 4);
        char digits[16];
        std::snprintf(digits, sizeof digits, "dword:%08lx", (unsigned long)number);
        return line + digits;
    }
    if (value.type == REG_BINARY)
        return HexLine(line + "hex:", value.data);
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "hex(%lx):", (unsigned long)value.type);
    return HexLine(line + prefix, value.data);
}

} // namespace

std::string ExpandRootName(const std::string &path)
{
    // The short names that reg.exe accepts; the full names are the library's table.
    static const struct {
        const char *shortName;
        HKEY root;
    } aliases[] = {{"HKLM", HKEY_LOCAL_MACHINE}, {"HKCU", HKEY_CURRENT_USER}, {"HKCR", HKEY_CLASSES_ROOT},
                   {"HKU", HKEY_USERS},          {"HKCC", HKEY_CURRENT_CONFIG}};
    size_t separator = path.find('\\');
    std::string root = path.substr(0, separator);
    std::string rest = separator == std::string::npos ? std::string() : path.substr(separator);
    HKEY aliased = nullptr;
    for (const auto &alias : aliases)
        if (_stricmp(root.c_str(), alias.shortName) == 0)
            aliased = alias.root;
    for (const BaseRegKeys *row = RootKeyTable::Rows(); row->pszKeyName != nullptr; ++row)
        if (row->hRootKey == aliased || _stricmp(root.c_str(), row->pszKeyName) == 0)
            return row->pszKeyName + rest;
    return std::string();
}

std::string KeyPathProblem(const std::string &fullPath)
{
    size_t depth = 0;
    for (size_t start = fullPath.find('\\'); start != std::string::npos; ++depth) {
        size_t end = fullPath.find('\\', start + 1);
        std::string name = fullPath.substr(start + 1, end == std::string::npos ? end : end - start - 1);
        if (name.empty())
            return "an empty key name (a doubled or trailing backslash)";
        if (name.size() > 255)
            return "a key name longer than 255 characters";
        for (unsigned char ch : name)
            if (ch < 0x20 || ch == 0x7F)
                return "a key name holds the control character " + Echo(std::string(1, (char)ch));
        start = end;
    }
    return depth > 512 ? "more than 512 levels of keys" : std::string();
}

std::string ValueNameProblem(const std::string &name)
{
    if (name.find('\0') != std::string::npos)
        return "holds a NUL character";
    return name.size() > 16383 ? "is longer than 16383 characters" : std::string();
}

bool IsRootPath(const std::string &fullPath) { return fullPath.find('\\') == std::string::npos; }

std::vector<RegistryFileKey> ParseRegistryFile(const std::string &bytes, const std::string &fileName)
{
    std::vector<NumberedLine> lines = LogicalLines(DecodeText(bytes, fileName));
    if (lines.empty() || (lines[0].text != kRegedit4 && lines[0].text != kVersion5))
        throw UsageError(fileName + ":" + std::to_string(lines.empty() ? 1 : lines[0].number) + ": not a registry file (" +
                         "the first line must be " + kRegedit4 + " or " + kVersion5 + ")");
    const bool version5 = lines[0].text == kVersion5;
    std::vector<RegistryFileKey> keys;
    for (size_t i = 1; i < lines.size(); ++i) {
        LineParser parser(fileName, lines[i].number, version5);
        const std::string &text = lines[i].text;
        if (text[0] == '[') {
            keys.push_back(parser.ParseKey(text));
        } else if (text[0] == '"' || text[0] == '@') {
            if (keys.empty())
                parser.Fail("a value line before any [KEY] line");
            if (keys.back().remove)
                parser.Fail("a value line under a key that the file deletes");
            keys.back().values.push_back(parser.ParseValue(text));
        } else {
            parser.Fail("neither a [KEY] line nor a value line");
        }
    }
    return keys;
}

std::string FormatRegistryFile(const std::vector<RegistryFileKey> &keys)
{
    std::string text = std::string(kRegedit4) + "\n";
    for (const RegistryFileKey &key : keys) {
        text += "\n[" + std::string(key.remove ? "-" : "") + key.path + "]\n";
        for (const RegistryFileValue &value : key.values)
            text += FormatValue(value) + "\n";
    }
    return text;
}

} // namespace qor::tool
