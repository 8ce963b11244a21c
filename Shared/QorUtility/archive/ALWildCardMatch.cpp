// ALWildCardMatch.cpp: the archive engine's wildcard match of a name against a pattern ('?', '*',
// bracket sets with ranges and negation, backslash escapes) and its name comparison. Both fold letter
// case by the name's case mode and take '\' and '/' alike.
#include "ALStatus.h"
#include "QorPlatform.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char *kEscapable = "!*-?[]^";

void FoldCase(std::string &text, bool upper)
{
    for (char &c : text) {
        if (upper && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - ('a' - 'A'));
        else if (!upper && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    }
}

void SlashesForward(std::string &text)
{
    for (char &c : text)
        if (c == '\\')
            c = '/';
}

// A backslash before an escapable character stays an escape; every other one is a folder separator.
void NormalisePattern(std::string &pattern)
{
    if (pattern.size() > 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0)
        pattern.replace(pattern.size() - 2, 2, "*"); // "x.*" also matches "x"
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '\\')
            continue;
        if (i + 1 < pattern.size() && std::strchr(kEscapable, pattern[i + 1]) != nullptr)
            ++i;
        else
            pattern[i] = '/';
    }
}

// Brackets that cannot be read make the pattern match nothing: "[]", an unclosed '[', a backslash
// ending a set, a '-' that ends a set.
bool BracketsValid(const std::string &pattern)
{
    const char *p = pattern.c_str();
    while (*p != '\0') {
        if (*p == '\\' && p[1] != '\0') {
            p += 2;
            continue;
        }
        if (*p++ != '[')
            continue;
        if (*p == ']')
            return false;
        for (;; ++p) {
            if (*p == '\0')
                return false;
            if (*p == ']')
                break;
            if (*p == '\\' && *++p == '\0')
                return false;
            if (*p == '-' && (p[1] == '\0' || p[1] == ']'))
                return false;
        }
        ++p;
    }
    return true;
}

class Matcher {
public:
    Matcher(const std::string &name, const std::string &pattern)
        : m_name(name), m_pattern(pattern), m_failed((name.size() + 1) * (pattern.size() + 1), false)
    {
    }

    bool From(size_t n, size_t p)
    {
        // A state that failed once fails again: remembering it keeps runs of '*' polynomial.
        size_t state = n * (m_pattern.size() + 1) + p;
        if (m_failed[state])
            return false;
        bool matched = Step(n, p);
        if (!matched)
            m_failed[state] = true;
        return matched;
    }

private:
    char NameAt(size_t n) const { return n < m_name.size() ? m_name[n] : '\0'; }
    char PatternAt(size_t p) const { return p < m_pattern.size() ? m_pattern[p] : '\0'; }

    bool Step(size_t n, size_t p)
    {
        for (;;) {
            char c = PatternAt(p);
            if (c == '\0')
                return NameAt(n) == '\0';
            if (NameAt(n) == '\0')
                return m_pattern.compare(p, std::string::npos, "*") == 0;
            if (c == '*')
                return Star(n, p);
            if (c == '[') {
                if (!InSet(NameAt(n), p))
                    return false;
            } else if (c == '\\' && PatternAt(p + 1) != '\0') {
                if (NameAt(n) != PatternAt(p + 1))
                    return false;
                p += 2;
            } else {
                if (c != '?' && c != NameAt(n))
                    return false;
                ++p;
            }
            ++n;
        }
    }

    bool Star(size_t n, size_t p)
    {
        for (; PatternAt(p) == '*' || PatternAt(p) == '?'; ++p) {
            if (PatternAt(p) == '?' && NameAt(n++) == '\0')
                return false;
        }
        char next = PatternAt(p);
        if (next == '\0')
            return true;
        char literal = next == '\\' ? PatternAt(p + 1) : next;
        for (; NameAt(n) != '\0'; ++n)
            if ((next == '[' || NameAt(n) == literal) && From(n, p))
                return true;
        return false;
    }

    // Whether `c` is in the set that starts at `p` (its '['); moves `p` past the closing ']'.
    bool InSet(char c, size_t &p) const
    {
        ++p;
        bool negated = PatternAt(p) == '!' || PatternAt(p) == '^';
        if (negated)
            ++p;
        bool found = false;
        auto value = static_cast<signed char>(c);
        while (PatternAt(p) != ']') {
            signed char low = Member(p);
            signed char high = low;
            if (PatternAt(p) == '-' && PatternAt(p + 1) != ']') {
                ++p;
                high = Member(p);
            }
            if (low > high)
                std::swap(low, high);
            found = found || (value >= low && value <= high);
        }
        ++p;
        return found != negated;
    }

    signed char Member(size_t &p) const
    {
        if (PatternAt(p) == '\\')
            ++p;
        return static_cast<signed char>(PatternAt(p++));
    }

    const std::string &m_name;
    const std::string &m_pattern;
    std::vector<bool> m_failed;
};

} // namespace

bool ALNameString::WildCardMatch(const char *pattern) const
{
    std::string name = GetName();
    std::string wanted = pattern ? pattern : "";
    if (m_eCase == AL_CASE_UPPER) {
        FoldCase(wanted, true);
    } else if (m_eCase == AL_CASE_LOWER) {
        FoldCase(wanted, false);
    } else if (m_eCase == AL_CASE_MIXED_IGNORED) {
        FoldCase(wanted, false);
        FoldCase(name, false);
    }
    NormalisePattern(wanted);
    SlashesForward(name);
    if (!BracketsValid(wanted))
        return false;
    return Matcher(name, wanted).From(0, 0);
}

int ALNameString::CompareNames(const char *other) const
{
    std::string mine = GetName();
    std::string theirs = other ? other : "";
    if (m_eCase == AL_CASE_UPPER) {
        FoldCase(theirs, true);
    } else if (m_eCase == AL_CASE_LOWER) {
        FoldCase(theirs, false);
    } else if (m_eCase == AL_CASE_MIXED_IGNORED) {
        FoldCase(mine, false);
        FoldCase(theirs, false);
    }
    SlashesForward(mine);
    SlashesForward(theirs);
    return std::strcmp(mine.c_str(), theirs.c_str());
}
