// ALConfinedName.cpp: whether a member name, written relative to the current folder, stays inside it.
// Extraction refuses the others, so that a hostile archive cannot write anywhere else.
#include "ALConfinedName.h"

#include <cctype>
#include <cstring>
#include <string>

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

// Windows opens a device, not a file in the folder, for these names whatever their extension.
bool IsDeviceName(const char *component, size_t length)
{
    static const char *const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    size_t end = 0;
    while (end < length && component[end] != '.')
        ++end;
    while (end > 0 && component[end - 1] == ' ')
        --end;
    std::string base(component, end);
    for (char &c : base)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char *device : kDevices)
        if (base == device)
            return true;
    bool numbered = base.size() == 4 && base[3] >= '1' && base[3] <= '9';
    return numbered && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0);
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
        if (MayBeParent(component, length) || IsDeviceName(component, length))
            return false;
        component += length;
        if (*component != '\0')
            ++component;
    }
    return true;
}

