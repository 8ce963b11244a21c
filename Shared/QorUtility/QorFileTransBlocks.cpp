// QorFileTransBlocks.cpp: the block list of a transaction (its storage and the records' buffers) and
// the searches that find the record holding a position. No disk access here.
#include "QorFileTrans.h"

#include <cstdlib>
#include <cstring>

CQorTransBlockList::~CQorTransBlockList() { Empty(); }

bool CQorTransBlockList::Insert(int index, const tagTRANSBLOCK &block)
{
    if (m_nCount == m_nCapacity) {
        int capacity = m_nCapacity == 0 ? 1 : m_nCount * 2;
        void *grown = realloc(m_pRecords, (size_t)capacity * sizeof(tagTRANSBLOCK));
        if (grown == nullptr)
            return false;
        m_pRecords = static_cast<tagTRANSBLOCK *>(grown);
        m_nCapacity = capacity;
    }
    memmove(m_pRecords + index + 1, m_pRecords + index, (size_t)(m_nCount - index) * sizeof(tagTRANSBLOCK));
    m_pRecords[index] = block;
    ++m_nCount;
    return true;
}

void CQorTransBlockList::Remove(int first, int count)
{
    memmove(m_pRecords + first, m_pRecords + first + count, (size_t)(m_nCount - first - count) * sizeof(tagTRANSBLOCK));
    m_nCount -= count;
}

void CQorTransBlockList::Empty()
{
    for (int i = 0; i < m_nCount; ++i)
        free(m_pRecords[i].pbData);
    free(m_pRecords);
    m_pRecords = nullptr;
    m_nCount = 0;
    m_nCapacity = 0;
}

// Halves a window of n records, testing the one at n/2 when n is odd and at n/2 - 1 when it is even.
int CQorFileTrans::BSearch(DWORD offset, bool &found) const
{
    found = false;
    int low = 0;
    int window = m_aBlocks.GetCount();
    int answer = window;
    while (window > 0) {
        int middle = low + (window % 2 ? window / 2 : window / 2 - 1);
        const tagTRANSBLOCK &record = m_aBlocks[middle];
        if (record.ulOffset <= offset && offset - record.ulOffset < record.ulLength) {
            found = true;
            return middle;
        }
        if (record.ulOffset >= offset) {
            answer = middle;
            window = middle - low;
        } else {
            window -= middle + 1 - low;
            low = middle + 1;
        }
    }
    return answer;
}

int CQorFileTrans::SeekMem(DWORD offset, int &next) const
{
    bool found = false;
    int index = BSearch(offset, found);
    int count = m_aBlocks.GetCount();
    if (found) {
        next = index + 1 < count ? index + 1 : -1;
        return index;
    }
    next = index < count ? index : -1;
    return -1;
}
