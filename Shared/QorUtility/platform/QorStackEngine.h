// QorStackEngine.h: what the stack dump needs of the platform's symbol engine: the engine loaded once
// per process, then one walk of one thread's stack with symbols, source lines and modules. Windows
// implements it over image help (platform/win32), POSIX over the C++ runtime's unwinder and libdw
// (platform/posix/debug). Every call that fails sets the thread's last error.
#pragma once

#include "QorWinTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qor::platform {

struct StackModule {
    std::string imagePath;
    std::string moduleName;
    uint64_t base = 0;
    uint64_t size = 0;
};

struct StackFrame {
    uint64_t pc = 0;
    uint64_t returnAddress = 0;
    uint64_t framePointer = 0;
    uint64_t stackPointer = 0;
    bool isFar = false;
    bool isVirtual = false;
};

struct StackSymbol {
    std::string rawName;   // as the module's symbol table holds it
    std::string shortName; // undecorated, the name alone
    std::string fullName;  // undecorated, with its parameters
    int64_t displacement = 0;
};

struct StackSourceLine {
    std::string file;
    unsigned long line = 0;
    int64_t displacement = 0;
};

struct StackModuleInfo {
    std::string moduleName;
    std::string imageName;
    std::string loadedImageName;
    uint64_t base = 0;
    long symbolType = 0; // image help's numbering: 0 none, 1 COFF, 2 CV, 3 PDB, 4 exported, 5 deferred, 6 SYM
};

class StackWalker {
public:
    virtual ~StackWalker() = default;
    // Starts the engine for the process with a search path of ";"-separated folders.
    virtual bool Initialize(const std::string &searchPath) = 0;
    // The process's modules; diagnostic lines of the enumeration go to `report` when `verbose`.
    virtual std::vector<StackModule> Modules(std::string &report, bool verbose) = 0;
    virtual bool LoadSymbols(const StackModule &module) = 0;
    // The next frame, outermost last; false at the end (last error 0) or when a step fails.
    virtual bool NextFrame(StackFrame &frame) = 0;
    virtual bool Symbol(uint64_t pc, StackSymbol &symbol) = 0;
    virtual bool SourceLine(uint64_t pc, StackSourceLine &line) = 0;
    virtual bool Module(uint64_t pc, StackModuleInfo &module) = 0;
};

// Loads the engine once per process: S_OK; the last error's result code when its library cannot be
// loaded; E_UNEXPECTED, the library released again, when an entry point is missing.
HRESULT LoadStackEngine();

// A walk of `thread` (null: the calling thread). For the calling thread the walk begins with the
// frame that returns to `callerReturn`, the dump's own frame. Null, with the last error, when the
// thread's context cannot be read.
std::unique_ptr<StackWalker> BeginStackWalk(HANDLE thread, const void *callerReturn);

} // namespace qor::platform
