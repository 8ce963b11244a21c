// ALConfinedName.cpp: whether a member name, written relative to the current folder, stays inside it.
// Extraction refuses the others, so that a hostile archive cannot write anywhere else.
#include "ALConfinedName.h"

#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Windows drops trailing dots and blanks from a path component, so any run of dots and blanks with
// two dots or more may end up as "..".
bool MayBeParent(const char *component, size_t length)
{
    size_t dots = 0;
    for (size_t i = 0; i < length; ++i) {
        if (component[i] == '.')
            ++dots;
        else if (component[i] != ' ')
            return false;
    }
    return dots >= 2;
}

} // namespace

bool ALStaysInsideFolder(const char *name)
{
    if (name[0] == '\0' || IsSeparator(name[0]))
        return false;
    if (IsDriveLetter(name[0]) && name[1] == ':')
        return false;
    for (const char *component = name; *component != '\0';) {
        size_t length = std::strcspn(component, "/\\");
        if (MayBeParent(component, length))
            return false;
        component += length;
        if (*component != '\0')
            ++component;
    }
    return true;
}

