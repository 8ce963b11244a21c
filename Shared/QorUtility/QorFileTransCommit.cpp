// QorFileTransCommit.cpp: the commit of a transaction through the undo journal. The order of the disk
// operations is the protocol: the old bytes of every range go to the journal, which is flushed, marked
// complete by its header, flushed and closed; only then do the new bytes reach the data file, which is
// flushed; deleting the journal makes the commit final. A failure before the journal is complete
// leaves the data file untouched; one after it rolls the data file back from the journal.
#include "QorFileTrans.h"

#include "QorFileTransJournal.h"

#include <cstdlib>

using qor::trans::EncodeHeader;
using qor::trans::JournalHeader;
using qor::trans::kJournalHeaderSize;
using qor::trans::kRecordHeadSize;
using qor::trans::LogFailure;
using qor::trans::PutLittleEndian;

namespace {

// A write that the system cut short without an error counts as unexpected.
HRESULT WholeWrite(HRESULT result, DWORD written, DWORD count)
{
    if (FAILED(result))
        return result;
    return written == count ? S_OK : E_UNEXPECTED;
}

HRESULT WriteJournal(CQorFile &journal, const void *bytes, DWORD count)
{
    DWORD written = 0;
    HRESULT result = journal.Write(bytes, count, &written);
    return WholeWrite(result, written, count);
}

HRESULT WriteHeader(CQorFile &journal, const JournalHeader &header)
{
    BYTE bytes[kJournalHeaderSize];
    EncodeHeader(header, bytes);
    return WriteJournal(journal, bytes, kJournalHeaderSize);
}

// The journal's heap copy buffer, released on every way out of the commit.
struct CopyBuffer {
    explicit CopyBuffer(DWORD size) : bytes(static_cast<BYTE *>(malloc(size))) {}
    ~CopyBuffer() { free(bytes); }
    CopyBuffer(const CopyBuffer &) = delete;
    CopyBuffer &operator=(const CopyBuffer &) = delete;
    BYTE *bytes;
};

// Steps 5 to 7 of the protocol: one record per range with the old bytes the data file holds there
// (fewer than the range when it lies beyond the file's end, so that transactions that grow the file
// commit), then the header that declares the journal complete.
class JournalWriter {
public:
    JournalWriter(CQorFile &journal, HANDLE data, BYTE *buffer) : m_journal(journal), m_data(data), m_buffer(buffer) {}

    HRESULT AddRecord(const tagTRANSBLOCK &block)
    {
        if (::SetFilePointer(m_data, (LONG)block.ulOffset, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
            return E_FAIL;
        DWORD held = 0; // less than the range's length where it runs past the file's end
        if (!::ReadFile(m_data, m_buffer, block.ulLength, &held, nullptr) && ::GetLastError() != ERROR_HANDLE_EOF)
            return QorHResultFromLastError();
        BYTE head[kRecordHeadSize];
        PutLittleEndian(head, block.ulOffset);
        PutLittleEndian(head + 4, held);
        HRESULT result = WriteJournal(m_journal, head, kRecordHeadSize);
        return SUCCEEDED(result) ? WriteJournal(m_journal, m_buffer, held) : result;
    }

    // The journal's length becomes its header's last word once everything before it is on disk.
    HRESULT Complete(JournalHeader header)
    {
        HRESULT result = m_journal.Flush();
        if (FAILED(result))
            return result;
        header.ulJournalLength = m_journal.Offset();
        if (header.ulJournalLength == 0xFFFFFFFF || FAILED(m_journal.Seek(0, FILE_BEGIN)))
            return E_FAIL;
        result = WriteHeader(m_journal, header);
        if (SUCCEEDED(result))
            result = m_journal.Flush();
        if (SUCCEEDED(result))
            m_journal.Close(false);
        return result;
    }

private:
    CQorFile &m_journal;
    HANDLE m_data;
    BYTE *m_buffer;
};

} // namespace

HRESULT CQorFileTrans::Commit2()
{
    if (m_aBlocks.GetCount() == 0)
        return S_OK;
    CQorFile journal;
    HRESULT result = journal.Create(m_strTransFile, GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL, OPEN_ALWAYS);
    if (FAILED(result))
        return result;
    CopyBuffer buffer(m_ulMaxBlock);
    if (buffer.bytes == nullptr) {
        journal.Delete();
        return E_OUTOFMEMORY;
    }
    JournalHeader header;
    header.ulOrigSize = m_ulOrigSize;
    header.ulMaxBlock = m_ulMaxBlock;
    JournalWriter writer(journal, m_hFile, buffer.bytes);
    result = WriteHeader(journal, header);
    for (int i = 0; i < m_aBlocks.GetCount() && SUCCEEDED(result); ++i)
        result = writer.AddRecord(m_aBlocks[i]);
    if (SUCCEEDED(result))
        result = writer.Complete(header);
    if (FAILED(result)) {
        journal.Delete();
        return result;
    }
    result = WriteNewBytes();
    if (SUCCEEDED(result) && !::DeleteFileA(m_strTransFile))
        result = QorHResultFromLastError(); // a journal left behind would undo a reported success
    return SUCCEEDED(result) ? S_OK : RollBackAfterDataFailure(result);
}

// Steps 8 and 9: the new bytes of every range, then the flush that puts them on disk.
HRESULT CQorFileTrans::WriteNewBytes()
{
    for (int i = 0; i < m_aBlocks.GetCount(); ++i) {
        const tagTRANSBLOCK &block = m_aBlocks[i];
        if (::SetFilePointer(m_hFile, (LONG)block.ulOffset, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
            return E_FAIL;
        DWORD written = 0;
        HRESULT result = CQorFile::Write(block.pbData, block.ulLength, &written);
        result = WholeWrite(result, written, block.ulLength);
        if (FAILED(result))
            return result;
    }
    return Flush();
}

// The journal is complete: the data file goes back to its old bytes. When even that fails the object
// is closed and the journal stays for the next Open to try again.
HRESULT CQorFileTrans::RollBackAfterDataFailure(HRESULT dataFailure)
{
    HRESULT restored = TransactionFileRestore();
    if (SUCCEEDED(restored))
        return dataFailure;
    LogFailure(restored, 721);
    LogFailure(dataFailure, 722);
    Close(false);
    return restored;
}
