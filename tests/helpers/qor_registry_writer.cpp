// qor_registry_writer.cpp: a child of the multi-process registry tests; every key is below
// HKEY_CURRENT_USER. Exit status 0 when every call answered as expected; a failure is described on stderr.
//   write KEY COUNT        writes COUNT values "v<n>" = n into KEY
//   race KEY COUNT         writes COUNT values through one handle of KEY while another process deletes
//                          it: each write succeeds or answers ERROR_KEY_DELETED (then KEY is made anew)
//   hold KEY MARKER        sets "held" = 1 in KEY, creates the file MARKER and waits to be killed
#include "QorWinTypes.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

bool Fail(const char *what, const std::string &name, LSTATUS status)
{
    std::fprintf(stderr, "qor_registry_writer: %s %s failed with %ld\n", what, name.c_str(), static_cast<long>(status));
    return false;
}

LSTATUS Create(HKEY parent, const std::string &path, HKEY &key)
{
    return RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                           nullptr);
}

LSTATUS WriteDword(HKEY key, const std::string &name, DWORD value)
{
    return RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

bool Write(const std::string &path, DWORD count)
{
    HKEY key = nullptr;
    LSTATUS status = Create(HKEY_CURRENT_USER, path, key);
    for (DWORD n = 0; status == ERROR_SUCCESS && n < count; ++n)
        status = WriteDword(key, "v" + std::to_string(n), n);
    RegCloseKey(key);
    return status == ERROR_SUCCESS || Fail("writing below", path, status);
}

bool Race(const std::string &path, DWORD count)
{
    HKEY key = nullptr;
    for (DWORD n = 0; n < count; ++n) {
        LSTATUS status = key ? WriteDword(key, "v" + std::to_string(n), n) : ERROR_KEY_DELETED;
        if (status == ERROR_KEY_DELETED) { // deleted under us: the next write goes to a new key
            RegCloseKey(key);
            key = nullptr;
            status = Create(HKEY_CURRENT_USER, path, key);
        }
        if (status != ERROR_SUCCESS)
            return Fail("writing below", path, status);
    }
    RegCloseKey(key);
    return true;
}

bool Hold(const std::string &path, const char *marker)
{
    HKEY key = nullptr;
    LSTATUS status = Create(HKEY_CURRENT_USER, path, key);
    if (status != ERROR_SUCCESS || (status = WriteDword(key, "held", 1)) != ERROR_SUCCESS)
        return Fail("writing below", path, status);
    if (FILE *file = std::fopen(marker, "w"))
        std::fclose(file);
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

} // namespace

int main(int argc, char **argv)
{
    const std::string mode = argc > 2 ? argv[1] : "";
    bool ok = false;
    if (mode == "write" && argc == 4)
        ok = Write(argv[2], std::strtoul(argv[3], nullptr, 10));
    else if (mode == "race" && argc == 4)
        ok = Race(argv[2], std::strtoul(argv[3], nullptr, 10));
    else if (mode == "hold" && argc == 4)
        ok = Hold(argv[2], argv[3]);
    else
        std::fprintf(stderr, "usage: qor_registry_writer write KEY COUNT | race KEY COUNT | hold KEY MARKER\n");
    return ok ? 0 : 1;
}
