// ALEntry.h: the archive engine's model of an archive's members: ALEntry, one member with its storage
// and engines, and ALEntryList, an ordered list of members with marks (the members an operation acts
// on), a monitor and the prototypes it makes storages and engines from.
#pragma once

#include "ALEngine.h"
#include "ALMonitor.h"
#include "ALStatus.h"

class ALEntryList;

enum ALEntryOption { AL_STORE_WITHOUT_PATH = 0x1, AL_EXTRACT_WITHOUT_PATH = 0x2 };

class QORUTIL_API ALEntry {
public:
    // Takes ownership of the storage and engines; with a storage, joins the end of `list`.
    ALEntry(ALEntryList &list, ALStorage *storage, ALCompressor *compressor, ALDecompressor *decompressor,
            ALDecryptor *decryptor = nullptr);
    ~ALEntry();
    ALEntry(const ALEntry &) = delete; // an entry owns its storage and engines and sits in one chain
    ALEntry &operator=(const ALEntry &) = delete;

    const char *GetComment() const { return m_szComment; }
    // A copy of `comment` (null allowed); a failed copy sets the list's status. Answers that status.
    int SetComment(const char *comment);

    ALStorage *GetStorage() const { return m_pStorage; }
    ALCompressor *GetCompressor() const { return m_pCompressor; }
    ALDecompressor *GetDecompressor() const { return m_pDecompressor; }
    ALDecryptor *GetDecryptor() const { return m_pDecryptor; }
    ALEntryList *GetList() const { return m_pList; }

    LONG GetCompressedSize() const { return m_lCompressedSize; }
    void SetCompressedSize(LONG size) { m_lCompressedSize = size; }
    // The CRC-32 in the running-register form (the standard value's complement).
    DWORD GetCrc32() const { return m_lCrc32; }
    void SetCrc32(DWORD crc) { m_lCrc32 = crc; }
    LONG GetLocalHeaderOffset() const { return m_lLocalHeaderOffset; }
    void SetLocalHeaderOffset(LONG offset) { m_lLocalHeaderOffset = offset; }
    WORD GetOptions() const { return m_wOptions; }
    void SetOptions(WORD options) { m_wOptions = options; }

    bool IsMarked() const { return (m_wFlags & kMarked) != 0; }
    void SetMark(bool marked = true);
    void ClearMark() { SetMark(false); }
    bool IsEncrypted() const { return (m_wFlags & kEncrypted) != 0; }
    // A member read from an archive is encrypted by its flags, whether or not a decryptor exists.
    void SetEncrypted(bool encrypted);

    // Unmarks the first other marked entry of `other` with this entry's name (without its path when
    // this entry stores without path); with a non-empty message, that entry's storage status becomes
    // AL_DUPLICATE_ENTRY with it. True when one was found.
    bool Duplicate(ALEntryList &other, const char *message);

private:
    friend class ALEntryList;
    static constexpr WORD kMarked = 0x1;
    static constexpr WORD kEncrypted = 0x2;

    ALEntry(); // the sentinel of a list's chain
    void Unlink();

    char *m_szComment;
    ALEntry *m_pNext;
    ALEntry *m_pPrevious;
    ALEntryList *m_pList;
    LONG m_lCompressedSize;
    DWORD m_lCrc32;
    WORD m_wFlags;
    LONG m_lLocalHeaderOffset;
    WORD m_wOptions;
    ALStorage *m_pStorage;
    ALCompressor *m_pCompressor;
    ALDecompressor *m_pDecompressor;
    ALDecryptor *m_pDecryptor;
};

class QORUTIL_API ALEntryList {
public:
    // Without a monitor the process's inert one is used; the prototypes are copied (cloned).
    explicit ALEntryList(ALProgressMonitor *monitor = nullptr, const ALPrototypeSet &prototypes = ALPrototypeSet());
    ~ALEntryList();
    ALEntryList(const ALEntryList &) = delete; // the entries belong to one list
    ALEntryList &operator=(const ALEntryList &) = delete;

    ALEntry *GetFirstEntry() const;
    ALEntry *GetNextEntry(const ALEntry *entry) const;

    // Sets the mark of every entry (null pattern) or of those whose storage name matches `pattern`;
    // answers how many were set.
    int SetMarks(const char *pattern, bool value);
    void SetStoreWithoutPath(bool value);
    void SetExtractWithoutPath(bool value);
    // Leaves one marked entry per name. For this same list the marked entries are sorted by name and
    // all but one of each name unmarked; for another list, its marked entries that share a name with
    // a marked entry of this one are unmarked. A non-empty message (a format taking the entry's index)
    // becomes the unmarked entries' storage status, AL_DUPLICATE_ENTRY. Answers how many were unmarked.
    int UnmarkDuplicates(ALEntryList &other, const char *message = nullptr);
    // Adds an entry for every file that the comma- or tab-separated names and patterns of `spec`
    // find, in subfolders too with `recurse`; answers the number of names found.
    int AddWildCardFiles(const char *spec, bool recurse = false);

    ALProgressMonitor &GetMonitor() const { return *m_pMonitor; }
    const ALPrototypeSet &GetPrototypes() const { return m_prototypes; }
    ALErrorStatus mStatus;

private:
    friend class ALEntry;
    int UnmarkDuplicatesWithin(const char *message);

    ALEntry *m_pSentinel;
    ALProgressMonitor *m_pMonitor;
    ALPrototypeSet m_prototypes;
};
