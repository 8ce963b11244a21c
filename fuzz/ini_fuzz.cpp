// ini_fuzz.cpp: INI files of any content, read and then written: no crash, no hang, and a write
// never loses the value it was asked to write.
#include "QorPlatform.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

std::string ScratchFile()
{
    static const std::string path = [] {
        char folder[] = "/tmp/qor-ini-fuzz-XXXXXX";
        return std::string(mkdtemp(folder)) + "/fuzz.ini";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string path = ScratchFile();
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    char buffer[4096];
    DWORD length = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, path.c_str());
    // Every listed section's keys, and every key's value, as a caller walking the file would read them.
    for (const char *section = buffer; section < buffer + length && *section; section += std::strlen(section) + 1) {
        char keys[4096];
        DWORD keysLength = GetPrivateProfileStringA(section, nullptr, "", keys, sizeof keys, path.c_str());
        for (const char *key = keys; key < keys + keysLength && *key; key += std::strlen(key) + 1) {
            char value[256];
            GetPrivateProfileStringA(section, key, "", value, sizeof value, path.c_str());
        }
    }
    if (WritePrivateProfileStringA("Fuzz Section", "Fuzz Key", "written value", path.c_str())) {
        char value[64];
        GetPrivateProfileStringA("Fuzz Section", "Fuzz Key", "", value, sizeof value, path.c_str());
        if (std::string(value) != "written value")
            std::abort();
    }
    return 0;
}
