// wildcard_match_fuzz.cpp: the archive engine's wildcard matcher and name comparison over any name
// and pattern: no crash, no hang on runs of '*', and answers that do not depend on how the input
// was folded where the case mode says letters do not matter.
#include "ALStatus.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    auto mode = static_cast<ALCase>(data[0] % 4);
    std::string rest(reinterpret_cast<const char *>(data + 1), size - 1);
    size_t split = rest.find('\0'); // the name, a zero byte, then the pattern
    std::string name = rest.substr(0, split);
    std::string pattern = split == std::string::npos ? "*" : rest.substr(split + 1);
    pattern = pattern.c_str(); // the matcher sees C strings
    ALNameString storageName(name.c_str(), mode);
    bool matches = storageName.WildCardMatch(pattern.c_str());
    if (mode == AL_CASE_MIXED_IGNORED) {
        ALNameString upper(name.c_str(), AL_CASE_UPPER);
        ALNameString folded(upper.GetName(), AL_CASE_MIXED_IGNORED);
        if (folded.WildCardMatch(pattern.c_str()) != matches)
            std::abort(); // letter case must not matter in this mode
    }
    // A name always compares equal to itself and matches itself when it holds no pattern character.
    if (storageName.CompareNames(storageName.GetName()) != 0)
        std::abort();
    if (storageName.GetName()[0] != '\0' &&
        std::string(storageName.GetName()).find_first_of("*?[]\\!^-") == std::string::npos &&
        !storageName.WildCardMatch(storageName.GetName()))
        std::abort();
    return 0;
}
