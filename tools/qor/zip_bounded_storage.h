// zip_bounded_storage.h: the file storage `qor zip extract` writes members into. It writes no more than
// the archive's directory declares for the member, so that data which expand past their declared size
// (an archive made to fill the disk) stop there, with an error for that member.
#pragma once

#include "ALStorage.h"

namespace qor::tool {

class BoundedFileStorage : public ALFileStorage {
public:
    explicit BoundedFileStorage(const char *name = "") : ALFileStorage(name) {}

    // The most bytes the member may have: its size in the archive's directory.
    void SetLimit(DWORD limit) { m_limit = limit; }
    int FlushBuffer() override;
    ALStorage *Clone(const char *name, int type) const override;

private:
    DWORD m_limit = 0xFFFFFFFF;
};

} // namespace qor::tool
