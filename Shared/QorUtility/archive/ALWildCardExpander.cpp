// ALWildCardExpander.cpp: a state machine over the tokens of a specification: each token is searched
// with the platform's wildcard search, then (when recursing) every subfolder of its folder is searched
// for the same file-name pattern by a sub-expander.
#include "ALWildCard.h"
#include "QorPlatform.h"

#include <cstring>

namespace {

constexpr size_t kLongestToken = 257;

bool IsNamedFolder(const WIN32_FIND_DATAA &data)
{
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && std::strcmp(data.cFileName, ".") != 0 &&
           std::strcmp(data.cFileName, "..") != 0;
}

} // namespace

ALWildCardExpander::ALWildCardExpander(const char *spec, const char *delimiters, bool recurse, ALCase caseMode)
    : m_eState(kNextToken), m_pSubExpander(nullptr), m_remaining(spec ? spec : ""), m_position(0),
      m_pattern("", AL_CASE_MIXED), m_path("", AL_CASE_MIXED), m_fileName("", AL_CASE_MIXED), m_findData{},
      m_hSearch(INVALID_HANDLE_VALUE), m_delimiters(delimiters ? delimiters : ""), m_bRecurse(recurse),
      m_eCase(caseMode), m_result("", caseMode)
{
}

ALWildCardExpander::~ALWildCardExpander()
{
    delete m_pSubExpander;
    CloseSearch();
}

bool ALWildCardExpander::NextToken(std::string &token)
{
    const std::string &spec = m_remaining;
    while (m_position < spec.size() && m_delimiters.find(spec[m_position]) != std::string::npos)
        ++m_position;
    size_t end;
    if (m_position < spec.size() && spec[m_position] == '"') {
        ++m_position;
        end = spec.find('"', m_position);
        end = end == std::string::npos ? spec.size() : end;
        token = spec.substr(m_position, end - m_position);
        m_position = end < spec.size() ? end + 1 : end;
    } else {
        end = m_delimiters.empty() ? std::string::npos : spec.find_first_of(m_delimiters, m_position);
        end = end == std::string::npos ? spec.size() : end;
        token = spec.substr(m_position, end - m_position);
        m_position = end;
    }
    if (token.empty() || token.size() > kLongestToken) {
        m_position = spec.size(); // the list ends here; what follows is never read
        return false;
    }
    return true;
}

bool ALWildCardExpander::StartSearch(const std::string &pattern)
{
    m_hSearch = FindFirstFileA(pattern.c_str(), &m_findData);
    return m_hSearch != INVALID_HANDLE_VALUE;
}

bool ALWildCardExpander::ContinueSearch()
{
    if (FindNextFileA(m_hSearch, &m_findData))
        return true;
    CloseSearch();
    return false;
}

void ALWildCardExpander::CloseSearch()
{
    if (m_hSearch != INVALID_HANDLE_VALUE)
        FindClose(m_hSearch);
    m_hSearch = INVALID_HANDLE_VALUE;
}

bool ALWildCardExpander::FoundFile() const { return !(m_findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY); }

// A folder found (but not a link to one, which could lead back up the tree) gets a sub-expander for
// the same file-name pattern.
void ALWildCardExpander::DescendIfFolder()
{
    if (!IsNamedFolder(m_findData) || (m_findData.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return;
    std::string spec = std::string(m_path.GetName()) + m_findData.cFileName + qor::kPathSeparator +
                       m_fileName.GetName();
    m_pSubExpander = new ALWildCardExpander(spec.c_str(), "", true, m_eCase);
}

const char *ALWildCardExpander::GetNextFile()
{
    for (;;) {
        if (m_pSubExpander != nullptr) {
            if (const char *name = m_pSubExpander->GetNextFile()) {
                m_result = name;
                return m_result.GetName();
            }
            delete m_pSubExpander;
            m_pSubExpander = nullptr;
        }
        bool found = false;
        switch (m_eState) {
        case kNextToken: {
            std::string token;
            if (!NextToken(token))
                return nullptr;
            m_pattern = token.c_str();
            m_path = token.c_str();
            m_path.StripFileName();
            m_fileName = token.c_str();
            m_fileName.StripPath();
            m_eState = kFirstMatch;
            continue;
        }
        case kFirstMatch:
            found = StartSearch(m_pattern.GetName());
            m_eState = found ? kNextMatch : (m_bRecurse ? kFirstFolder : kNextToken);
            break;
        case kNextMatch:
            found = ContinueSearch();
            if (!found)
                m_eState = m_bRecurse ? kFirstFolder : kNextToken;
            break;
        case kFirstFolder:
            if (StartSearch(std::string(m_path.GetName()) + "*.*")) {
                m_eState = kNextFolder;
                DescendIfFolder();
            } else {
                m_eState = kNextToken;
            }
            continue;
        case kNextFolder:
            if (ContinueSearch())
                DescendIfFolder();
            else
                m_eState = kNextToken;
            continue;
        }
        if (found && FoundFile()) {
            m_result = (std::string(m_path.GetName()) + m_findData.cFileName).c_str();
            return m_result.GetName();
        }
    }
}
