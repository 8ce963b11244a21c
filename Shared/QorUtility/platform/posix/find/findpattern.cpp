// findpattern.cpp: the wildcard rules of FindFirstFileA. Only generic code lives here.
#include "find/findpattern.h"

#include <cstring>
#include <string>

namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// Iterative glob match with one backtrack point: the last '*' seen and the name position it stands at.
bool Glob(const char *name, const char *pattern)
{
    const char *starPattern = nullptr;
    const char *starName = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' || (*pattern != '\0' && Fold(*pattern) == Fold(*name))) {
            ++pattern;
            ++name;
        } else if (starPattern != nullptr) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

} // namespace

namespace qor::platform {

bool MatchesFindPattern(const char *name, const char *pattern)
{
    if (Glob(name, pattern))
        return true;
    // DOS rule: a final ".*" may match nothing at all, dot included.
    size_t length = std::strlen(pattern);
    if (length >= 2 && std::strcmp(pattern + length - 2, ".*") == 0 && std::strchr(name, '.') == nullptr)
        return Glob(name, std::string(pattern, length - 2).c_str());
    return false;
}

} // namespace qor::platform
