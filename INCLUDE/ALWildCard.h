// ALWildCard.h: ALWildCardExpander turns a delimited list of file names and patterns into the names
// of the files they find, one at a time, optionally in subfolders too.
#pragma once

#include "ALStatus.h"
#include "QorWinTypes.h"

#include <string>

class QORUTIL_API ALWildCardExpander {
public:
    // `spec` holds names and patterns separated by any of `delimiters`; a token in double quotes may
    // hold delimiters. A token longer than 257 characters ends the list. Names made take `caseMode`.
    ALWildCardExpander(const char *spec, const char *delimiters = ",\t", bool recurse = false,
                       ALCase caseMode = AL_CASE_MIXED_IGNORED);
    ~ALWildCardExpander();
    ALWildCardExpander(const ALWildCardExpander &) = delete; // it owns an open search
    ALWildCardExpander &operator=(const ALWildCardExpander &) = delete;

    // The next file's name (valid until the next call), or null when the list is used up. The files
    // of a folder come before those of its subfolders; folders themselves are never named.
    const char *GetNextFile();

private:
    enum State { kNextToken, kFirstMatch, kNextMatch, kFirstFolder, kNextFolder };
    bool NextToken(std::string &token);
    bool StartSearch(const std::string &pattern);
    bool ContinueSearch();
    void CloseSearch();
    bool FoundFile() const;
    void DescendIfFolder();

    State m_eState;
    ALWildCardExpander *m_pSubExpander;
    std::string m_remaining;
    size_t m_position;
    ALNameString m_pattern;
    ALNameString m_path;
    ALNameString m_fileName;
    WIN32_FIND_DATAA m_findData;
    HANDLE m_hSearch;
    std::string m_delimiters;
    bool m_bRecurse;
    ALCase m_eCase;
    ALNameString m_result;
};
