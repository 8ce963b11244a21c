// string.cpp: the Windows runtime's string functions that POSIX lacks: _stricmp, _strnicmp, _strupr,
// _strlwr, _strrev. Case folding is the C locale's (ASCII letters only), as in the Windows runtime
// when no other locale is set; bytes above 0x7F are left alone.
#include "QorPlatform.h"

#include <cerrno>
#include <climits>
#include <cstring>

namespace {

// What the Windows runtime answers for a comparison with a null argument (its _NLSCMPERROR).
constexpr int kCompareError = INT_MAX;

int FoldLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }
int FoldUpper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; }

// Compares at most `count` characters of the lowercase forms: so "_" sorts before "A" (0x5F < 0x61),
// as on Windows, not after it as an uppercase comparison would have it.
int CompareFolded(const char *string1, const char *string2, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        int difference = FoldLower(static_cast<unsigned char>(string1[i])) -
                         FoldLower(static_cast<unsigned char>(string2[i]));
        if (difference != 0 || string1[i] == '\0')
            return difference;
    }
    return 0;
}

template <typename Fold> char *FoldInPlace(char *str, Fold fold)
{
    if (str == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    for (char *p = str; *p != '\0'; ++p)
        *p = static_cast<char>(fold(static_cast<unsigned char>(*p)));
    return str;
}

} // namespace

int _stricmp(const char *string1, const char *string2)
{
    if (string1 == nullptr || string2 == nullptr) {
        errno = EINVAL;
        return kCompareError;
    }
    return CompareFolded(string1, string2, SIZE_MAX);
}

int _strnicmp(const char *string1, const char *string2, size_t count)
{
    if (string1 == nullptr || string2 == nullptr) {
        errno = EINVAL;
        return kCompareError;
    }
    return CompareFolded(string1, string2, count);
}

char *_strupr(char *str) { return FoldInPlace(str, FoldUpper); }

char *_strlwr(char *str) { return FoldInPlace(str, FoldLower); }

char *_strrev(char *str)
{
    if (str == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    size_t length = std::strlen(str);
    for (size_t front = 0, back = length; front + 1 < back; ++front, --back) {
        char c = str[front];
        str[front] = str[back - 1];
        str[back - 1] = c;
    }
    return str;
}
