// module.cpp: GetModuleHandleA and GetModuleFileNameA over the dynamic loader. A module handle is the
// loader's own record of a loaded object (its link_map), so it stays the same for as long as the
// object is loaded, and the executable's is the record of the main program.
#include "QorPlatform.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <string>
#include <unistd.h>

using qor::platform::FailWith;
using qor::platform::FaultFires;

namespace {

link_map *MainProgram()
{
    static link_map *const s_main = [] {
        link_map *main = nullptr;
        void *handle = dlopen(nullptr, RTLD_LAZY);
        if (handle != nullptr) {
            dlinfo(handle, RTLD_DI_LINKMAP, &main);
            dlclose(handle);
        }
        return main;
    }();
    return s_main;
}

HMODULE AsHandle(link_map *module) { return reinterpret_cast<HMODULE>(module); }

// Calls `visit` for each loaded object until it returns true. dl_iterate_phdr holds the loader's lock
// while its callback runs, so no object comes or goes during the walk; the main program's record is
// fetched before, since fetching it the first time takes the loader's other lock.
template <typename Visit> void ForEachLoadedModule(Visit visit)
{
    struct Walk {
        link_map *first;
        Visit *visit;
    } walk{MainProgram(), &visit};
    auto callback = [](dl_phdr_info *, size_t, void *data) -> int {
        Walk &state = *static_cast<Walk *>(data);
        for (link_map *module = state.first; module != nullptr; module = module->l_next)
            if ((*state.visit)(module))
                break;
        return 1; // one walk of the list is enough
    };
    dl_iterate_phdr(callback, &walk);
}

std::string ExecutablePath()
{
    std::string path(256, '\0');
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", &path[0], path.size());
        if (length < 0)
            return std::string();
        if (static_cast<size_t>(length) < path.size()) {
            path.resize(static_cast<size_t>(length));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string PathOf(link_map *module)
{
    return module == MainProgram() ? ExecutablePath() : std::string(module->l_name ? module->l_name : "");
}

// "1", "6" or "1.2.3": the version numbers that follow ".so" in a library's file name.
bool IsVersionSuffix(const char *suffix)
{
    if (*suffix == '\0')
        return true;
    while (*suffix == '.' && suffix[1] >= '0' && suffix[1] <= '9') {
        suffix += 2;
        while (*suffix >= '0' && *suffix <= '9')
            ++suffix;
    }
    return *suffix == '\0';
}

bool HasVersionedName(const std::string &base, const std::string &wanted)
{
    return base.compare(0, wanted.size(), wanted) == 0 && IsVersionSuffix(base.c_str() + wanted.size());
}

// A name with a '/' is a path and must match exactly. Otherwise it matches the file's base name, with
// any version numbers behind it ("libz.so" finds "libz.so.1"); a name without an extension also
// matches with ".so", as Windows adds ".dll" (programs have no extension here). Names compare
// exactly, as the file system does.
bool NameMatches(const std::string &request, const std::string &path)
{
    if (request.find('/') != std::string::npos)
        return request == path;
    std::string base = path.substr(path.rfind('/') + 1);
    if (HasVersionedName(base, request))
        return true;
    return request.find('.') == std::string::npos && HasVersionedName(base, request + ".so");
}

} // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName)
{
    if (lpModuleName == nullptr)
        return AsHandle(MainProgram());
    if (FaultFires("GetModuleHandleA"))
        return nullptr;
    std::string request(lpModuleName);
    link_map *found = nullptr;
    ForEachLoadedModule([&](link_map *module) {
        if (NameMatches(request, PathOf(module)))
            found = module;
        return found != nullptr;
    });
    if (found == nullptr)
        SetLastError(ERROR_MOD_NOT_FOUND);
    return AsHandle(found);
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize)
{
    if (FaultFires("GetModuleFileNameA"))
        return 0;
    if (lpFilename == nullptr && nSize > 0)
        return FailWith(ERROR_INVALID_PARAMETER);
    auto *wanted = reinterpret_cast<link_map *>(hModule);
    if (wanted == nullptr)
        wanted = MainProgram();
    std::string path;
    bool loaded = false;
    ForEachLoadedModule([&](link_map *module) {
        loaded = module == wanted;
        if (loaded)
            path = PathOf(module);
        return loaded;
    });
    if (!loaded)
        return FailWith(ERROR_MOD_NOT_FOUND);
    if (path.empty())
        return FailWith(qor::platform::Win32ErrorFromErrno(errno));
    if (nSize == 0)
        return FailWith(ERROR_INSUFFICIENT_BUFFER);
    // Too small a buffer gets what fits, terminated, and the call answers nSize (Windows XP and later).
    size_t copied = path.size() < nSize ? path.size() : nSize - 1;
    std::memcpy(lpFilename, path.data(), copied);
    lpFilename[copied] = '\0';
    if (copied < path.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    return static_cast<DWORD>(copied);
}
