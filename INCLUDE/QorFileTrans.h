// QorFileTrans.h: CQorFileTrans, a file whose writes are grouped into transactions that reach the disk
// whole or not at all. Between BeginTrans and CommitTrans writes land in an ordered list of modified
// byte ranges laid over the file; the commit carries them to the disk through an undo journal beside
// the file ("name.qrn"), and opening the file rolls back any journal an interrupted commit left.
#pragma once

#include "QorExport.h"
#include "QorFile2.h"

// One modified byte range of a transaction: `ulLength` (at least 1) newest bytes at `ulOffset`.
struct tagTRANSBLOCK {
    DWORD ulOffset;
    DWORD ulLength;
    BYTE *pbData; // heap buffer of ulLength bytes, owned by the list
};

// The ranges of a transaction, ordered by offset and never overlapping. Storage grows to 1, then to
// twice the count. The list owns the records' buffers and frees them when emptied or destroyed.
class QORUTIL_API CQorTransBlockList {
public:
    CQorTransBlockList() = default;
    virtual ~CQorTransBlockList();
    CQorTransBlockList(const CQorTransBlockList &) = delete;
    CQorTransBlockList &operator=(const CQorTransBlockList &) = delete;

    int GetCount() const { return m_nCount; }
    tagTRANSBLOCK &operator[](int index) { return m_pRecords[index]; }
    const tagTRANSBLOCK &operator[](int index) const { return m_pRecords[index]; }

    // Places `block` at `index` (0..count); false, the list unchanged, when the storage cannot grow.
    bool Insert(int index, const tagTRANSBLOCK &block);
    // Takes `count` records out from `first` without freeing their buffers.
    void Remove(int first, int count);
    // Frees every record's buffer and the storage.
    void Empty();

private:
    tagTRANSBLOCK *m_pRecords = nullptr;
    int m_nCount = 0;
    int m_nCapacity = 0;
};

class QORUTIL_API CQorFileTrans : public CQorFile {
public:
    CQorFileTrans();
    // An open transaction is aborted: the file on disk keeps its bytes.
    ~CQorFileTrans() override;

    // Rolls back a journal left beside `name` before opening it; a failed roll-back opens nothing.
    HRESULT Open(const char *name, DWORD disposition = OPEN_EXISTING, DWORD access = GENERIC_READ | GENERIC_WRITE,
                 DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE, DWORD flags = FILE_ATTRIBUTE_NORMAL) override;
    // Aborts an open transaction, then closes as a plain file does. The journal name stays.
    void Close(bool emptyName) override;
    // Inside a transaction these work on the logical position and size and the modified ranges;
    // outside they are the plain file's operations.
    HRESULT Read(void *buffer, DWORD count, DWORD *bytesRead) override;
    HRESULT Write(const void *buffer, DWORD count, DWORD *bytesWritten) override;
    DWORD Offset() override;
    HRESULT Seek(LONG distance, DWORD method) override;

    virtual HRESULT BeginTrans();
    // Journal, flush, new bytes, flush, journal deleted. A failure keeps the ranges in memory and
    // refuses reads, writes and commits until AbortTrans.
    virtual HRESULT CommitTrans();
    virtual HRESULT AbortTrans();

    const char *GetJournalName() const { return m_strTransFile; }
    // Runs the roll-back that Open runs, without opening the file: 0 rolled back, 1 (S_FALSE) an
    // incomplete journal deleted, or a failure with the journal kept. The name must be set by Open
    // or by SetNames.
    HRESULT Recover() { return TransactionFileRestore(); }
    // Names the data file (and so its journal) without opening or recovering anything.
    void SetNames(const char *name);

protected:
    bool IncompleteTransaction();
    // Index of the record holding `offset` (found set), else of the first record beginning after it,
    // or the count when none does.
    int BSearch(DWORD offset, bool &found) const;
    // Index of the record holding `offset` or -1; `next` the record after it, or, when none holds
    // it, the first one beginning after it; -1 where there is none.
    int SeekMem(DWORD offset, int &next) const;
    HRESULT Commit2();
    HRESULT TransactionFileRestore();

    DWORD m_ulOffset;    // logical position, in a transaction
    DWORD m_ulSize;      // logical size: never lowered during a transaction
    DWORD m_ulOrigSize;  // the file's size at BeginTrans
    DWORD m_ulMaxBlock;  // longest record made or grown in this transaction
    bool m_bInTrans;
    bool m_bCommitFailed; // a write ran out of memory or the commit failed: only AbortTrans helps
    CQorTransBlockList m_aBlocks;
    CQorString m_strTransFile; // the journal's name

private:
    HRESULT ReadInTrans(BYTE *buffer, DWORD count, DWORD *done);
    HRESULT ReadGapThenRecord(BYTE *buffer, DWORD remaining, const tagTRANSBLOCK &next, DWORD *delivered);
    HRESULT WriteInTrans(const BYTE *data, DWORD count);
    HRESULT AddRecord(int index, const BYTE *data, DWORD count);
    HRESULT MergeRecords(int current, int next, const BYTE *data, DWORD count);
    HRESULT ExtendRecord(int current, const BYTE *data, DWORD count);
    HRESULT WriteNewBytes();
    HRESULT RollBackAfterDataFailure(HRESULT dataFailure);
};
