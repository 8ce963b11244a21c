// QorStackDump.cpp: the text of a stack dump: symbol path, module list, one line (or, verbose, a block)
// per frame. The platform's symbol engine (QorStackEngine.h) supplies the frames, symbols, lines and
// modules; everything written here is the same on every platform.
#include "QorStackDump.h"

#include "QorError.h"
#include "QorStackEngine.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

using qor::platform::StackWalker;

namespace {

// Appends printf-formatted text.
void Appendf(std::string &text, const char *format, ...)
{
    char line[2048];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length > 0)
        text.append(line, (size_t)length < sizeof line ? (size_t)length : sizeof line - 1);
}

// The folder of the process's executable, cut at its last "\", "/" or ":" (a ":" stays on the folder);
// empty when no separator stands after the first character.
std::string ExecutableFolder()
{
    char path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return std::string();
    for (DWORD i = length; i-- > 1;) {
        if (path[i] == ':')
            return std::string(path, i + 1);
        if (path[i] == '\\' || path[i] == '/')
            return std::string(path, i);
    }
    return std::string();
}

// Current folder; executable's folder; _NT_SYMBOL_PATH, _NT_ALTERNATE_SYMBOL_PATH, SYSTEMROOT: each part
// that is available, separated by ";".
std::string SymbolSearchPath()
{
    std::string path;
    std::error_code error;
    const std::string current = std::filesystem::current_path(error).string();
    if (!error && !current.empty())
        path += current + ";";
    const std::string folder = ExecutableFolder();
    if (!folder.empty())
        path += folder + ";";
    for (const char *name : {"_NT_SYMBOL_PATH", "_NT_ALTERNATE_SYMBOL_PATH", "SYSTEMROOT"})
        if (const char *value = std::getenv(name))
            path += std::string(value).substr(0, 65535) + ";";
    if (!path.empty())
        path.pop_back();
    return path.substr(0, 65535);
}

const char *SymbolTypeName(long type, char (&buffer)[80])
{
    static const char *const names[] = {"-nosymbols-", "COFF", "CV", "PDB", "-exported-", "-deferred-", "SYM"};
    if (type >= 0 && type < (long)(sizeof names / sizeof names[0]))
        return names[type];
    std::snprintf(buffer, sizeof buffer, "symtype=%ld", type);
    return buffer;
}

// The module list (verbose), then each module's symbols loaded in turn.
void LoadModuleSymbols(StackWalker &walk, std::string &text, bool verbose)
{
    const std::vector<qor::platform::StackModule> modules = walk.Modules(text, verbose);
    for (const qor::platform::StackModule &module : modules)
        if (verbose)
            Appendf(text, "%08llXh %6lu %-15.15s %s\n", (unsigned long long)module.base, (unsigned long)module.size,
                    module.moduleName.c_str(), module.imagePath.c_str());
    for (const qor::platform::StackModule &module : modules) {
        const bool loaded = walk.LoadSymbols(module);
        if (!verbose)
            continue;
        if (loaded)
            Appendf(text, "Symbols loaded: \"%s\"\n", module.moduleName.c_str());
        else
            Appendf(text, "Error %lu loading symbols for \"%s\"\n", (unsigned long)GetLastError(), module.moduleName.c_str());
    }
}

void AppendSymbol(StackWalker &walk, uint64_t pc, std::string &text, bool verbose)
{
    qor::platform::StackSymbol symbol;
    if (walk.Symbol(pc, symbol)) {
        text += symbol.shortName;
        if (symbol.displacement != 0)
            Appendf(text, " %+lld bytes", (long long)symbol.displacement);
        if (verbose)
            Appendf(text, "\n    Sig:  %s\n    Decl: %s\n", symbol.rawName.c_str(), symbol.fullName.c_str());
    } else if (GetLastError() != ERROR_INVALID_ADDRESS) {
        Appendf(text, " *** Unknown Proc *** (Error = %lu)\n", (unsigned long)GetLastError());
    }
}

void AppendSourceLine(StackWalker &walk, uint64_t pc, std::string &text, bool verbose)
{
    qor::platform::StackSourceLine line;
    if (walk.SourceLine(pc, line)) {
        Appendf(text, verbose ? "    Line: %s(%lu) %+lld bytes\n" : " [%s(%lu) %+lld bytes]", line.file.c_str(), line.line,
                (long long)line.displacement);
    } else if (GetLastError() != ERROR_INVALID_ADDRESS && verbose) {
        Appendf(text, " *** Unknown Line *** (Error = %lu)\n", (unsigned long)GetLastError());
    }
}

void AppendModule(StackWalker &walk, uint64_t pc, std::string &text, bool verbose)
{
    qor::platform::StackModuleInfo module;
    if (!walk.Module(pc, module)) {
        if (verbose)
            Appendf(text, " *** Unknown Module *** (Error = %lu)\n", (unsigned long)GetLastError());
        else
            text += " - *** Unknown Module ***";
        return;
    }
    if (verbose) {
        char typeBuffer[80];
        Appendf(text, "    Mod:  %s[%s], base: %08llxh\n", module.moduleName.c_str(), module.imageName.c_str(),
                (unsigned long long)module.base);
        Appendf(text, "    Sym:  type: %s, file: %s\n", SymbolTypeName(module.symbolType, typeBuffer),
                module.loadedImageName.c_str());
    } else {
        Appendf(text, " - %s[%s], base: %08llxh", module.moduleName.c_str(), module.imageName.c_str(),
                (unsigned long long)module.base);
    }
}

// Every frame after the first (the dump's own), numbered from 1, until a return address of 0 or a
// failed step.
void WalkFrames(StackWalker &walk, std::string &text, bool verbose)
{
    text += verbose ? "\n--# FV EIP----- RetAddr- FramePtr StackPtr Symbol\n" : "\n   ---Symbol---\n";
    qor::platform::StackFrame frame;
    for (int number = 0; walk.NextFrame(frame); ++number) {
        if (number == 0)
            continue;
        if (verbose)
            Appendf(text, "\n%3d %c%c %08llx %08llx %08llx %08llx ", number, frame.isFar ? 'F' : '.',
                    frame.isVirtual ? 'V' : '.', (unsigned long long)frame.pc,
                    (unsigned long long)frame.returnAddress, (unsigned long long)frame.framePointer,
                    (unsigned long long)frame.stackPointer);
        else
            text += "\n   ";
        if (frame.pc == 0) {
            text += "(-nosymbols- PC == 0)\n";
        } else {
            AppendSymbol(walk, frame.pc, text, verbose);
            AppendSourceLine(walk, frame.pc, text, verbose);
            AppendModule(walk, frame.pc, text, verbose);
        }
        if (frame.returnAddress == 0) {
            SetLastError(0);
            break;
        }
    }
    if (GetLastError() != 0 && verbose)
        Appendf(text, "\nStackWalk(): gle = %lu\n", (unsigned long)GetLastError());
}

} // namespace

__attribute__((noinline)) HRESULT QorDumpStack(CQorString &output, HANDLE thread, bool verbose)
{
    const void *callerReturn = __builtin_extract_return_addr(__builtin_return_address(0));
    const HRESULT loaded = qor::platform::LoadStackEngine();
    if (FAILED(loaded))
        return loaded;
    std::unique_ptr<StackWalker> walk = qor::platform::BeginStackWalk(thread, callerReturn);
    if (!walk)
        return QorHResultFromLastError();

    output.Empty();
    std::string text;
    text.reserve(8192);
    const std::string searchPath = SymbolSearchPath();
    if (verbose)
        Appendf(text, "symbols path: %s\n", searchPath.c_str());
    if (!walk->Initialize(searchPath))
        return QorHResultFromLastError();
    LoadModuleSymbols(*walk, text, verbose);
    WalkFrames(*walk, text, verbose);
    output = text.c_str();
    return S_OK;
}
