// QorModuleList.cpp: the process's modules through tool help ("kernel32.dll", else "tlhelp32.dll") or,
// when it lists none, the process status interface ("psapi.dll"). Every entry point is resolved by
// name, as on systems that lack one of them.
#include "QorModuleList.h"

#include "QorPlatformHooks.h"

#include <cstdio>
#include <psapi.h>
#include <tlhelp32.h>

namespace {

using CreateSnapshotFunction = HANDLE(WINAPI *)(DWORD, DWORD);
using ModuleWalkFunction = BOOL(WINAPI *)(HANDLE, MODULEENTRY32 *);
using EnumModulesFunction = BOOL(WINAPI *)(HANDLE, HMODULE *, DWORD, DWORD *);
using ModuleNameFunction = DWORD(WINAPI *)(HANDLE, HMODULE, char *, DWORD);
using ModuleInformationFunction = BOOL(WINAPI *)(HANDLE, HMODULE, MODULEINFO *, DWORD);

// The process status interface reads at most this many module handles.
constexpr DWORD kMaxModuleHandles = 16384;
constexpr DWORD kNameBufferSize = 65536;

bool g_hideToolHelp = false;

// A library loaded for one enumeration, released when it ends.
class Library {
public:
    explicit Library(const char *name) : m_module(LoadLibraryA(name)) {}
    ~Library()
    {
        if (m_module != nullptr)
            FreeLibrary(m_module);
    }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;

    explicit operator bool() const { return m_module != nullptr; }

    template <typename Function> bool Resolve(const char *name, Function &function) const
    {
        function = m_module != nullptr
                       ? reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(m_module, name)))
                       : nullptr;
        return function != nullptr;
    }

private:
    HMODULE m_module;
};

void AddToolHelpModules(const Library &library, std::vector<qor::platform::StackModule> &modules)
{
    CreateSnapshotFunction createSnapshot = nullptr;
    ModuleWalkFunction first = nullptr, next = nullptr;
    if (!library.Resolve("CreateToolhelp32Snapshot", createSnapshot) || !library.Resolve("Module32First", first) ||
        !library.Resolve("Module32Next", next))
        return;
    HANDLE snapshot = createSnapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = first(snapshot, &entry); more; more = next(snapshot, &entry))
        modules.push_back({entry.szExePath, entry.szModule, (uint64_t)(ULONG_PTR)entry.modBaseAddr, entry.modBaseSize});
    CloseHandle(snapshot);
}

// Tool help lives in kernel32 on every current system; "tlhelp32.dll" is where older ones kept it.
std::vector<qor::platform::StackModule> ToolHelpModules()
{
    std::vector<qor::platform::StackModule> modules;
    if (g_hideToolHelp)
        return modules;
    for (const char *name : {"kernel32.dll", "tlhelp32.dll"}) {
        Library library(name);
        AddToolHelpModules(library, modules);
        if (!modules.empty())
            break;
    }
    return modules;
}

struct ProcessStatus {
    EnumModulesFunction enumModules = nullptr;
    ModuleNameFunction fileName = nullptr;
    ModuleNameFunction baseName = nullptr;
    ModuleInformationFunction information = nullptr;
};

bool ResolveProcessStatus(const Library &library, ProcessStatus &status)
{
    return library.Resolve("EnumProcessModules", status.enumModules) &&
           library.Resolve("GetModuleFileNameExA", status.fileName) &&
           library.Resolve("GetModuleBaseNameA", status.baseName) &&
           library.Resolve("GetModuleInformation", status.information);
}

void AppendLine(std::string &report, bool verbose, const char *format, unsigned long value)
{
    if (!verbose)
        return;
    char line[96];
    std::snprintf(line, sizeof line, format, value);
    report += line;
}

std::vector<qor::platform::StackModule> ProcessStatusModules(std::string &report, bool verbose)
{
    std::vector<qor::platform::StackModule> modules;
    Library library("psapi.dll");
    ProcessStatus status;
    if (!ResolveProcessStatus(library, status))
        return modules;
    const HANDLE process = GetCurrentProcess();
    std::vector<HMODULE> handles(kMaxModuleHandles);
    DWORD needed = 0;
    if (!status.enumModules(process, handles.data(), kMaxModuleHandles * sizeof(HMODULE), &needed)) {
        AppendLine(report, verbose, "EPM failed, gle = %lu\n", GetLastError());
        return modules;
    }
    if (needed > kMaxModuleHandles * sizeof(HMODULE)) {
        AppendLine(report, verbose, "More than %lu module handles. Huh?\n", kMaxModuleHandles);
        return modules;
    }
    std::vector<char> path(kNameBufferSize), name(kNameBufferSize);
    for (DWORD i = 0; i < needed / sizeof(HMODULE); ++i) {
        MODULEINFO information{};
        status.information(process, handles[i], &information, sizeof information);
        path[0] = name[0] = '\0';
        status.fileName(process, handles[i], path.data(), kNameBufferSize);
        status.baseName(process, handles[i], name.data(), kNameBufferSize);
        modules.push_back({path.data(), name.data(), (uint64_t)(ULONG_PTR)information.lpBaseOfDll, information.SizeOfImage});
    }
    return modules;
}

} // namespace

void QorStackDumpHideToolHelp(BOOL hidden) { g_hideToolHelp = hidden != FALSE; }

namespace qor::platform {

std::vector<StackModule> ListProcessModules(std::string &report, bool verbose)
{
    std::vector<StackModule> modules = ToolHelpModules();
    return modules.empty() ? ProcessStatusModules(report, verbose) : modules;
}

} // namespace qor::platform
