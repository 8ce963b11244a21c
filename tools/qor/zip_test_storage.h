// zip_test_storage.h: the storage `qor zip test` extracts into: it keeps nothing, and only runs the
// bytes through the CRC register, so every member's data are checked without a file being written.
#pragma once

#include "ALStorage.h"

namespace qor::tool {

class DiscardingStorage : public ALStorage {
public:
    explicit DiscardingStorage(const char *name = "") : ALStorage(name, 64 * 1024, AL_STORAGE_ANY, AL_CASE_MIXED) {}
    ~DiscardingStorage() override = default;

    int Close() override;
    int LoadBuffer(LONG position) override;
    int FlushBuffer() override;
    int Seek(LONG position) override;
    int Rename(const char *newName = nullptr, int deleteExisting = 1) override;
    int UnRename(int deleteExisting = 1) override;
    int RenameToBackup(int deleteExisting = 1) override;
    int Delete() override;
    ALStorage *Clone(const char *name, int type) const override;
};

} // namespace qor::tool
