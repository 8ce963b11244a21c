// zip_test_storage.cpp: a storage that counts and checksums what is written to it and keeps nothing.
#include "zip_test_storage.h"

#include <new>

namespace qor::tool {

int DiscardingStorage::Close()
{
    if (IsOpen())
        FlushBuffer();
    return ALStorage::Close();
}

int DiscardingStorage::LoadBuffer(LONG) { return -1; } // it holds no data to read

int DiscardingStorage::FlushBuffer()
{
    if (mStatus < 0)
        return mStatus;
    PassBytes(m_pBuffer, m_lWriteIndex);
    m_lFilePosition += m_lWriteIndex;
    m_lSize = m_lFilePosition;
    m_lWriteIndex = m_lReadIndex = m_lBytesInBuffer = 0;
    YieldTime();
    return 0;
}

int DiscardingStorage::Seek(LONG position)
{
    if (FlushBuffer() < 0)
        return mStatus;
    m_lFilePosition = position;
    return mStatus;
}

// Nothing is on disk to rename or delete.
int DiscardingStorage::Rename(const char *, int) { return 0; }
int DiscardingStorage::UnRename(int) { return 0; }
int DiscardingStorage::RenameToBackup(int) { return 0; }
int DiscardingStorage::Delete() { return 0; }

ALStorage *DiscardingStorage::Clone(const char *name, int) const { return new (std::nothrow) DiscardingStorage(name); }

} // namespace qor::tool
