// stackengine.cpp: the stack dump's symbol engine on POSIX. The calling thread's stack is unwound by
// the C++ runtime's unwinder; symbols, source lines and modules come from elfutils' libdw, loaded at
// run time ("libdw.so.1"), so the library loads and works without it and only the dump fails. Loading
// asks the fault injection as "LoadLibraryA" and "GetProcAddress", the calls it stands in for.
// Symbols are found in each module and in separate debug files of the standard places; the search
// path of the dump is Windows' and is not used here.
#include "QorPlatform.h"
#include "QorStackEngine.h"

#include <cstdlib>
#include <cxxabi.h>
#include <dlfcn.h>
#include <elfutils/libdwfl.h>
#include <mutex>
#include <unistd.h>
#include <unwind.h>
#include <vector>

using qor::platform::FaultFires;

namespace {

// The libdw entry points, resolved by name; the types come from libdw's header.
struct DwEntryPoints {
    decltype(&dwfl_begin) begin;
    decltype(&dwfl_end) end;
    decltype(&dwfl_linux_proc_report) procReport;
    decltype(&dwfl_report_end) reportEnd;
    decltype(&dwfl_linux_proc_find_elf) procFindElf;
    decltype(&dwfl_standard_find_debuginfo) standardFindDebuginfo;
    decltype(&dwfl_getmodules) getModules;
    decltype(&dwfl_module_info) moduleInfo;
    decltype(&dwfl_addrmodule) addrModule;
    decltype(&dwfl_module_getelf) moduleGetElf;
    decltype(&dwfl_module_getdwarf) moduleGetDwarf;
    decltype(&dwfl_module_getsymtab) moduleGetSymtab;
    decltype(&dwfl_module_addrinfo) moduleAddrInfo;
    decltype(&dwfl_module_getsrc) moduleGetSrc;
    decltype(&dwfl_lineinfo) lineInfo;
};

struct Engine {
    std::mutex mutex;
    void *library = nullptr;
    DwEntryPoints dw{};
};

Engine &TheEngine()
{
    static Engine engine;
    return engine;
}

template <typename Function> bool Resolve(void *library, const char *name, Function &function)
{
    function = FaultFires("GetProcAddress") ? nullptr : reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

bool ResolveAll(void *library, DwEntryPoints &dw)
{
    return Resolve(library, "dwfl_begin", dw.begin) && Resolve(library, "dwfl_end", dw.end) &&
           Resolve(library, "dwfl_linux_proc_report", dw.procReport) &&
           Resolve(library, "dwfl_report_end", dw.reportEnd) &&
           Resolve(library, "dwfl_linux_proc_find_elf", dw.procFindElf) &&
           Resolve(library, "dwfl_standard_find_debuginfo", dw.standardFindDebuginfo) &&
           Resolve(library, "dwfl_getmodules", dw.getModules) && Resolve(library, "dwfl_module_info", dw.moduleInfo) &&
           Resolve(library, "dwfl_addrmodule", dw.addrModule) &&
           Resolve(library, "dwfl_module_getelf", dw.moduleGetElf) &&
           Resolve(library, "dwfl_module_getdwarf", dw.moduleGetDwarf) &&
           Resolve(library, "dwfl_module_getsymtab", dw.moduleGetSymtab) &&
           Resolve(library, "dwfl_module_addrinfo", dw.moduleAddrInfo) &&
           Resolve(library, "dwfl_module_getsrc", dw.moduleGetSrc) && Resolve(library, "dwfl_lineinfo", dw.lineInfo);
}

std::string BaseName(const std::string &path) { return path.substr(path.rfind('/') + 1); }

// The undecorated name without its parameter list: the text before the first "(" outside template
// arguments that does not open "(anonymous namespace)".
std::string NameOnly(const std::string &full)
{
    int angle = 0;
    for (size_t i = 0; i < full.size(); ++i) {
        if (full[i] == '<')
            ++angle;
        else if (full[i] == '>' && angle > 0)
            --angle;
        else if (full[i] == '(' && angle == 0 && full.compare(i, 10, "(anonymous") != 0 && i > 0)
            return full.substr(0, i);
    }
    return full;
}

std::string Demangled(const char *raw)
{
    int status = 0;
    char *demangled = abi::__cxa_demangle(raw, nullptr, nullptr, &status);
    std::string name = status == 0 && demangled != nullptr ? demangled : raw;
    std::free(demangled);
    return name;
}

struct UnwoundFrame {
    uint64_t ip;
    uint64_t cfa;
};

_Unwind_Reason_Code CollectFrame(_Unwind_Context *context, void *data)
{
    auto &frames = *static_cast<std::vector<UnwoundFrame> *>(data);
    frames.push_back({(uint64_t)_Unwind_GetIP(context), (uint64_t)_Unwind_GetCFA(context)});
    return frames.size() < 4096 ? _URC_NO_REASON : _URC_END_OF_STACK;
}

class PosixStackWalk : public qor::platform::StackWalker {
public:
    PosixStackWalk(const DwEntryPoints &dw, std::vector<UnwoundFrame> frames) : m_dw(dw), m_frames(std::move(frames)) {}
    ~PosixStackWalk() override
    {
        if (m_dwfl != nullptr)
            m_dw.end(m_dwfl);
    }

    bool Initialize(const std::string &) override
    {
        m_callbacks.find_elf = m_dw.procFindElf;
        m_callbacks.find_debuginfo = m_dw.standardFindDebuginfo;
        m_callbacks.debuginfo_path = &m_debuginfoPath;
        m_dwfl = m_dw.begin(&m_callbacks);
        if (m_dwfl == nullptr)
            return qor::platform::FailWith(ERROR_NOT_ENOUGH_MEMORY);
        const int reported = m_dw.procReport(m_dwfl, getpid());
        if (m_dw.reportEnd(m_dwfl, nullptr, nullptr) != 0 || reported != 0)
            return qor::platform::FailWith(reported > 0 ? qor::platform::Win32ErrorFromErrno(reported) : ERROR_GEN_FAILURE);
        return TRUE;
    }

    std::vector<qor::platform::StackModule> Modules(std::string &, bool) override
    {
        std::pair<const DwEntryPoints *, std::vector<qor::platform::StackModule>> walk{&m_dw, {}};
        m_dw.getModules(
            m_dwfl,
            [](Dwfl_Module *module, void **, const char *, Dwarf_Addr, void *arg) -> int {
                auto &state = *static_cast<decltype(walk) *>(arg);
                Dwarf_Addr start = 0, end = 0;
                const char *name = state.first->moduleInfo(module, nullptr, &start, &end, nullptr, nullptr, nullptr, nullptr);
                const std::string path = name != nullptr ? name : "";
                state.second.push_back({path, BaseName(path), start, end - start});
                return DWARF_CB_OK;
            },
            &walk, 0);
        return walk.second;
    }

    bool LoadSymbols(const qor::platform::StackModule &module) override
    {
        Dwfl_Module *found = m_dw.addrModule(m_dwfl, module.base);
        GElf_Addr bias = 0;
        if (found == nullptr || m_dw.moduleGetElf(found, &bias) == nullptr)
            return qor::platform::FailWith(ERROR_FILE_NOT_FOUND);
        return TRUE;
    }

    // The dump's own frame first; then each caller, whose address is the return address into it.
    bool NextFrame(qor::platform::StackFrame &frame) override
    {
        if (m_next >= m_frames.size()) {
            SetLastError(0);
            return false;
        }
        frame = qor::platform::StackFrame();
        frame.pc = m_frames[m_next].ip;
        frame.framePointer = m_frames[m_next].cfa;
        frame.stackPointer = m_next > 0 ? m_frames[m_next - 1].cfa : 0;
        frame.returnAddress = m_next + 1 < m_frames.size() ? m_frames[m_next + 1].ip : 0;
        ++m_next;
        return true;
    }

    bool Symbol(uint64_t pc, qor::platform::StackSymbol &symbol) override
    {
        Dwfl_Module *module = m_dw.addrModule(m_dwfl, LookupAddress(pc));
        GElf_Off offset = 0;
        GElf_Sym elfSymbol;
        const char *raw = module != nullptr ? m_dw.moduleAddrInfo(module, LookupAddress(pc), &offset, &elfSymbol,
                                                                  nullptr, nullptr, nullptr)
                                            : nullptr;
        if (raw == nullptr)
            return qor::platform::FailWith(ERROR_INVALID_ADDRESS);
        symbol.rawName = raw;
        symbol.fullName = Demangled(raw);
        symbol.shortName = NameOnly(symbol.fullName);
        symbol.displacement = (int64_t)(pc - (LookupAddress(pc) - offset));
        return true;
    }

    bool SourceLine(uint64_t pc, qor::platform::StackSourceLine &line) override
    {
        Dwfl_Module *module = m_dw.addrModule(m_dwfl, LookupAddress(pc));
        Dwfl_Line *found = module != nullptr ? m_dw.moduleGetSrc(module, LookupAddress(pc)) : nullptr;
        Dwarf_Addr address = 0;
        int number = 0;
        const char *file = found != nullptr ? m_dw.lineInfo(found, &address, &number, nullptr, nullptr, nullptr) : nullptr;
        if (file == nullptr)
            return qor::platform::FailWith(ERROR_INVALID_ADDRESS);
        line.file = file;
        line.line = (unsigned long)number;
        line.displacement = (int64_t)(pc - address);
        return true;
    }

    bool Module(uint64_t pc, qor::platform::StackModuleInfo &info) override
    {
        Dwfl_Module *module = m_dw.addrModule(m_dwfl, LookupAddress(pc));
        if (module == nullptr)
            return qor::platform::FailWith(ERROR_MOD_NOT_FOUND);
        Dwarf_Addr start = 0, bias = 0;
        const char *mainFile = nullptr, *debugFile = nullptr;
        const char *name = m_dw.moduleInfo(module, nullptr, &start, nullptr, nullptr, nullptr, &mainFile, &debugFile);
        info.imageName = mainFile != nullptr ? mainFile : name != nullptr ? name : "";
        info.moduleName = BaseName(name != nullptr ? name : "");
        info.loadedImageName = debugFile != nullptr ? debugFile : info.imageName;
        info.base = start;
        // Image help's numbering: 7 (its "DIA" type) for full debug information, 4 for exported names.
        info.symbolType = m_dw.moduleGetDwarf(module, &bias) != nullptr ? 7 : m_dw.moduleGetSymtab(module) > 0 ? 4 : 0;
        return true;
    }

private:
    // Every frame but the first holds a return address, which may already lie in the next line or
    // function: its call instruction is the byte before.
    uint64_t LookupAddress(uint64_t pc) const { return pc == m_frames.front().ip ? pc : pc - 1; }

    const DwEntryPoints &m_dw;
    std::vector<UnwoundFrame> m_frames;
    size_t m_next = 0;
    Dwfl_Callbacks m_callbacks{};
    char *m_debuginfoPath = nullptr;
    Dwfl *m_dwfl = nullptr;
};

} // namespace

namespace qor::platform {

HRESULT LoadStackEngine()
{
    Engine &engine = TheEngine();
    std::lock_guard<std::mutex> lock(engine.mutex);
    if (engine.library != nullptr)
        return S_OK;
    if (FaultFires("LoadLibraryA"))
        return HRESULT_FROM_WIN32(GetLastError());
    void *library = dlopen("libdw.so.1", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    }
    if (!ResolveAll(library, engine.dw)) {
        dlclose(library);
        return E_UNEXPECTED;
    }
    engine.library = library;
    return S_OK;
}

std::unique_ptr<StackWalker> BeginStackWalk(HANDLE thread, const void *callerReturn)
{
    // Another thread's stack could only be read by stopping it from outside the process.
    if (thread != nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    std::vector<UnwoundFrame> frames;
    _Unwind_Backtrace(CollectFrame, &frames);
    // Drop the engine's own frames: keep the one before the frame that returns into the caller.
    for (size_t i = 1; i < frames.size(); ++i)
        if (frames[i].ip == (uint64_t)callerReturn) {
            frames.erase(frames.begin(), frames.begin() + (ptrdiff_t)(i - 1));
            break;
        }
    return std::make_unique<PosixStackWalk>(TheEngine().dw, std::move(frames));
}

} // namespace qor::platform
