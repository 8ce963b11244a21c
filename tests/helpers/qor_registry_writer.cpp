// qor_registry_writer.cpp: a child of the multi-process registry test. Usage: qor_registry_writer KEY CHILD
// COUNT. Below HKEY_CURRENT_USER\KEY it writes COUNT distinct values "c<CHILD>_<n>", reading each back,
// and keeps rewriting the shared value "last" of the sub-key "counter", checking every read of it is whole.
// Exit status 0 when every write and read was right; a failure is described on stderr.
#include "QorWinTypes.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kChildren = 4;

bool Fail(const char *what, const std::string &name, LSTATUS status)
{
    std::fprintf(stderr, "qor_registry_writer: %s %s failed with %ld\n", what, name.c_str(), static_cast<long>(status));
    return false;
}

bool ReadDword(HKEY key, const std::string &name, DWORD &value)
{
    DWORD type = 0, size = sizeof value;
    LSTATUS status = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    if (status != ERROR_SUCCESS)
        return Fail("reading", name, status);
    if (type != REG_DWORD || size != sizeof value)
        return Fail("the type or size of", name, static_cast<LSTATUS>(type));
    return true;
}

bool WriteDword(HKEY key, const std::string &name, DWORD value)
{
    LSTATUS status = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
    return status == ERROR_SUCCESS || Fail("writing", name, status);
}

bool Run(HKEY values, HKEY counter, DWORD child, DWORD count)
{
    for (DWORD n = 0; n < count; ++n) {
        std::string name = "c" + std::to_string(child) + "_" + std::to_string(n);
        DWORD stamp = (child << 16) | n, read = 0;
        if (!WriteDword(values, name, stamp) || !ReadDword(values, name, read))
            return false;
        if (read != stamp)
            return Fail("reading back", name, static_cast<LSTATUS>(read));
        if (!WriteDword(counter, "last", stamp) || !ReadDword(counter, "last", read))
            return false;
        if ((read >> 16) >= kChildren || (read & 0xFFFF) >= count)
            return Fail("a whole value of", "last", static_cast<LSTATUS>(read)); // a torn or foreign write
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: qor_registry_writer KEY CHILD COUNT\n");
        return 2;
    }
    std::string path = argv[1];
    DWORD child = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
    DWORD count = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
    HKEY values = nullptr, counter = nullptr;
    LSTATUS status = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_ALL_ACCESS, nullptr, &values, nullptr);
    if (status == ERROR_SUCCESS)
        status = RegCreateKeyExA(values, "counter", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                 &counter, nullptr);
    if (status != ERROR_SUCCESS)
        return Fail("creating", path, status) ? 0 : 1;
    bool ok = child < kChildren && Run(values, counter, child, count);
    RegCloseKey(counter);
    RegCloseKey(values);
    return ok ? 0 : 1;
}
