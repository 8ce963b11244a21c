// reg_import_fuzz.cpp: registry files of any content imported whole into a scratch registry: no
// crash, no hang, and an import that fails leaves every root key's tree exactly as it was.
#include "registry_file.h"
#include "registry_import.h"
#include "registry_tree.h"

#include "QorToolCommand.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const char *const kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                              "HKEY_CURRENT_CONFIG"};

// Every root key's tree as registry-file text.
std::string WholeRegistry()
{
    std::string text;
    for (const char *root : kRoots)
        text += qor::tool::FormatRegistryFile(qor::tool::ReadTree(root));
    return text;
}

// Back to the scratch registry every input starts from: one small tree below HKEY_CURRENT_USER.
void Reset()
{
    for (const char *root : kRoots) {
        qor::ScopedRegistryKey key;
        qor::tool::OpenPath(root, KEY_ALL_ACCESS, false, key);
        for (const std::string &child : qor::tool::ReadSubKeys(key.Get(), root))
            qor::tool::DeleteTree(std::string(root) + "\\" + child);
    }
    const std::string start = "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Fuzz]\n\"Text\"=\"kept\"\n"
                              "[HKEY_CURRENT_USER\\Software\\Fuzz\\Inner]\n\"Number\"=dword:00000007\n";
    qor::tool::ImportRegistryFile(qor::tool::ParseRegistryFile(start, "start.reg"), "start.reg");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    char folder[] = "/tmp/qor-reg-import-fuzz-XXXXXX";
    setenv("QOR_REGISTRY_DIR", mkdtemp(folder), 1);
    Reset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<qor::tool::RegistryFileKey> keys;
    try {
        keys = qor::tool::ParseRegistryFile(std::string(reinterpret_cast<const char *>(data), size), "fuzz.reg");
    } catch (const qor::tool::UsageError &) {
        return 0;
    }
    const std::string before = WholeRegistry();
    try {
        qor::tool::ImportRegistryFile(keys, "fuzz.reg");
    } catch (const qor::tool::CommandError &) {
        if (WholeRegistry() != before)
            std::abort(); // a failed import left changes behind
        return 0;
    }
    Reset();
    return 0;
}
