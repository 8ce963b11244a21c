// reg_command.cpp: `qor reg query|add|delete|export|import`: the registry from the shell, in the
// manner of the platform's reg.exe. Names are checked before anything changes; imports apply all or
// nothing (registry_import.h).
#include "QorToolCommand.h"
#include "native_path.h"
#include "registry_file.h"
#include "registry_import.h"
#include "registry_tree.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

namespace qor::tool {

namespace {

std::string FullPath(const std::string &path)
{
    std::string full = ExpandRootName(path);
    if (full.empty())
        throw UsageError(Echo(path) + " does not begin with a root key (HKLM, HKCU, HKCR, HKU, HKCC or a full name)");
    std::string problem = KeyPathProblem(full);
    if (!problem.empty())
        throw UsageError(Echo(path) + ": " + problem);
    return full;
}

ScopedRegistryKey OpenKey(const std::string &path, REGSAM access)
{
    ScopedRegistryKey key;
    LSTATUS status = OpenPath(path, access, false, key);
    if (status != ERROR_SUCCESS)
        throw CommandError("cannot open " + Echo(path) + ": " + StatusText(status));
    return key;
}

std::string TypeName(DWORD type)
{
    static const char *const names[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY",
                                        "REG_DWORD", "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ",
                                        "REG_RESOURCE_LIST", "REG_FULL_RESOURCE_DESCRIPTOR",
                                        "REG_RESOURCE_REQUIREMENTS_LIST", "REG_QWORD"};
    char number[16];
    std::snprintf(number, sizeof number, "REG_0x%lX", (unsigned long)type);
    return type < sizeof names / sizeof names[0] ? names[type] : number;
}

// The data as reg.exe shows it: texts as they are, numbers in hexadecimal, lists joined with \0,
// everything else as hexadecimal bytes.
std::string DataText(const RegistryFileValue &value)
{
    const std::string &data = value.data;
    char number[32];
    switch (value.type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return data.substr(0, data.find('\0'));
    case REG_DWORD:
        if (data.size() == 4) {
            DWORD dword;
            std::memcpy(&dword, data.data(), 4);
            std::snprintf(number, sizeof number, "0x%lx", (unsigned long)dword);
            return number;
        }
        break;
    case REG_QWORD:
        if (data.size() == 8) {
            unsigned long long qword;
            std::memcpy(&qword, data.data(), 8);
            std::snprintf(number, sizeof number, "0x%llx", qword);
            return number;
        }
        break;
    case REG_MULTI_SZ: {
        std::string joined;
        for (size_t at = 0; at < data.size() && data[at] != '\0'; at = data.find('\0', at) + 1) {
            if (!joined.empty())
                joined += "\\0";
            joined += data.substr(at, data.find('\0', at) - at);
            if (data.find('\0', at) == std::string::npos)
                break;
        }
        return joined;
    }
    }
    std::string hex;
    for (unsigned char byte : data) {
        std::snprintf(number, sizeof number, "%02X", byte);
        hex += number;
    }
    return hex;
}

std::string ValueLine(const RegistryFileValue &value)
{
    return "    " + (value.name.empty() ? std::string("(Default)") : value.name) + "    " + TypeName(value.type) +
           "    " + DataText(value) + "\n";
}

void Query(const std::string &path, const std::string *valueName)
{
    ScopedRegistryKey key = OpenKey(path, KEY_READ);
    std::vector<RegistryFileValue> values = ReadValues(key.Get(), path);
    std::string out = "\n" + path + "\n";
    if (valueName != nullptr) {
        bool found = false;
        for (const RegistryFileValue &value : values)
            if (_stricmp(value.name.c_str(), valueName->c_str()) == 0) {
                out += ValueLine(value);
                found = true;
            }
        if (!found)
            throw CommandError("the value " + Echo(*valueName) + " does not exist in " + Echo(path));
        std::cout << out << "\n";
        return;
    }
    for (const RegistryFileValue &value : values)
        out += ValueLine(value);
    std::vector<std::string> children = ReadSubKeys(key.Get(), path);
    if (!children.empty())
        out += "\n";
    for (const std::string &child : children)
        out += path + "\\" + child + "\n";
    std::cout << out;
}

DWORD ParseType(const std::string &name)
{
    const struct {
        const char *name;
        DWORD type;
    } types[] = {{"REG_SZ", REG_SZ},       {"REG_EXPAND_SZ", REG_EXPAND_SZ}, {"REG_DWORD", REG_DWORD},
                 {"REG_QWORD", REG_QWORD}, {"REG_BINARY", REG_BINARY},       {"REG_MULTI_SZ", REG_MULTI_SZ},
                 {"REG_NONE", REG_NONE}};
    for (const auto &row : types)
        if (_stricmp(row.name, name.c_str()) == 0)
            return row.type;
    throw UsageError("unknown value type " + Echo(name) + " (REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_QWORD, REG_BINARY, "
                     "REG_MULTI_SZ, REG_NONE)");
}

unsigned long long ParseNumber(const std::string &text, unsigned long long limit, const char *typeName)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *digits = text.c_str() + (hex ? 2 : 0);
    char *end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(digits, &end, hex ? 16 : 10);
    // strtoull would skip blanks and take a sign: a number is digits from its first character on.
    if (!std::isxdigit((unsigned char)digits[0]) || *end != '\0' || errno != 0 || value > limit)
        throw UsageError(Echo(text) + " is not a " + typeName + " number (decimal, or hexadecimal with 0x)");
    return value;
}

// The bytes that `data` stands for under `type`, as `qor reg add` takes them.
std::string EncodeData(DWORD type, const std::string &data)
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return data + '\0';
    case REG_DWORD: {
        DWORD number = (DWORD)ParseNumber(data, 0xFFFFFFFFull, "REG_DWORD");
        return std::string(reinterpret_cast<const char *>(&number), 4);
    }
    case REG_QWORD: {
        unsigned long long number = ParseNumber(data, ~0ull, "REG_QWORD");
        return std::string(reinterpret_cast<const char *>(&number), 8);
    }
    case REG_MULTI_SZ: {
        std::string list;
        for (size_t at = 0; !data.empty();) {
            size_t separator = data.find("\\0", at);
            std::string item = data.substr(at, separator == std::string::npos ? std::string::npos : separator - at);
            if (item.empty())
                throw UsageError("a REG_MULTI_SZ list cannot hold an empty string (" + Echo(data) + ")");
            list += item + '\0';
            if (separator == std::string::npos)
                break;
            at = separator + 2;
        }
        return list + '\0';
    }
    default: {
        if (data.size() % 2 != 0 || data.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            throw UsageError(Echo(data) + " is not hexadecimal bytes (pairs of digits, like 01FF)");
        std::string bytes;
        for (size_t at = 0; at < data.size(); at += 2)
            bytes += (char)std::stoul(data.substr(at, 2), nullptr, 16);
        return bytes;
    }
    }
}

std::string ReadWholeFile(const std::string &fileName)
{
    std::error_code error;
    if (std::filesystem::is_directory(NativePath(fileName), error)) // Linux would open it
        throw CommandError("cannot read " + Echo(fileName) + ": " + std::strerror(EISDIR));
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw CommandError("cannot read " + Echo(fileName) + ": " + std::strerror(errno));
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void Succeeded() { std::cout << "The operation completed successfully.\n"; }

struct RegOptions {
    std::string key;
    std::string value;
    std::string type = "REG_SZ";
    std::string data;
    std::string file;
    bool tree = false;
    bool defaultValue = false;
};

// --value NAME, or --default for the unnamed value (an empty argument is hard to pass from scripts).
CLI::Option *AddValueOptions(CLI::App &command, const std::shared_ptr<RegOptions> &options, const char *what)
{
    CLI::Option *value = command.add_option("--value", options->value, what);
    command.add_flag("--default", options->defaultValue, "The default (unnamed) value, as --value \"\"")->excludes(value);
    return value;
}

// Whether a value was named, and its name in `options->value`.
bool ValueNamed(const CLI::Option *value, RegOptions &options)
{
    if (options.defaultValue)
        options.value.clear();
    return value->count() > 0 || options.defaultValue;
}

void AddQuery(CLI::App &reg, const std::shared_ptr<RegOptions> &options)
{
    CLI::App *query = reg.add_subcommand("query", "List a key's values and sub-keys, or one value");
    query->add_option("KEY", options->key, "The key: HKLM\\..., HKCU\\..., or a full root name")->required();
    CLI::Option *value = AddValueOptions(*query, options, "Show only this value");
    query->footer("Examples:\n  qor reg query HKCU\\Software\\Tolmar Technology\\Common\n"
                  "  qor reg query HKLM\\Software\\Tolmar Technology\\Common --value Path");
    query->callback([options, value] {
        Query(FullPath(options->key), ValueNamed(value, *options) ? &options->value : nullptr);
    });
}

void AddAdd(CLI::App &reg, const std::shared_ptr<RegOptions> &options)
{
    CLI::App *add = reg.add_subcommand("add", "Create a key, or set one of its values");
    add->add_option("KEY", options->key, "The key, created with its parents when missing")->required();
    CLI::Option *value = AddValueOptions(*add, options, "The value's name");
    CLI::Option *type = add->add_option("--type", options->type,
                                        "REG_SZ (default), REG_EXPAND_SZ, REG_DWORD, REG_QWORD, REG_BINARY, REG_MULTI_SZ");
    CLI::Option *data = add->add_option("--data", options->data,
                                        "The data: text; a number (decimal or 0x...); hex bytes (01FF); "
                                        "for REG_MULTI_SZ strings separated by \\0");
    add->footer("Examples:\n  qor reg add HKCU\\Software\\Tolmar Technology\\Common --value DataPath --data /srv/z4db\n"
                "  qor reg add HKCU\\Software\\Test --value Count --type REG_DWORD --data 0x10\n"
                "  qor reg add HKCU\\Software\\Test --value List --type REG_MULTI_SZ --data \"one\\0two\"");
    add->callback([options, value, type, data] {
        const std::string path = FullPath(options->key);
        const bool named = ValueNamed(value, *options);
        if (!named && (type->count() || data->count()))
            throw UsageError("--type and --data need --value or --default");
        if (IsRootPath(path))
            throw UsageError(Echo(options->key) + " is a root key; name a key below it");
        ScopedRegistryKey key;
        LSTATUS status = OpenPath(path, KEY_ALL_ACCESS, true, key);
        if (status != ERROR_SUCCESS)
            throw CommandError("cannot create " + Echo(path) + ": " + StatusText(status));
        if (named) {
            const DWORD valueType = ParseType(options->type);
            const std::string bytes = EncodeData(valueType, options->data);
            status = RegSetValueExA(key.Get(), options->value.c_str(), 0, valueType,
                                    reinterpret_cast<const BYTE *>(bytes.data()), (DWORD)bytes.size());
            if (status != ERROR_SUCCESS)
                throw CommandError("cannot set the value " + Echo(options->value) + ": " + StatusText(status));
        }
        Succeeded();
    });
}

void AddDelete(CLI::App &reg, const std::shared_ptr<RegOptions> &options)
{
    CLI::App *remove = reg.add_subcommand("delete", "Delete a value, a key without sub-keys, or a whole tree");
    remove->add_option("KEY", options->key, "The key")->required();
    CLI::Option *value = AddValueOptions(*remove, options, "Delete only this value");
    remove->add_flag("--tree", options->tree, "Delete the key with all its sub-keys");
    remove->footer("Examples:\n  qor reg delete HKCU\\Software\\Test --value Count\n"
                   "  qor reg delete HKCU\\Software\\Test --tree");
    remove->callback([options, value] {
        const std::string path = FullPath(options->key);
        const bool named = ValueNamed(value, *options);
        if (named && options->tree)
            throw UsageError("--value or --default and --tree do not go together");
        if (!named && IsRootPath(path))
            throw UsageError(Echo(options->key) + " is a root key, which cannot be deleted");
        ScopedRegistryKey key = OpenKey(path, KEY_ALL_ACCESS);
        if (named) {
            LSTATUS status = RegDeleteValueA(key.Get(), options->value.c_str());
            if (status != ERROR_SUCCESS)
                throw CommandError("cannot delete the value " + Echo(options->value) + " of " + Echo(path) + ": " +
                                   StatusText(status));
        } else {
            if (!options->tree && !ReadSubKeys(key.Get(), path).empty())
                throw CommandError(Echo(path) + " has sub-keys: add --tree to delete the whole tree");
            key.Close();
            DeleteTree(path);
        }
        Succeeded();
    });
}

void AddExport(CLI::App &reg, const std::shared_ptr<RegOptions> &options)
{
    CLI::App *exporter = reg.add_subcommand("export", "Write a key and everything below it to a REGEDIT4 file");
    exporter->add_option("KEY", options->key, "The key")->required();
    exporter->add_option("FILE", options->file, "The file to write (replaced when it exists)")->required();
    exporter->footer("Example:\n  qor reg export \"HKCU\\Software\\Tolmar Technology\" tolmar.reg");
    exporter->callback([options] {
        std::vector<RegistryFileKey> keys = ReadTree(FullPath(options->key));
        std::ofstream file(options->file, std::ios::binary | std::ios::trunc);
        file << FormatRegistryFile(keys);
        file.close();
        if (!file)
            throw CommandError("cannot write " + Echo(options->file));
        Succeeded();
    });
}

void AddImport(CLI::App &reg, const std::shared_ptr<RegOptions> &options)
{
    CLI::App *importer = reg.add_subcommand("import", "Apply a registry file (REGEDIT4 or version 5.00): all or nothing");
    importer->add_option("FILE", options->file, "The registry file")->required();
    importer->footer("The whole file is checked first. On Linux the import is one transaction: a failure or a kill\n"
                     "leaves the registry as it was. On Windows a failure puts back each change that still holds.\n"
                     "Example:\n  qor reg import tolmar.reg");
    importer->callback([options] {
        std::vector<RegistryFileKey> keys = ParseRegistryFile(ReadWholeFile(options->file), options->file);
        ImportRegistryFile(keys, options->file);
        Succeeded();
    });
}

} // namespace

void AddRegCommand(CLI::App &app)
{
    CLI::App *reg = app.add_subcommand("reg", "Read and change the registry: query, add, delete, export, import");
    reg->require_subcommand(1);
    reg->footer("Keys begin with HKLM, HKCU, HKCR, HKU, HKCC or a full root name (HKEY_CURRENT_USER).");
    auto options = std::make_shared<RegOptions>();
    AddQuery(*reg, options);
    AddAdd(*reg, options);
    AddDelete(*reg, options);
    AddExport(*reg, options);
    AddImport(*reg, options);
}

} // namespace qor::tool
