// QorFileTransRestore.cpp: the roll-back from a journal. A journal that was never completed is deleted
// and the data file left alone; a complete one is always rolled back: every record's old bytes are
// written back and the file ends where it ended before the commit. An interrupted commit is never
// finished. Writing old bytes back is idempotent, so a roll-back cut short is simply run again.
#include "QorFileTrans.h"

#include "QorFileTransJournal.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using qor::trans::DecodeHeader;
using qor::trans::GetLittleEndian;
using qor::trans::JournalHeader;
using qor::trans::kJournalHeaderSize;
using qor::trans::kRecordHeadSize;
using qor::trans::LogFailure;

namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

// One run over a complete journal: its records replayed into the data file, then the file's end set.
class Replay {
public:
    Replay(CQorFile &journal, CQorFile &data, BYTE *buffer, DWORD bufferSize)
        : m_journal(journal), m_data(data), m_buffer(buffer), m_bufferSize(bufferSize)
    {
    }

    HRESULT Run(const JournalHeader &header)
    {
        // The reader goes on sequentially after the header; ulFirstRecord only starts the count.
        for (uint64_t at = header.ulFirstRecord; at < header.ulJournalLength;) {
            DWORD length = 0;
            HRESULT result = ReplayRecord(&length);
            if (FAILED(result))
                return result;
            at += kRecordHeadSize + (uint64_t)length;
        }
        return SetOriginalEnd(header.ulOrigSize);
    }

private:
    HRESULT ReplayRecord(DWORD *length)
    {
        BYTE head[kRecordHeadSize];
        HRESULT result = ReadExactly(head, kRecordHeadSize, 804, 812);
        if (FAILED(result))
            return result;
        DWORD offset = GetLittleEndian(head);
        *length = GetLittleEndian(head + 4);
        if (*length > m_bufferSize) { // longer than the header's longest record: the journal is damaged
            LogFailure(E_UNEXPECTED, 830);
            return E_UNEXPECTED;
        }
        result = ReadExactly(m_buffer, *length, 822, 830);
        if (FAILED(result))
            return result;
        if (FAILED(m_data.Seek((LONG)offset, FILE_BEGIN)))
            return E_FAIL;
        DWORD written = 0;
        result = m_data.Write(m_buffer, *length, &written);
        if (FAILED(result))
            return result;
        return written == *length ? S_OK : E_UNEXPECTED;
    }

    // A read failure is logged at `failedLine`; fewer bytes than declared (a journal cut short) at `shortLine`.
    HRESULT ReadExactly(BYTE *into, DWORD count, int failedLine, int shortLine)
    {
        DWORD got = 0;
        HRESULT result = m_journal.Read(into, count, &got);
        if (FAILED(result)) {
            LogFailure(result, failedLine);
            return result;
        }
        if (got < count) {
            LogFailure(E_UNEXPECTED, shortLine);
            return E_UNEXPECTED;
        }
        return S_OK;
    }

    // Cuts off what the transaction appended, and lengthens a file that has become shorter.
    HRESULT SetOriginalEnd(DWORD size)
    {
        if (FAILED(m_data.Seek((LONG)size, FILE_BEGIN))) {
            LogFailure(E_FAIL, 870);
            return E_FAIL;
        }
        HRESULT result = m_data.Truncate();
        if (FAILED(result)) {
            LogFailure(result, 879);
            return result;
        }
        return m_data.Flush();
    }

    CQorFile &m_journal;
    CQorFile &m_data;
    BYTE *m_buffer;
    DWORD m_bufferSize;
};

} // namespace

HRESULT CQorFileTrans::TransactionFileRestore()
{
    CQorFile journal;
    HRESULT result = journal.Open(m_strTransFile, OPEN_EXISTING, GENERIC_READ, kShareAll, FILE_ATTRIBUTE_NORMAL);
    if (FAILED(result))
        return result;
    BYTE bytes[kJournalHeaderSize];
    DWORD got = 0;
    result = journal.Read(bytes, kJournalHeaderSize, &got);
    if (FAILED(result)) {
        LogFailure(result, 766, m_strTransFile);
        return result;
    }
    JournalHeader header = DecodeHeader(bytes, got);
    if (header.ulJournalLength == 0) {
        journal.Close(false);
        ::DeleteFileA(m_strTransFile);
        return S_FALSE;
    }
    // No record can be longer than the journal holds, whatever a damaged header claims.
    DWORD bufferSize = std::min({header.ulMaxBlock, header.ulJournalLength, journal.GetSize(nullptr)});
    BYTE *buffer = static_cast<BYTE *>(malloc(std::max<DWORD>(bufferSize, 1)));
    if (buffer == nullptr)
        return E_OUTOFMEMORY;
    CQorFile data;
    result = data.Open(m_strName, OPEN_EXISTING, GENERIC_WRITE, kShareAll, FILE_ATTRIBUTE_NORMAL);
    if (SUCCEEDED(result)) {
        result = Replay(journal, data, buffer, bufferSize).Run(header);
        if (FAILED(result))
            LogFailure(result, 901, m_strTransFile);
    }
    free(buffer);
    data.Close(false);
    journal.Close(false);
    if (FAILED(result))
        return result;
    ::DeleteFileA(m_strTransFile);
    return S_OK;
}
