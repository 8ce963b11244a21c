// registry_undo.cpp: the record of a registry import's changes and putting them back. Each entry
// remembers what was there before and what the import wrote, so that undoing touches only what
// still holds the import's own writing.
#include "registry_undo.h"

#include "registry_tree.h"

#include "QorToolCommand.h"

#include <cstring>

namespace qor::tool {

namespace {

bool KeyExists(const std::string &path)
{
    ScopedRegistryKey key;
    return OpenPath(path, KEY_READ, false, key) == ERROR_SUCCESS;
}

std::string ParentOf(const std::string &path) { return path.substr(0, path.rfind('\\')); }

// The value `name` of the open key as it is now; false when there is none.
bool QueryValue(HKEY key, const std::string &name, RegistryFileValue &value)
{
    DWORD type = 0, size = 0;
    LSTATUS status = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::string data;
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) { // it may grow in between
        data.resize(size + 1);
        status = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&data[0]), &size);
        if (status == ERROR_SUCCESS) {
            value.name = name;
            value.type = type;
            value.data = data.substr(0, size);
            return true;
        }
    }
    return false;
}

// The name of the value or sub-key that `name` matches, spelled as the registry stores it.
std::string StoredSpelling(const std::vector<std::string> &names, const std::string &name)
{
    for (const std::string &stored : names)
        if (_stricmp(stored.c_str(), name.c_str()) == 0)
            return stored;
    return name;
}

std::string Joined(const std::string &first, const std::string &second)
{
    return first.empty() ? second : second.empty() ? first : first + "; " + second;
}

} // namespace

void UndoLog::BeforeCreate(const std::string &path)
{
    if (KeyExists(path))
        return;
    std::string highest = path;
    while (highest.find('\\') != std::string::npos && !KeyExists(ParentOf(highest)))
        highest = ParentOf(highest);
    m_changes.push_back({Change::kCreated, highest, {}, {}});
}

void UndoLog::BeforeDeleteTree(const std::string &path)
{
    ScopedRegistryKey parent;
    if (!KeyExists(path) || OpenPath(ParentOf(path), KEY_READ, false, parent) != ERROR_SUCCESS)
        return;
    // The tree comes back with its names as stored, whatever case the file wrote them in.
    const std::string leaf = path.substr(path.rfind('\\') + 1);
    const std::string stored = ParentOf(path) + "\\" + StoredSpelling(ReadSubKeys(parent.Get(), path), leaf);
    m_changes.push_back({Change::kDeletedTree, stored, ReadTree(stored), {}});
}

void UndoLog::BeforeValue(HKEY key, const std::string &path, const RegistryFileValue &value)
{
    ValueChange change;
    change.path = path;
    change.written = value;
    change.existed = QueryValue(key, value.name, change.before);
    if (change.existed && value.remove) { // the value comes back with its name as stored
        std::vector<std::string> names;
        for (const RegistryFileValue &stored : ReadValues(key, path))
            names.push_back(stored.name);
        change.before.name = StoredSpelling(names, value.name);
    }
    m_changes.push_back({Change::kValue, path, {}, change});
}

std::string UndoLog::Undo() const
{
    std::string kept;
    for (auto change = m_changes.rbegin(); change != m_changes.rend(); ++change) {
        try {
            kept = Joined(kept, change->kind == Change::kValue     ? UndoValue(change->value)
                                : change->kind == Change::kCreated ? UndoCreate(change->path)
                                                                   : UndoDeleteTree(change->tree));
        } catch (const CommandError &error) {
            kept = Joined(kept, error.what());
        }
    }
    return kept;
}

std::string UndoLog::UndoValue(const ValueChange &change) const
{
    const RegistryFileValue &written = change.written;
    const std::string what = "the value " + Echo(written.name) + " of " + Echo(change.path);
    ScopedRegistryKey key;
    if (OpenPath(change.path, KEY_ALL_ACCESS, false, key) != ERROR_SUCCESS)
        return change.existed ? "cannot put back " + what + ": its key is gone" : std::string();
    RegistryFileValue now;
    bool present = QueryValue(key.Get(), written.name, now);
    bool stillWritten = written.remove ? !present : present && now.type == written.type && now.data == written.data;
    if (!stillWritten)
        return "kept " + what + ": another change replaced what the import wrote";
    const RegistryFileValue &before = change.before;
    LSTATUS status = change.existed ? RegSetValueExA(key.Get(), before.name.c_str(), 0, before.type,
                                                     reinterpret_cast<const BYTE *>(before.data.data()),
                                                     (DWORD)before.data.size())
                                    : RegDeleteValueA(key.Get(), written.name.c_str());
    return status == ERROR_SUCCESS ? std::string() : "cannot put back " + what + ": " + StatusText(status);
}

std::string UndoLog::UndoCreate(const std::string &path) const
{
    if (!KeyExists(path))
        return std::string();
    for (const RegistryFileKey &key : ReadTree(path))
        if (!key.values.empty())
            return "kept " + Echo(path) + ": it holds values the import did not write";
    DeleteTree(path);
    return std::string();
}

std::string UndoLog::UndoDeleteTree(const std::vector<RegistryFileKey> &tree) const
{
    std::string kept;
    for (const RegistryFileKey &block : tree) {
        ScopedRegistryKey key;
        LSTATUS status = OpenPath(block.path, KEY_ALL_ACCESS, true, key);
        for (size_t i = 0; status == ERROR_SUCCESS && i < block.values.size(); ++i) {
            const RegistryFileValue &value = block.values[i];
            RegistryFileValue now;
            if (!QueryValue(key.Get(), value.name, now)) // one written since is kept
                status = RegSetValueExA(key.Get(), value.name.c_str(), 0, value.type,
                                        reinterpret_cast<const BYTE *>(value.data.data()), (DWORD)value.data.size());
        }
        if (status != ERROR_SUCCESS)
            kept = Joined(kept, "cannot put back " + Echo(block.path) + ": " + StatusText(status));
    }
    return kept;
}

} // namespace qor::tool
