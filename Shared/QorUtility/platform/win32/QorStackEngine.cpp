// QorStackEngine.cpp: the stack dump's symbol engine on Windows: image help ("imagehlp.dll") loaded by
// name at run time with its 64-bit entry points, the thread's context, and the modules of
// QorModuleList. Names that image help leaves decorated the C++ way are demangled here.
#include "QorStackEngine.h"

#include "QorModuleList.h"

#include <cstdlib>
#include <cxxabi.h>
#include <dbghelp.h>

namespace {

struct ImageHelp {
    decltype(&::SymCleanup) cleanup;
    decltype(&::SymFunctionTableAccess64) functionTableAccess;
    decltype(&::SymGetLineFromAddr64) getLineFromAddr;
    decltype(&::SymGetModuleBase64) getModuleBase;
    decltype(&::SymGetModuleInfo64) getModuleInfo;
    decltype(&::SymGetOptions) getOptions;
    decltype(&::SymGetSymFromAddr64) getSymFromAddr;
    decltype(&::SymInitialize) initialize;
    decltype(&::SymSetOptions) setOptions;
    decltype(&::StackWalk64) stackWalk;
    decltype(&::UnDecorateSymbolName) undecorate;
    decltype(&::SymLoadModule64) loadModule;
};

HMODULE g_library = nullptr;
ImageHelp g_imageHelp{};

template <typename Function> bool Resolve(HMODULE library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(library, name)));
    return function != nullptr;
}

bool ResolveAll(HMODULE library, ImageHelp &help)
{
    return Resolve(library, "SymCleanup", help.cleanup) &&
           Resolve(library, "SymFunctionTableAccess64", help.functionTableAccess) &&
           Resolve(library, "SymGetLineFromAddr64", help.getLineFromAddr) &&
           Resolve(library, "SymGetModuleBase64", help.getModuleBase) &&
           Resolve(library, "SymGetModuleInfo64", help.getModuleInfo) &&
           Resolve(library, "SymGetOptions", help.getOptions) &&
           Resolve(library, "SymGetSymFromAddr64", help.getSymFromAddr) &&
           Resolve(library, "SymInitialize", help.initialize) && Resolve(library, "SymSetOptions", help.setOptions) &&
           Resolve(library, "StackWalk64", help.stackWalk) &&
           Resolve(library, "UnDecorateSymbolName", help.undecorate) &&
           Resolve(library, "SymLoadModule64", help.loadModule);
}

std::string Undecorated(const char *raw, DWORD flags)
{
    char name[1024];
    std::string result = g_imageHelp.undecorate(raw, name, sizeof name, flags) != 0 ? name : raw;
    if (result.compare(0, 2, "_Z") != 0)
        return result;
    int status = 0;
    char *demangled = abi::__cxa_demangle(raw, nullptr, nullptr, &status);
    if (status == 0 && demangled != nullptr)
        result = demangled;
    std::free(demangled);
    if (flags == UNDNAME_NAME_ONLY && result.find('(') != std::string::npos && result.compare(0, 10, "(anonymous") != 0)
        result.erase(result.find('('));
    return result;
}

class ImageHelpStackWalk : public qor::platform::StackWalker {
public:
    ImageHelpStackWalk(const CONTEXT &context, HANDLE suspended, const void *callerReturn)
        : m_context(context), m_suspended(suspended), m_callerReturn((DWORD64)callerReturn)
    {
        m_frame.AddrPC.Offset = context.Rip;
        m_frame.AddrFrame.Offset = context.Rbp;
        m_frame.AddrStack.Offset = context.Rsp;
        m_frame.AddrPC.Mode = m_frame.AddrFrame.Mode = m_frame.AddrStack.Mode = AddrModeFlat;
    }

    ~ImageHelpStackWalk() override
    {
        if (m_initialized)
            g_imageHelp.cleanup(GetCurrentProcess());
        if (m_suspended != nullptr)
            ResumeThread(m_suspended);
    }

    bool Initialize(const std::string &searchPath) override
    {
        m_initialized = g_imageHelp.initialize(GetCurrentProcess(), searchPath.c_str(), FALSE) != FALSE;
        if (m_initialized)
            g_imageHelp.setOptions((g_imageHelp.getOptions() & ~(DWORD)SYMOPT_UNDNAME) | SYMOPT_LOAD_LINES);
        return m_initialized;
    }

    std::vector<qor::platform::StackModule> Modules(std::string &report, bool verbose) override
    {
        return qor::platform::ListProcessModules(report, verbose);
    }

    bool LoadSymbols(const qor::platform::StackModule &module) override
    {
        SetLastError(0);
        return g_imageHelp.loadModule(GetCurrentProcess(), nullptr, module.imagePath.c_str(), module.moduleName.c_str(),
                                      module.base, (DWORD)module.size) != 0 ||
               GetLastError() == 0;
    }

    bool NextFrame(qor::platform::StackFrame &frame) override
    {
        if (!Step())
            return false;
        // For the calling thread the walk starts inside the engine: its frames up to the dump's own go.
        for (int skipped = 0; m_callerReturn != 0 && m_frame.AddrReturn.Offset != m_callerReturn && skipped < 16; ++skipped)
            if (!Step())
                return false;
        m_callerReturn = 0;
        frame.pc = m_frame.AddrPC.Offset;
        frame.returnAddress = m_frame.AddrReturn.Offset;
        frame.framePointer = m_frame.AddrFrame.Offset;
        frame.stackPointer = m_frame.AddrStack.Offset;
        frame.isFar = m_frame.Far != FALSE;
        frame.isVirtual = m_frame.Virtual != FALSE;
        return true;
    }

    bool Symbol(uint64_t pc, qor::platform::StackSymbol &symbol) override
    {
        alignas(IMAGEHLP_SYMBOL64) char buffer[sizeof(IMAGEHLP_SYMBOL64) + 1024] = {};
        auto *record = reinterpret_cast<IMAGEHLP_SYMBOL64 *>(buffer);
        record->SizeOfStruct = sizeof(IMAGEHLP_SYMBOL64);
        record->MaxNameLength = 1024;
        DWORD64 displacement = 0;
        if (!g_imageHelp.getSymFromAddr(GetCurrentProcess(), pc, &displacement, record))
            return false;
        symbol.rawName = record->Name;
        symbol.shortName = Undecorated(record->Name, UNDNAME_NAME_ONLY);
        symbol.fullName = Undecorated(record->Name, UNDNAME_COMPLETE);
        symbol.displacement = (int64_t)displacement;
        return true;
    }

    bool SourceLine(uint64_t pc, qor::platform::StackSourceLine &line) override
    {
        IMAGEHLP_LINE64 record{};
        record.SizeOfStruct = sizeof record;
        DWORD displacement = 0;
        if (!g_imageHelp.getLineFromAddr(GetCurrentProcess(), pc, &displacement, &record))
            return false;
        line.file = record.FileName != nullptr ? record.FileName : "";
        line.line = record.LineNumber;
        line.displacement = displacement;
        return true;
    }

    bool Module(uint64_t pc, qor::platform::StackModuleInfo &module) override
    {
        IMAGEHLP_MODULE64 record{};
        record.SizeOfStruct = sizeof record;
        if (!g_imageHelp.getModuleInfo(GetCurrentProcess(), pc, &record))
            return false;
        module.moduleName = record.ModuleName;
        module.imageName = record.ImageName;
        module.loadedImageName = record.LoadedImageName;
        module.base = record.BaseOfImage;
        module.symbolType = (long)record.SymType;
        return true;
    }

private:
    bool Step()
    {
        HANDLE thread = m_suspended != nullptr ? m_suspended : GetCurrentThread();
        return g_imageHelp.stackWalk(IMAGE_FILE_MACHINE_AMD64, GetCurrentProcess(), thread, &m_frame, &m_context,
                                     nullptr, g_imageHelp.functionTableAccess, g_imageHelp.getModuleBase,
                                     nullptr) != FALSE;
    }

    CONTEXT m_context;
    HANDLE m_suspended;
    DWORD64 m_callerReturn;
    STACKFRAME64 m_frame{};
    bool m_initialized = false;
};

} // namespace

namespace qor::platform {

HRESULT LoadStackEngine()
{
    if (g_library != nullptr)
        return S_OK;
    HMODULE library = LoadLibraryA("imagehlp.dll");
    if (library == nullptr)
        return HRESULT_FROM_WIN32(GetLastError());
    if (!ResolveAll(library, g_imageHelp)) {
        FreeLibrary(library);
        return E_UNEXPECTED;
    }
    g_library = library;
    return S_OK;
}

std::unique_ptr<StackWalker> BeginStackWalk(HANDLE thread, const void *callerReturn)
{
    CONTEXT context{};
    context.ContextFlags = CONTEXT_FULL;
    if (thread == nullptr || GetThreadId(thread) == GetCurrentThreadId()) {
        RtlCaptureContext(&context);
        return std::make_unique<ImageHelpStackWalk>(context, nullptr, callerReturn);
    }
    // Another thread is held still while its stack is read.
    if (SuspendThread(thread) == (DWORD)-1)
        return nullptr;
    if (!GetThreadContext(thread, &context)) {
        const DWORD error = GetLastError();
        ResumeThread(thread);
        SetLastError(error);
        return nullptr;
    }
    return std::make_unique<ImageHelpStackWalk>(context, thread, nullptr);
}

} // namespace qor::platform
