// registry_tree.cpp: reading keys, values and whole trees of the registry for qor, and deleting
// trees, through the registry calls of the build (our store on POSIX, the system's on Windows).
#include "registry_tree.h"

#include "QorToolCommand.h"

#include "QorError.h"
#include "QorRegistry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace qor::tool {

namespace {

const DWORD kMaxValueName = 16384; // the registry's longest value name, with terminator
const DWORD kMaxKeyName = 256;

// The library's root-key table and path splitter, which CQorRegistry keeps protected.
class RootKeys : public CQorRegistry {
public:
    static HKEY Split(const char *path, const char **rest) { return RegistryBaseKey(path, rest); }
};

} // namespace

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

std::string StatusText(LSTATUS status) { return ResultText(QorHResultFromWin32Member((DWORD)status)); }

HKEY RootKeyOf(const std::string &path, std::string &rest)
{
    const char *behind = nullptr;
    HKEY root = RootKeys::Split(path.c_str(), &behind);
    if (root != nullptr)
        rest = behind;
    return root;
}

LSTATUS OpenBelow(HKEY parent, const std::string &subPath, REGSAM access, bool create, ScopedRegistryKey &key)
{
    const size_t kLevelsPerCall = 32, kCharactersPerCall = 255;
    ScopedRegistryKey current;
    LSTATUS status = ERROR_SUCCESS;
    size_t at = 0;
    do {
        size_t end = at;
        for (size_t levels = 0, next; levels < kLevelsPerCall && end < subPath.size(); ++levels, end = next) {
            next = std::min(subPath.find('\\', end + 1), subPath.size());
            if (levels > 0 && next - at > kCharactersPerCall)
                break;
        }
        const std::string step = subPath.substr(at, end - at);
        HKEY from = current ? current.Get() : parent, opened = nullptr;
        status = create ? RegCreateKeyExA(from, step.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                          &opened, nullptr)
                        : RegOpenKeyExA(from, step.c_str(), 0, access, &opened);
        if (status == ERROR_SUCCESS)
            current.Reset(opened);
        at = end + 1;
    } while (status == ERROR_SUCCESS && at < subPath.size());
    if (status == ERROR_SUCCESS)
        key = std::move(current);
    return status;
}

LSTATUS OpenPath(const std::string &path, REGSAM access, bool create, ScopedRegistryKey &key)
{
    std::string rest;
    HKEY root = RootKeyOf(path, rest);
    return root ? OpenBelow(root, rest, access, create, key) : ERROR_INVALID_HANDLE;
}

std::vector<RegistryFileValue> ReadValues(HKEY key, const std::string &path)
{
    std::vector<RegistryFileValue> values;
    std::vector<char> name(kMaxValueName);
    std::string data(4096, '\0');
    for (DWORD index = 0;;) {
        DWORD nameSize = kMaxValueName, dataSize = (DWORD)data.size(), type = 0;
        LSTATUS status = RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type,
                                       reinterpret_cast<BYTE *>(&data[0]), &dataSize);
        if (status == ERROR_MORE_DATA && dataSize > data.size()) {
            data.resize(dataSize);
            continue;
        }
        if (status == ERROR_NO_MORE_ITEMS)
            return values;
        if (status != ERROR_SUCCESS)
            throw CommandError("cannot read the values of " + Echo(path) + ": " + StatusText(status));
        RegistryFileValue value;
        value.name.assign(name.data(), nameSize);
        value.type = type;
        value.data = data.substr(0, dataSize);
        values.push_back(value);
        ++index;
    }
}

std::vector<std::string> ReadSubKeys(HKEY key, const std::string &path)
{
    std::vector<std::string> names;
    char name[kMaxKeyName];
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = kMaxKeyName;
        LSTATUS status = RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return names;
        if (status != ERROR_SUCCESS)
            throw CommandError("cannot list the sub-keys of " + Echo(path) + ": " + StatusText(status));
        names.emplace_back(name, nameSize);
    }
}

std::vector<RegistryFileKey> ReadTree(const std::string &path)
{
    // Depth first on a stack of keys still to read, each opened below its parent when its turn
    // comes; a parent stays open while any of its sub-keys waits.
    struct Pending {
        std::string path, name;
        std::shared_ptr<ScopedRegistryKey> parent;
    };
    std::vector<Pending> pending{{path, std::string(), nullptr}};
    std::vector<RegistryFileKey> keys;
    while (!pending.empty()) {
        Pending next = std::move(pending.back());
        pending.pop_back();
        auto key = std::make_shared<ScopedRegistryKey>();
        HKEY opened = nullptr;
        LSTATUS status = next.parent ? RegOpenKeyExA(next.parent->Get(), next.name.c_str(), 0, KEY_READ, &opened)
                                     : OpenPath(next.path, KEY_READ, false, *key);
        if (next.parent && status == ERROR_SUCCESS)
            key->Reset(opened);
        if (status != ERROR_SUCCESS)
            throw CommandError("cannot open " + Echo(next.path) + ": " + StatusText(status));
        keys.push_back({next.path, false, ReadValues(key->Get(), next.path), 0});
        std::vector<std::string> children = ReadSubKeys(key->Get(), next.path);
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            pending.push_back({next.path + "\\" + *child, *child, key});
    }
    return keys;
}

void DeleteTree(const std::string &path)
{
    // The parent is opened in steps (OpenBelow), which a full path given to the class would not be.
    const size_t separator = path.rfind('\\');
    ScopedRegistryKey parent;
    LSTATUS status = OpenPath(path.substr(0, separator), KEY_ALL_ACCESS, false, parent);
    HRESULT result = QorHResultFromWin32Member((DWORD)status);
    if (status == ERROR_SUCCESS) {
        CQorRegistry key;
        key = parent.Get();
        result = key.RecurseDeleteSubKey(path.substr(separator + 1).c_str());
    }
    if (result < 0 && result != QorHResultFromWin32Member(ERROR_FILE_NOT_FOUND))
        throw CommandError("cannot delete " + Echo(path) + ": " + ResultText(result));
}

} // namespace qor::tool
