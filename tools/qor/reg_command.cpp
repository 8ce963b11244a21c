// reg_command.cpp: `qor reg query|add|delete|export|import`: the registry from the shell, in the
// manner of the platform's reg.exe, through CQorRegistry. An import is checked whole before anything
// changes, and a failure while applying it puts back every key it had touched.
#include "QorToolCommand.h"
#include "registry_file.h"

#include "QorError.h"
#include "QorRegistry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

namespace qor::tool {

namespace {

// What CQorRegistry answers, by its member rule, for these registry errors.
const HRESULT kMoreData = QorHResultFromWin32Member(ERROR_MORE_DATA);
const HRESULT kNotFound = QorHResultFromWin32Member(ERROR_FILE_NOT_FOUND);
const HRESULT kNoMoreItems = QorHResultFromWin32Member(ERROR_NO_MORE_ITEMS);
const DWORD kMaxValueName = 16384; // the registry's longest value name, with terminator
const DWORD kMaxKeyName = 256;

// CQorRegistry with its handle at hand, for the value types that the class has no overload for.
class ToolKey : public CQorRegistry {
public:
    HKEY Handle() const { return m_hKey; }
};

// "0xC0070002 (The system cannot find the file specified.)", for example
std::string ResultText(HRESULT code)
{
    CQorError error(code);
    std::string text = (const char *)error;
    while (!text.empty() && std::strchr("\r\n .", text.back()) != nullptr)
        text.pop_back();
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", (unsigned long)(DWORD)code);
    return text.empty() ? hex : std::string(hex) + " (" + text + ")";
}

std::string FullPath(const std::string &path)
{
    std::string full = ExpandRootName(path);
    if (full.empty())
        throw UsageError("'" + path + "' does not begin with a root key (HKLM, HKCU, HKCR, HKU, HKCC or a full name)");
    return full;
}

bool HasSubKeyPart(const std::string &fullPath) { return fullPath.find('\\') != std::string::npos; }

void OpenKey(ToolKey &key, const std::string &path, REGSAM access)
{
    HRESULT result = key.Open(path.c_str(), access);
    if (result < 0)
        throw CommandError("cannot open " + path + ": " + ResultText(result));
}

bool KeyExists(const std::string &path)
{
    CQorRegistry key;
    return key.Open(path.c_str(), KEY_READ) >= 0;
}

std::vector<RegistryFileValue> ReadValues(ToolKey &key, const std::string &path)
{
    std::vector<RegistryFileValue> values;
    std::vector<char> name(kMaxValueName);
    std::string data(4096, '\0');
    for (DWORD index = 0;;) {
        DWORD nameSize = kMaxValueName, dataSize = (DWORD)data.size(), type = 0;
        HRESULT result = key.EnumValue(index, name.data(), &nameSize, &type,
                                       reinterpret_cast<unsigned char *>(&data[0]), &dataSize);
        if (result == kMoreData && dataSize > data.size()) {
            data.resize(dataSize);
            continue;
        }
        if (result == kNoMoreItems)
            return values;
        if (result < 0)
            throw CommandError("cannot read the values of " + path + ": " + ResultText(result));
        RegistryFileValue value;
        value.name.assign(name.data(), nameSize);
        value.type = type;
        value.data = data.substr(0, dataSize);
        values.push_back(value);
        ++index;
    }
}

std::vector<std::string> ReadSubKeys(ToolKey &key, const std::string &path)
{
    std::vector<std::string> names;
    char name[kMaxKeyName];
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = kMaxKeyName;
        HRESULT result = key.EnumKey(index, name, &nameSize);
        if (result == kNoMoreItems)
            return names;
        if (result < 0)
            throw CommandError("cannot list the sub-keys of " + path + ": " + ResultText(result));
        names.emplace_back(name, nameSize);
    }
}

// The key at `path` and everything below it, each key before its sub-keys.
void ReadTree(const std::string &path, std::vector<RegistryFileKey> &keys)
{
    ToolKey key;
    OpenKey(key, path, KEY_READ);
    RegistryFileKey block;
    block.path = path;
    block.values = ReadValues(key, path);
    keys.push_back(block);
    for (const std::string &child : ReadSubKeys(key, path))
        ReadTree(path + "\\" + child, keys);
}

void WriteValue(ToolKey &key, const RegistryFileValue &value)
{
    LONG status = value.remove ? RegDeleteValueA(key.Handle(), value.name.c_str())
                               : RegSetValueExA(key.Handle(), value.name.c_str(), 0, value.type,
                                                reinterpret_cast<const BYTE *>(value.data.data()), (DWORD)value.data.size());
    if (value.remove && status == ERROR_FILE_NOT_FOUND)
        return; // deleting what is not there leaves what was asked for
    if (status != ERROR_SUCCESS)
        throw CommandError("cannot " + std::string(value.remove ? "delete" : "set") + " the value '" + value.name +
                           "': " + ResultText(QorHResultFromWin32((DWORD)status)));
}

void DeleteTree(const std::string &path)
{
    CQorRegistry key;
    HRESULT result = key.RecurseDeleteKey(path.c_str());
    if (result < 0 && result != kNotFound)
        throw CommandError("cannot delete " + path + ": " + ResultText(result));
}

void ApplyKey(const RegistryFileKey &block)
{
    if (block.remove) {
        DeleteTree(block.path);
        return;
    }
    ToolKey key;
    HRESULT result = key.Create(block.path.c_str());
    if (result < 0)
        throw CommandError("cannot create " + block.path + ": " + ResultText(result));
    for (const RegistryFileValue &value : block.values)
        WriteValue(key, value);
}

// What an import changes below one key, kept so that it can be put back: the key's whole tree as it
// was, or its absence.
struct Snapshot {
    std::string path;
    bool existed = false;
    std::vector<RegistryFileKey> tree;
};

// The highest key on the way to `path` that does not exist yet (or `path` itself), as it is now.
Snapshot TakeSnapshot(const std::string &path)
{
    Snapshot snapshot;
    size_t end = path.find('\\');
    do {
        end = path.find('\\', end + 1);
        snapshot.path = path.substr(0, end);
    } while (end != std::string::npos && KeyExists(snapshot.path));
    snapshot.existed = KeyExists(snapshot.path);
    if (snapshot.existed)
        ReadTree(snapshot.path, snapshot.tree);
    return snapshot;
}

void Restore(const Snapshot &snapshot)
{
    if (KeyExists(snapshot.path))
        DeleteTree(snapshot.path);
    for (const RegistryFileKey &block : snapshot.tree)
        ApplyKey(block);
}

void Import(const std::vector<RegistryFileKey> &keys, const std::string &fileName)
{
    std::vector<Snapshot> snapshots;
    try {
        for (const RegistryFileKey &block : keys) {
            snapshots.push_back(TakeSnapshot(block.path));
            try {
                ApplyKey(block);
            } catch (const CommandError &error) {
                throw CommandError(fileName + ":" + std::to_string(block.line) + ": " + error.what());
            }
        }
    } catch (const CommandError &error) {
        // Later snapshots were taken after earlier changes: putting them back newest first ends
        // with each key as it was before the import.
        std::string undoFailures;
        for (auto snapshot = snapshots.rbegin(); snapshot != snapshots.rend(); ++snapshot) {
            try {
                Restore(*snapshot);
            } catch (const CommandError &undo) {
                undoFailures += std::string("; undoing failed too: ") + undo.what();
            }
        }
        throw CommandError(error.what() + undoFailures);
    }
}

std::string TypeName(DWORD type)
{
    static const char *const names[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY",
                                        "REG_DWORD", "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ",
                                        "REG_RESOURCE_LIST", "REG_FULL_RESOURCE_DESCRIPTOR",
                                        "REG_RESOURCE_REQUIREMENTS_LIST", "REG_QWORD"};
    return type < sizeof names / sizeof names[0] ? names[type] : "REG_0x" + std::to_string(type);
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
    ToolKey key;
    OpenKey(key, path, KEY_READ);
    std::vector<RegistryFileValue> values = ReadValues(key, path);
    std::string out = "\n" + path + "\n";
    if (valueName != nullptr) {
        bool found = false;
        for (const RegistryFileValue &value : values)
            if (_stricmp(value.name.c_str(), valueName->c_str()) == 0) {
                out += ValueLine(value);
                found = true;
            }
        if (!found)
            throw CommandError("the value '" + *valueName + "' does not exist in " + path);
        std::cout << out << "\n";
        return;
    }
    for (const RegistryFileValue &value : values)
        out += ValueLine(value);
    std::vector<std::string> children = ReadSubKeys(key, path);
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
    throw UsageError("unknown value type '" + name + "' (REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_QWORD, REG_BINARY, "
                     "REG_MULTI_SZ, REG_NONE)");
}

unsigned long long ParseNumber(const std::string &text, unsigned long long limit, const char *typeName)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *digits = text.c_str() + (hex ? 2 : 0);
    char *end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(digits, &end, hex ? 16 : 10);
    if (text.empty() || end == digits || *end != '\0' || errno != 0 || value > limit || digits[0] == '-' || digits[0] == '+')
        throw UsageError("'" + text + "' is not a " + typeName + " number (decimal, or hexadecimal with 0x)");
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
                throw UsageError("a REG_MULTI_SZ list cannot hold an empty string ('" + data + "')");
            list += item + '\0';
            if (separator == std::string::npos)
                break;
            at = separator + 2;
        }
        return list + '\0';
    }
    default: {
        if (data.size() % 2 != 0 || data.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            throw UsageError("'" + data + "' is not hexadecimal bytes (pairs of digits, like 01FF)");
        std::string bytes;
        for (size_t at = 0; at < data.size(); at += 2)
            bytes += (char)std::stoul(data.substr(at, 2), nullptr, 16);
        return bytes;
    }
    }
}

std::string ReadWholeFile(const std::string &fileName)
{
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw CommandError("cannot read " + fileName + ": " + std::strerror(errno));
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
        if (!HasSubKeyPart(path))
            throw UsageError("'" + options->key + "' is a root key; name a key below it");
        RegistryFileKey block;
        block.path = path;
        if (named) {
            RegistryFileValue item;
            item.name = options->value;
            item.type = ParseType(options->type);
            item.data = EncodeData(item.type, options->data);
            block.values.push_back(item);
        }
        ApplyKey(block);
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
        ToolKey key;
        OpenKey(key, path, KEY_ALL_ACCESS);
        if (named) {
            HRESULT result = key.DeleteValue(options->value.c_str());
            if (result < 0)
                throw CommandError("cannot delete the value '" + options->value + "' of " + path + ": " + ResultText(result));
        } else {
            if (!HasSubKeyPart(path))
                throw UsageError("'" + options->key + "' is a root key, which cannot be deleted");
            if (!options->tree && !ReadSubKeys(key, path).empty())
                throw CommandError(path + " has sub-keys: add --tree to delete the whole tree");
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
        std::vector<RegistryFileKey> keys;
        ReadTree(FullPath(options->key), keys);
        std::ofstream file(options->file, std::ios::binary | std::ios::trunc);
        file << FormatRegistryFile(keys);
        file.close();
        if (!file)
            throw CommandError("cannot write " + options->file);
        Succeeded();
    });
}

void AddImport(CLI::App &reg, const std::shared_ptr<RegOptions> &options)
{
    CLI::App *importer = reg.add_subcommand("import", "Apply a registry file (REGEDIT4 or version 5.00): all or nothing");
    importer->add_option("FILE", options->file, "The registry file")->required();
    importer->footer("The whole file is checked first; when applying it fails, every key it touched is put back.\n"
                     "Example:\n  qor reg import tolmar.reg");
    importer->callback([options] {
        std::vector<RegistryFileKey> keys = ParseRegistryFile(ReadWholeFile(options->file), options->file);
        for (const RegistryFileKey &block : keys)
            if (!HasSubKeyPart(block.path))
                throw UsageError(options->file + ":" + std::to_string(block.line) + ": a root key itself cannot be imported");
        Import(keys, options->file);
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
