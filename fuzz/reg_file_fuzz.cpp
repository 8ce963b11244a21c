// reg_file_fuzz.cpp: registry files of any content, 8-bit or UTF-16 (the first byte chooses), read
// by qor's reader: no crash, no hang, and a file it accepts is written back as REGEDIT4 text that
// reads as the same keys and values.
#include "registry_file.h"

#include "QorToolCommand.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool SameKeys(const std::vector<qor::tool::RegistryFileKey> &a, const std::vector<qor::tool::RegistryFileKey> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t k = 0; k < a.size(); ++k) {
        if (a[k].path != b[k].path || a[k].remove != b[k].remove || a[k].values.size() != b[k].values.size())
            return false;
        for (size_t v = 0; v < a[k].values.size(); ++v) {
            const auto &x = a[k].values[v], &y = b[k].values[v];
            if (x.name != y.name || x.type != y.type || x.data != y.data || x.remove != y.remove)
                return false;
        }
    }
    return true;
}

// The rest of the input as a version 5 file's UTF-16: each byte one code unit, after the byte-order mark.
std::string AsUtf16(const uint8_t *data, size_t size)
{
    std::string wide = "\xFF\xFE";
    for (size_t i = 0; i < size; ++i) {
        wide += static_cast<char>(data[i]);
        wide += '\0';
    }
    return wide;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string bytes = data[0] & 1 ? AsUtf16(data + 1, size - 1)
                                          : std::string(reinterpret_cast<const char *>(data + 1), size - 1);
    std::vector<qor::tool::RegistryFileKey> keys;
    try {
        keys = qor::tool::ParseRegistryFile(bytes, "fuzz.reg");
    } catch (const qor::tool::UsageError &) {
        return 0;
    }
    const std::string written = qor::tool::FormatRegistryFile(keys);
    try {
        if (!SameKeys(keys, qor::tool::ParseRegistryFile(written, "written.reg")))
            std::abort(); // what the exporter writes reads back differently
    } catch (const qor::tool::UsageError &) {
        std::abort(); // the exporter wrote what the reader refuses
    }
    return 0;
}
