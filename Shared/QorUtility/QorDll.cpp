// QorDll.cpp: the process-wide handles that the library hands out, and the debugger-output trace.
#include "QorDll.h"

#include "QorPlatform.h"
#include "QorString.h"

#include <cstdarg>

// The module that the application's resources come from; set by QorDllInit, or filled with the
// executable on first use. Start-up state: no lock.
static HINSTANCE s_resourceModule = nullptr;

HRESULT QorDllInit(HINSTANCE module)
{
    s_resourceModule = module;
    return 0;
}

HINSTANCE QorGetProcessHandle() { return GetModuleHandleA(nullptr); }

HINSTANCE QorGetCurrentResourceHandle()
{
    if (s_resourceModule == nullptr)
        s_resourceModule = QorGetProcessHandle();
    return s_resourceModule;
}

namespace {

// The string's formatting operation takes an argument list only from within the string family.
class TraceText : public CQorString {
public:
    void FormatList(const char *format, va_list arguments) { FormatV(format, arguments); }
};

} // namespace

void QorTrace(const char *format, ...)
{
    TraceText text;
    va_list arguments;
    va_start(arguments, format);
    text.FormatList(format, arguments);
    va_end(arguments);
    OutputDebugStringA(text.GetString());
}
