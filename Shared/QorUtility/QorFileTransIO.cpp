// QorFileTransIO.cpp: reads and writes of CQorFileTrans. Inside a transaction a read sees the
// modified ranges laid over the file's bytes, and a write changes only the ranges in memory, folding
// a write that reaches a following range into one record. Outside, they are the plain file's.
#include "QorFileTrans.h"

#include "QorFileTransJournal.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using qor::trans::LogFailure;

namespace {

bool MoveTo(HANDLE file, DWORD offset)
{
    return ::SetFilePointer(file, (LONG)offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

} // namespace

HRESULT CQorFileTrans::Read(void *buffer, DWORD count, DWORD *bytesRead)
{
    if (!m_bInTrans)
        return CQorFile::Read(buffer, count, bytesRead);
    if (m_bCommitFailed)
        return E_FAIL;
    DWORD done = 0;
    HRESULT result = ReadInTrans(static_cast<BYTE *>(buffer), count, &done);
    if (bytesRead != nullptr)
        *bytesRead = done;
    return result;
}

// Each step serves the bytes at the logical position from the record holding them, from the disk
// up to the next record (a gap the file does not hold reads as zeros) and that record, or from the
// disk alone when no record is in reach. Reads move the handle's own pointer.
HRESULT CQorFileTrans::ReadInTrans(BYTE *buffer, DWORD count, DWORD *done)
{
    DWORD remaining = count;
    while (remaining > 0) {
        int next = -1;
        int current = SeekMem(m_ulOffset, next);
        DWORD delivered = 0;
        if (current >= 0) {
            const tagTRANSBLOCK &record = m_aBlocks[current];
            DWORD inRecord = m_ulOffset - record.ulOffset;
            delivered = std::min(remaining, record.ulLength - inRecord);
            memcpy(buffer + *done, record.pbData + inRecord, delivered);
        } else if (next >= 0 && (uint64_t)m_ulOffset + remaining > m_aBlocks[next].ulOffset) {
            HRESULT result = ReadGapThenRecord(buffer + *done, remaining, m_aBlocks[next], &delivered);
            if (FAILED(result))
                return result;
        } else {
            if (!MoveTo(m_hFile, m_ulOffset)) {
                LogFailure(E_FAIL, 227);
                return E_FAIL;
            }
            HRESULT result = CQorFile::Read(buffer + *done, remaining, &delivered);
            if (FAILED(result))
                return result;
            if (delivered == 0)
                break; // the end of the file
        }
        *done += delivered;
        m_ulOffset += delivered;
        remaining -= delivered;
    }
    return *done == 0 ? S_FALSE : S_OK;
}

HRESULT CQorFileTrans::ReadGapThenRecord(BYTE *buffer, DWORD remaining, const tagTRANSBLOCK &next, DWORD *delivered)
{
    DWORD gap = next.ulOffset - m_ulOffset;
    if (!MoveTo(m_hFile, m_ulOffset))
        return E_FAIL;
    DWORD fromDisk = 0;
    HRESULT result = CQorFile::Read(buffer, gap, &fromDisk);
    if (FAILED(result))
        return result;
    memset(buffer + fromDisk, 0, gap - fromDisk);
    DWORD fromRecord = std::min(remaining - gap, next.ulLength);
    memcpy(buffer + gap, next.pbData, fromRecord);
    *delivered = gap + fromRecord;
    return S_OK;
}

// A write whose end would lie beyond 4 GB cannot be addressed with 32-bit positions: refused.
HRESULT CQorFileTrans::Write(const void *buffer, DWORD count, DWORD *bytesWritten)
{
    if (!m_bInTrans)
        return CQorFile::Write(buffer, count, bytesWritten);
    if (m_bCommitFailed)
        return E_FAIL;
    if (bytesWritten != nullptr)
        *bytesWritten = 0;
    if (count == 0)
        return S_OK;
    if ((uint64_t)m_ulOffset + count > 0xFFFFFFFFull)
        return E_INVALIDARG;
    HRESULT result = WriteInTrans(static_cast<const BYTE *>(buffer), count);
    if (FAILED(result))
        return result;
    m_ulOffset += count;
    m_ulSize = std::max(m_ulSize, m_ulOffset);
    if (bytesWritten != nullptr)
        *bytesWritten = count;
    return S_OK;
}

// A write that begins inside a record extends it; one that begins in a gap makes a new record unless
// it reaches a following record, which it absorbs; one that begins where a record ends starts a new one.
HRESULT CQorFileTrans::WriteInTrans(const BYTE *data, DWORD count)
{
    uint64_t end = (uint64_t)m_ulOffset + count;
    int next = -1;
    int current = SeekMem(m_ulOffset, next);
    bool reachesNext = next >= 0 && m_aBlocks[next].ulOffset <= end;
    if (current < 0)
        return reachesNext ? MergeRecords(-1, next, data, count) : AddRecord(next < 0 ? m_aBlocks.GetCount() : next, data, count);
    tagTRANSBLOCK &record = m_aBlocks[current];
    if (end <= (uint64_t)record.ulOffset + record.ulLength) {
        memcpy(record.pbData + (m_ulOffset - record.ulOffset), data, count);
        return S_OK;
    }
    return reachesNext ? MergeRecords(current, next, data, count) : ExtendRecord(current, data, count);
}

HRESULT CQorFileTrans::AddRecord(int index, const BYTE *data, DWORD count)
{
    BYTE *buffer = static_cast<BYTE *>(malloc(count));
    if (buffer == nullptr) {
        LogFailure(E_OUTOFMEMORY, 337);
        m_bCommitFailed = true;
        return E_OUTOFMEMORY;
    }
    memcpy(buffer, data, count);
    if (!m_aBlocks.Insert(index, tagTRANSBLOCK{m_ulOffset, count, buffer})) {
        free(buffer);
        m_bCommitFailed = true;
        return E_OUTOFMEMORY;
    }
    m_ulMaxBlock = std::max(m_ulMaxBlock, count);
    return S_OK;
}

// The record at `current` (or, for -1, an empty one at the position) absorbs the data and every
// record from `next` on that begins no later than the write's end, keeping the last one's tail.
HRESULT CQorFileTrans::MergeRecords(int current, int next, const BYTE *data, DWORD count)
{
    uint64_t end = (uint64_t)m_ulOffset + count;
    DWORD start = current >= 0 ? m_aBlocks[current].ulOffset : m_ulOffset;
    DWORD kept = m_ulOffset - start; // bytes of the current record before the write
    int last = next;
    while (last + 1 < m_aBlocks.GetCount() && m_aBlocks[last + 1].ulOffset <= end)
        ++last;
    const tagTRANSBLOCK &lastRecord = m_aBlocks[last];
    uint64_t lastEnd = (uint64_t)lastRecord.ulOffset + lastRecord.ulLength;
    DWORD length = lastEnd > end ? (DWORD)(lastEnd - start) : kept + count;
    BYTE *merged = static_cast<BYTE *>(malloc(length));
    if (merged == nullptr) {
        LogFailure(E_OUTOFMEMORY, 426);
        m_bCommitFailed = true;
        return E_OUTOFMEMORY;
    }
    if (current >= 0)
        memcpy(merged, m_aBlocks[current].pbData, kept);
    memcpy(merged + kept, data, count);
    if (lastEnd > end)
        memcpy(merged + (end - start), lastRecord.pbData + (end - lastRecord.ulOffset), (size_t)(lastEnd - end));
    int first = current >= 0 ? current : next;
    for (int i = first; i <= last; ++i)
        free(m_aBlocks[i].pbData);
    m_aBlocks.Remove(first + 1, last - first);
    m_aBlocks[first] = tagTRANSBLOCK{start, length, merged};
    m_ulMaxBlock = std::max(m_ulMaxBlock, length);
    return S_OK;
}

HRESULT CQorFileTrans::ExtendRecord(int current, const BYTE *data, DWORD count)
{
    tagTRANSBLOCK &record = m_aBlocks[current];
    DWORD kept = m_ulOffset - record.ulOffset;
    DWORD length = kept + count;
    BYTE *extended = static_cast<BYTE *>(malloc(length));
    if (extended == nullptr) {
        LogFailure(E_OUTOFMEMORY, 481);
        m_bCommitFailed = true;
        return E_OUTOFMEMORY;
    }
    memcpy(extended, record.pbData, kept);
    memcpy(extended + kept, data, count);
    free(record.pbData);
    record.pbData = extended;
    record.ulLength = length;
    m_ulMaxBlock = std::max(m_ulMaxBlock, length);
    return S_OK;
}
