// registry_undo.h: what a registry import changed, recorded before each change, so that a failed
// import can be put back where no batch makes it all or nothing (the Windows build).
#pragma once

#include "registry_file.h"

#include "QorWinTypes.h"

#include <string>
#include <vector>

namespace qor::tool {

class UndoLog {
public:
    // Before the key at `path` is created: remembers the highest key of the path that is missing.
    void BeforeCreate(const std::string &path);
    // Before the tree at `path` is deleted: the whole tree as it is.
    void BeforeDeleteTree(const std::string &path);
    // Before `value` is written to (or deleted from) the open key `key` at `path`.
    void BeforeValue(HKEY key, const std::string &path, const RegistryFileValue &value);

    // Puts back, newest first, what still holds what the import wrote: a value another process
    // changed since, and a key made by the import that now holds others' values, are kept. Answers
    // the text of what was kept or could not be put back; empty when everything was.
    std::string Undo() const;

private:
    struct ValueChange {
        std::string path;
        RegistryFileValue written; // what the import wrote (`remove` for a deletion)
        bool existed = false;
        RegistryFileValue before; // with the stored spelling of the name
    };
    struct Change {
        enum Kind { kCreated, kDeletedTree, kValue } kind;
        std::string path;
        std::vector<RegistryFileKey> tree; // kDeletedTree
        ValueChange value;                 // kValue
    };

    std::string UndoValue(const ValueChange &change) const;
    std::string UndoCreate(const std::string &path) const;
    std::string UndoDeleteTree(const std::vector<RegistryFileKey> &tree) const;

    std::vector<Change> m_changes;
};

} // namespace qor::tool
