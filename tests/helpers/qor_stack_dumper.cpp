// qor_stack_dumper: a child that dumps its own stack once, in a process where the symbol engine has
// not been loaded yet. With a platform function's name as its argument (POSIX), that call is made to
// fail first. Exit status: 0 for a dump, 1 for the last-error code of a missing engine library, 2 for
// E_UNEXPECTED (a missing entry point), each with the output string untouched; 3 for anything else.
#include "QorPlatformHooks.h"
#include "QorStackDump.h"

#include <cstring>

int main(int argc, char **argv)
{
#if !defined(_WIN32)
    if (argc == 2)
        QorInjectFault(argv[1], 1, ERROR_MOD_NOT_FOUND);
#else
    (void)argv;
    if (argc != 1)
        return 3;
#endif
    CQorString output("untouched");
    const HRESULT result = QorDumpStack(output, nullptr, false);
    const bool untouched = std::strcmp(output, "untouched") == 0;
    if (result == S_OK)
        return untouched ? 3 : 0;
    if (result == HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND))
        return untouched ? 1 : 3;
    return result == E_UNEXPECTED && untouched ? 2 : 3;
}
