// ALNameString.cpp: a storage's name, its previous name and its case mode; the extension and path
// operations. The wildcard match is in ALWildCardMatch.cpp.
#include "ALStatus.h"
#include "QorPlatform.h"

#include <cstdlib>
#include <cstring>

namespace {

char *Duplicate(const char *text)
{
    if (text == nullptr)
        return nullptr;
    size_t length = std::strlen(text) + 1;
    char *copy = static_cast<char *>(std::malloc(length));
    if (copy != nullptr)
        std::memcpy(copy, text, length);
    return copy;
}

void ApplyCase(char *text, ALCase mode)
{
    if (text == nullptr)
        return;
    if (mode == AL_CASE_UPPER)
        _strupr(text);
    else if (mode == AL_CASE_LOWER)
        _strlwr(text);
}

// The position of the separator between folder and file name: the last backslash, else the last '/',
// else the last ':'; null when there is none.
char *LastSeparator(char *text)
{
    for (char separator : {'\\', '/', ':'})
        if (char *found = std::strrchr(text, separator))
            return found;
    return nullptr;
}

} // namespace

ALNameString::ALNameString(const char *name, ALCase caseMode)
    : m_szName(Duplicate(name ? name : "")), m_szOldName(nullptr), m_eCase(caseMode)
{
    ApplyCase(m_szName, m_eCase);
}

ALNameString::ALNameString(const ALNameString &other)
    : m_szName(Duplicate(other.m_szName)), m_szOldName(Duplicate(other.m_szOldName)), m_eCase(other.m_eCase)
{
}

ALNameString &ALNameString::operator=(const ALNameString &other)
{
    if (this != &other) {
        char *name = Duplicate(other.m_szName);
        char *oldName = Duplicate(other.m_szOldName);
        std::free(m_szName);
        std::free(m_szOldName);
        m_szName = name;
        m_szOldName = oldName;
        m_eCase = other.m_eCase;
    }
    return *this;
}

ALNameString::~ALNameString()
{
    std::free(m_szName);
    std::free(m_szOldName);
}

void ALNameString::Replace(char *newText)
{
    ApplyCase(newText, m_eCase);
    std::free(m_szOldName);
    m_szOldName = m_szName;
    m_szName = newText;
}

ALNameString &ALNameString::operator=(const char *name)
{
    if (name != m_szName || name == nullptr)
        Replace(Duplicate(name ? name : ""));
    return *this;
}

ALNameString &ALNameString::ChangeExtension(const char *extension)
{
    const char *name = GetName();
    const char *dot = std::strrchr(name, '.');
    size_t keep = dot ? static_cast<size_t>(dot - name) : std::strlen(name);
    size_t added = extension ? std::strlen(extension) : 0;
    char *text = static_cast<char *>(std::malloc(keep + added + 1));
    if (text != nullptr) {
        std::memcpy(text, name, keep);
        if (added)
            std::memcpy(text + keep, extension, added);
        text[keep + added] = '\0';
    }
    Replace(text);
    return *this;
}

ALNameString &ALNameString::StripFileName()
{
    if (m_szName == nullptr)
        return *this;
    char *separator = LastSeparator(m_szName);
    if (separator != nullptr)
        separator[1] = '\0';
    else
        m_szName[0] = '\0';
    return *this;
}

ALNameString &ALNameString::StripPath()
{
    if (m_szName == nullptr)
        return *this;
    if (char *separator = LastSeparator(m_szName))
        std::memmove(m_szName, separator + 1, std::strlen(separator + 1) + 1);
    return *this;
}
