// QorFileTransJournal.h: the undo journal's layout, shared by the commit that writes it, the recovery
// that reads it and the tool that shows it. Every number is an unsigned 32-bit little-endian value: a
// 16-byte header, then records of offset, length and the range's old bytes. Header-only, no state.
#pragma once

#include "QorError.h"
#include "QorWinTypes.h"

#include <cstring>

namespace qor::trans {

constexpr DWORD kJournalHeaderSize = 16;
constexpr DWORD kRecordHeadSize = 8;

struct JournalHeader {
    DWORD ulFirstRecord = kJournalHeaderSize;
    DWORD ulOrigSize = 0;
    DWORD ulJournalLength = 0; // 0 until every record is on disk: the journal is incomplete
    DWORD ulMaxBlock = 0;      // the longest record's data
};

inline void PutLittleEndian(BYTE *at, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = (BYTE)(value >> (8 * i));
}

inline DWORD GetLittleEndian(const BYTE *at)
{
    return (DWORD)at[0] | (DWORD)at[1] << 8 | (DWORD)at[2] << 16 | (DWORD)at[3] << 24;
}

inline void EncodeHeader(const JournalHeader &header, BYTE (&bytes)[kJournalHeaderSize])
{
    PutLittleEndian(bytes, header.ulFirstRecord);
    PutLittleEndian(bytes + 4, header.ulOrigSize);
    PutLittleEndian(bytes + 8, header.ulJournalLength);
    PutLittleEndian(bytes + 12, header.ulMaxBlock);
}

// From the first `size` bytes of a header: a field the bytes do not hold whole reads as 0, so a
// journal cut inside its length field counts as incomplete.
inline JournalHeader DecodeHeader(const BYTE *bytes, DWORD size)
{
    BYTE full[kJournalHeaderSize] = {};
    memcpy(full, bytes, (size < kJournalHeaderSize ? size : kJournalHeaderSize) / 4 * 4);
    JournalHeader header;
    header.ulFirstRecord = GetLittleEndian(full);
    header.ulOrigSize = GetLittleEndian(full + 4);
    header.ulJournalLength = GetLittleEndian(full + 8);
    header.ulMaxBlock = GetLittleEndian(full + 12);
    return header;
}

// Log lines of the transactional file carry this source name and the line of the failing step.
inline void LogFailure(HRESULT code, int line, const char *text = nullptr)
{
    CQorError(code).Trace("Shared/QorUtility/QorFileTrans", line, text, nullptr, nullptr, nullptr);
}

} // namespace qor::trans
