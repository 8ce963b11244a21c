// stack_command.cpp: `qor stack`: the tool's own call stack as QorDumpStack writes it, to see what the
// symbol engine of this machine makes of a program (names, source lines, modules).
#include "QorToolCommand.h"

#include "QorError.h"
#include "QorStackDump.h"

#include <cstdio>
#include <iostream>

namespace qor::tool {

void AddStackCommand(CLI::App &app)
{
    CLI::App *stack = app.add_subcommand("stack", "Dump qor's own call stack with symbols, source lines and modules");
    auto verbose = std::make_shared<bool>(false);
    stack->add_flag("-v,--verbose", *verbose, "Add the symbol path, the module list and a block per frame");
    stack->footer("Exit status 1 when the symbol engine is missing (libdw on POSIX, imagehlp.dll on Windows).\n"
                  "Examples:\n  qor stack\n  qor stack --verbose");
    stack->callback([verbose] {
        CQorString text;
        const HRESULT result = QorDumpStack(text, nullptr, *verbose);
        if (FAILED(result)) {
            CQorError error(result);
            char code[16];
            std::snprintf(code, sizeof code, "0x%08lX", (unsigned long)(DWORD)result);
            throw CommandError(std::string("cannot dump the stack: ") + code + " " + (const char *)error);
        }
        std::cout << text.GetString() << "\n";
    });
}

} // namespace qor::tool
