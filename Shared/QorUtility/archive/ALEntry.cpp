// ALEntry.cpp: one member of an entry list: its storage and engines (owned), its comment, marks and
// the figures the ZIP directory keeps, and its place in the list's circular chain.
#include "ALEntry.h"
#include "ALStorage.h"

#include <cstdlib>
#include <cstring>

ALEntry::ALEntry()
    : m_szComment(nullptr), m_pNext(this), m_pPrevious(this), m_pList(nullptr), m_lCompressedSize(-1),
      m_lCrc32(0xFFFFFFFFu), m_wFlags(kMarked), m_lLocalHeaderOffset(-1), m_wOptions(0), m_pStorage(nullptr),
      m_pCompressor(nullptr), m_pDecompressor(nullptr), m_pDecryptor(nullptr)
{
}

ALEntry::ALEntry(ALEntryList &list, ALStorage *storage, ALCompressor *compressor, ALDecompressor *decompressor,
                 ALDecryptor *decryptor)
    : ALEntry()
{
    m_pList = &list;
    m_pStorage = storage;
    m_pCompressor = compressor;
    m_pDecompressor = decompressor;
    m_pDecryptor = decryptor;
    if (decryptor != nullptr)
        m_wFlags |= kEncrypted;
    if (storage != nullptr) {
        ALEntry *sentinel = list.m_pSentinel;
        m_pNext = sentinel;
        m_pPrevious = sentinel->m_pPrevious;
        sentinel->m_pPrevious->m_pNext = this;
        sentinel->m_pPrevious = this;
    }
}

ALEntry::~ALEntry()
{
    std::free(m_szComment);
    delete m_pStorage;
    delete m_pCompressor;
    delete m_pDecompressor;
    delete m_pDecryptor;
    Unlink();
}

void ALEntry::Unlink()
{
    m_pPrevious->m_pNext = m_pNext;
    m_pNext->m_pPrevious = m_pPrevious;
    m_pNext = m_pPrevious = this;
}

int ALEntry::SetComment(const char *comment)
{
    char *copy = nullptr;
    if (comment != nullptr) {
        size_t length = std::strlen(comment) + 1;
        copy = static_cast<char *>(std::malloc(length));
        if (copy == nullptr) {
            const char *name = m_pStorage ? m_pStorage->mName.GetName() : "";
            return m_pList ? m_pList->mStatus.SetError(AL_OUT_OF_MEMORY,
                                                       "Failed to allocate memory when adding comment to storage object %s",
                                                       name)
                           : AL_OUT_OF_MEMORY;
        }
        std::memcpy(copy, comment, length);
    }
    std::free(m_szComment);
    m_szComment = copy;
    return m_pList ? m_pList->mStatus.GetStatusCode() : 0;
}

void ALEntry::SetMark(bool marked)
{
    if (marked)
        m_wFlags |= kMarked;
    else
        m_wFlags &= static_cast<WORD>(~kMarked);
}

void ALEntry::SetEncrypted(bool encrypted)
{
    if (encrypted)
        m_wFlags |= kEncrypted;
    else
        m_wFlags &= static_cast<WORD>(~kEncrypted);
}

bool ALEntry::Duplicate(ALEntryList &other, const char *message)
{
    if (m_pStorage == nullptr)
        return false;
    ALNameString name(m_pStorage->mName.GetName(), m_pStorage->mName.GetCaseMode());
    if (m_wOptions & AL_STORE_WITHOUT_PATH)
        name.StripPath();
    for (ALEntry *candidate = other.GetFirstEntry(); candidate != nullptr; candidate = other.GetNextEntry(candidate)) {
        if (candidate == this || !candidate->IsMarked() || candidate->m_pStorage == nullptr ||
            name.CompareNames(candidate->m_pStorage->mName.GetName()) != 0)
            continue;
        candidate->ClearMark();
        if (message != nullptr && *message != '\0')
            candidate->m_pStorage->mStatus.SetError(AL_DUPLICATE_ENTRY, "%s", message);
        return true;
    }
    return false;
}
