// wildcard_expand_fuzz.cpp: file specifications of any content expanded over a small scratch tree:
// no crash and no hang; every name yielded exists as a file, and the list ends.
#include "ALWildCard.h"
#include "QorPlatform.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A scratch tree, made once: a few files and two levels of folders. Each run works inside it and
// returns to the fuzzer's own folder, where its corpus paths are relative to.
class ScratchTree {
public:
    ScratchTree()
    {
        if (getcwd(m_home, sizeof m_home) == nullptr || mkdtemp(m_folder) == nullptr || chdir(m_folder) != 0)
            std::abort();
        mkdir("d", 0700);
        mkdir("d/e", 0700);
        for (const char *name : {"a.txt", "b", "c,d.txt", "d/x.txt", "d/e/y.txt", " s.txt"})
            if (FILE *file = std::fopen(name, "w"))
                std::fclose(file);
        Leave();
    }
    void Enter() const
    {
        if (chdir(m_folder) != 0)
            std::abort();
    }
    void Leave() const
    {
        if (chdir(m_home) != 0)
            std::abort();
    }

private:
    char m_home[4096];
    char m_folder[32] = "/tmp/qor-expand-fuzz-XXXXXX";
};

// A spec that leaves the scratch tree (an absolute path, "..") would walk the whole file system:
// legitimate, but not what this target tests.
bool StaysInTree(const std::string &spec)
{
    if (spec.find("..") != std::string::npos)
        return false;
    for (size_t i = 0; i < spec.size(); ++i)
        if ((spec[i] == '/' || spec[i] == '\\') && (i == 0 || std::string(",\t\"/\\").find(spec[i - 1]) != std::string::npos))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const ScratchTree tree;
    if (size == 0)
        return 0;
    std::string spec(reinterpret_cast<const char *>(data + 1), size - 1);
    spec = spec.c_str();
    if (!StaysInTree(spec))
        return 0;
    tree.Enter();
    ALWildCardExpander expander(spec.c_str(), ",\t", (data[0] & 1) != 0);
    for (int names = 0; const char *name = expander.GetNextFile(); ++names) {
        DWORD attributes = GetFileAttributesA(name);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) || names > 100000)
            std::abort();
    }
    tree.Leave();
    return 0;
}
