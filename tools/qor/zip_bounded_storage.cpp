// zip_bounded_storage.cpp: a file storage that refuses to grow past a limit.
#include "zip_bounded_storage.h"

#include <new>

namespace qor::tool {

int BoundedFileStorage::FlushBuffer()
{
    const unsigned long long reached = static_cast<DWORD>(m_lFilePosition) + static_cast<unsigned long long>(m_lWriteIndex);
    if (mStatus >= 0 && reached > m_limit)
        return mStatus.SetError(AL_WRITE_FAILED, "the data expand past the %lu bytes that the archive declares",
                                static_cast<unsigned long>(m_limit));
    return ALFileStorage::FlushBuffer();
}

ALStorage *BoundedFileStorage::Clone(const char *name, int type) const
{
    if (type != AL_STORAGE_ANY && type != AL_STORAGE_FILE)
        return nullptr;
    return new (std::nothrow) BoundedFileStorage(name);
}

} // namespace qor::tool
