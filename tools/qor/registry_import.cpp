// registry_import.cpp: applying a checked registry file to the registry: on POSIX inside one batch
// of the registry store, on Windows with an undo record. Each block opens its key below the nearest
// key of the previous blocks that is still open, so a file that lists parents before children
// (as exports do) is applied in time linear in its size, however deep.
#include "registry_import.h"

#include "registry_tree.h"
#include "registry_undo.h"

#include "QorToolCommand.h"

#include "QorPlatformHooks.h" // the POSIX store's batches

#include <cstring>

namespace qor::tool {

namespace {

// Whether `path` is `ancestor` or lies below it; names compare without regard to ASCII case.
bool IsWithin(const std::string &path, const std::string &ancestor)
{
    return path.size() >= ancestor.size() && _strnicmp(path.c_str(), ancestor.c_str(), ancestor.size()) == 0 &&
           (path.size() == ancestor.size() || path[ancestor.size()] == '\\');
}

// The keys from the outermost open one to the key of the last block, each inside the one before.
class KeyChain {
public:
    // The key at `path`, created when missing.
    LSTATUS Open(const std::string &path, HKEY &key)
    {
        while (!m_links.empty() && !IsWithin(path, m_links.back().path))
            m_links.pop_back();
        ScopedRegistryKey opened;
        LSTATUS status = ERROR_SUCCESS;
        if (m_links.empty()) {
            status = OpenPath(path, KEY_ALL_ACCESS, true, opened);
        } else if (path.size() > m_links.back().path.size()) {
            status = OpenBelow(m_links.back().key.Get(), path.substr(m_links.back().path.size() + 1), KEY_ALL_ACCESS,
                               true, opened);
        }
        if (opened)
            m_links.push_back({path, std::move(opened)});
        if (status == ERROR_SUCCESS)
            key = m_links.back().key.Get();
        return status;
    }

    // Closes the keys at and below `path`, which is about to be deleted.
    void Forget(const std::string &path)
    {
        while (!m_links.empty() && IsWithin(m_links.back().path, path))
            m_links.pop_back();
    }

private:
    struct Link {
        std::string path;
        ScopedRegistryKey key;
    };
    std::vector<Link> m_links;
};

void WriteValue(HKEY key, const RegistryFileValue &value)
{
    LSTATUS status = value.remove ? RegDeleteValueA(key, value.name.c_str())
                                  : RegSetValueExA(key, value.name.c_str(), 0, value.type,
                                                   reinterpret_cast<const BYTE *>(value.data.data()),
                                                   (DWORD)value.data.size());
    if (value.remove && status == ERROR_FILE_NOT_FOUND)
        return; // deleting what is not there leaves what was asked for
    if (status != ERROR_SUCCESS)
        throw CommandError("cannot " + std::string(value.remove ? "delete" : "set") + " the value " +
                           Echo(value.name) + ": " + StatusText(status));
}

std::string Where(const std::string &fileName, int line) { return fileName + ":" + std::to_string(line) + ": "; }

// Applies every block; `undo`, when given, records each change before it is made.
void Apply(const std::vector<RegistryFileKey> &keys, const std::string &fileName, UndoLog *undo)
{
    KeyChain chain;
    for (const RegistryFileKey &block : keys) {
        int line = block.line;
        try {
            if (block.remove) {
                chain.Forget(block.path);
                if (undo)
                    undo->BeforeDeleteTree(block.path);
                DeleteTree(block.path);
                continue;
            }
            if (undo)
                undo->BeforeCreate(block.path);
            HKEY key = nullptr;
            LSTATUS status = chain.Open(block.path, key);
            if (status != ERROR_SUCCESS)
                throw CommandError("cannot create " + Echo(block.path) + ": " + StatusText(status));
            for (const RegistryFileValue &value : block.values) {
                line = value.line;
                if (undo)
                    undo->BeforeValue(key, block.path, value);
                WriteValue(key, value);
            }
        } catch (const CommandError &error) {
            throw CommandError(Where(fileName, line) + error.what());
        }
    }
}

} // namespace

void ImportRegistryFile(const std::vector<RegistryFileKey> &keys, const std::string &fileName)
{
#if defined(_WIN32)
    // The Windows registry applies each change on its own: what the import changed is put back.
    UndoLog undo;
    try {
        Apply(keys, fileName, &undo);
    } catch (const CommandError &error) {
        std::string kept = undo.Undo();
        throw CommandError(error.what() + (kept.empty() ? std::string() : "; undoing: " + kept));
    }
#else
    LSTATUS status = QorRegistryBeginBatch();
    if (status != ERROR_SUCCESS)
        throw CommandError(Where(fileName, 1) + "cannot begin the import: " + StatusText(status));
    try {
        Apply(keys, fileName, nullptr);
    } catch (const CommandError &) {
        QorRegistryAbortBatch();
        throw;
    }
    status = QorRegistryCommitBatch();
    if (status != ERROR_SUCCESS)
        throw CommandError(Where(fileName, 1) + "the import could not be committed, nothing of it applies: " +
                           StatusText(status));
#endif
}

} // namespace qor::tool
