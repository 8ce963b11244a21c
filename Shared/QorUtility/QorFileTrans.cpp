// QorFileTrans.cpp: CQorFileTrans's life: opening (with the roll-back of a left journal), closing, the
// journal's name, the logical position and the state machine of a transaction. Reads and writes are
// in QorFileTransIO.cpp, the commit in QorFileTransCommit.cpp, the roll-back in QorFileTransRestore.cpp.
#include "QorFileTrans.h"

#include "QorPlatform.h"

CQorFileTrans::CQorFileTrans()
    : m_ulOffset(0), m_ulSize(0), m_ulOrigSize(0), m_ulMaxBlock(0), m_bInTrans(false), m_bCommitFailed(false)
{
}

CQorFileTrans::~CQorFileTrans()
{
    if (m_bInTrans)
        AbortTrans();
}

// The journal is the data file's name without its extension, plus ".qrn"; a '.' in a folder's name
// is no extension.
void CQorFileTrans::SetNames(const char *name)
{
    m_strName = name;
    CQorString journal(name);
    int dot = journal.ReverseFind('.');
    if (dot >= 0) {
        bool inLastPart = true;
        for (int i = dot + 1; i < journal.GetLength(); ++i)
            inLastPart = inLastPart && !qor::IsPathSeparator(journal[i]);
        if (inLastPart)
            journal = journal.Left(dot);
    }
    journal += ".qrn";
    m_strTransFile = journal;
}

HRESULT CQorFileTrans::Open(const char *name, DWORD disposition, DWORD access, DWORD share, DWORD flags)
{
    CQorString requested(name); // `name` may be this object's own name, which SetNames replaces
    SetNames(requested);
    if (IncompleteTransaction()) {
        HRESULT restored = TransactionFileRestore();
        if (FAILED(restored))
            return restored;
    }
    Close(false);
    m_hFile = ::CreateFileA(requested, access, share, nullptr, disposition, flags, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return QorHResultFromLastError();
    m_strName = requested;
    return S_OK;
}

void CQorFileTrans::Close(bool emptyName)
{
    if (m_bInTrans)
        AbortTrans();
    CQorFile::Close(emptyName);
}

bool CQorFileTrans::IncompleteTransaction()
{
    return ::GetFileAttributesA(m_strTransFile) != INVALID_FILE_ATTRIBUTES;
}

DWORD CQorFileTrans::Offset() { return m_bInTrans ? m_ulOffset : CQorFile::Offset(); }

// In a transaction only the logical position moves; FILE_CURRENT wraps modulo 2^32 so that a
// negative distance moves back.
HRESULT CQorFileTrans::Seek(LONG distance, DWORD method)
{
    if (!m_bInTrans)
        return CQorFile::Seek(distance, method);
    switch (method) {
    case FILE_BEGIN:
        m_ulOffset = (DWORD)distance;
        break;
    case FILE_CURRENT:
        m_ulOffset += (DWORD)distance;
        break;
    case FILE_END:
        if ((DWORD)distance > m_ulSize)
            return E_INVALIDARG;
        m_ulOffset = m_ulSize - (DWORD)distance;
        break;
    default:
        break;
    }
    return S_OK;
}

HRESULT CQorFileTrans::BeginTrans()
{
    if (GetHandle() == INVALID_HANDLE_VALUE || m_bInTrans)
        return E_FAIL;
    m_ulOffset = Offset();
    m_ulSize = m_ulOrigSize = GetSize(nullptr);
    m_ulMaxBlock = 0;
    m_bInTrans = true;
    m_bCommitFailed = false;
    return S_OK;
}

HRESULT CQorFileTrans::CommitTrans()
{
    if (!m_bInTrans || m_bCommitFailed)
        return E_FAIL;
    HRESULT result = Commit2();
    if (FAILED(result)) {
        m_bCommitFailed = m_bInTrans; // a failed roll-back has closed the object and aborted already
        return result;
    }
    m_bInTrans = false;
    m_aBlocks.Empty();
    return result;
}

HRESULT CQorFileTrans::AbortTrans()
{
    if (!m_bInTrans)
        return E_FAIL;
    m_bInTrans = false;
    m_bCommitFailed = false;
    m_aBlocks.Empty();
    return S_OK;
}
