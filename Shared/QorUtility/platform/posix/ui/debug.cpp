// debug.cpp: OutputDebugStringA and DebugBreak. Debugger output goes to a settable sink (the default
// writes to stderr when QOR_DEBUG_OUTPUT is set and drops the text otherwise); DebugBreak raises
// SIGTRAP, which stops the process in a debugger as the breakpoint exception does on Windows.
#include "QorPlatform.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

struct DebugOutput {
    std::mutex mutex;
    QOR_DEBUG_OUTPUT_SINK sink = nullptr;
    void *context = nullptr;
};

DebugOutput &Output()
{
    static DebugOutput output;
    return output;
}

void DefaultSink(const char *text)
{
    if (std::getenv("QOR_DEBUG_OUTPUT") != nullptr)
        std::fputs(text, stderr);
}

} // namespace

QOR_DEBUG_OUTPUT_SINK QorSetDebugOutputSink(QOR_DEBUG_OUTPUT_SINK sink, void *context)
{
    DebugOutput &output = Output();
    std::lock_guard<std::mutex> lock(output.mutex);
    QOR_DEBUG_OUTPUT_SINK previous = output.sink;
    output.sink = sink;
    output.context = sink != nullptr ? context : nullptr;
    return previous;
}

void WINAPI OutputDebugStringA(LPCSTR lpOutputString)
{
    if (lpOutputString == nullptr)
        return;
    DebugOutput &output = Output();
    QOR_DEBUG_OUTPUT_SINK sink;
    void *context;
    {
        // The sink runs outside the lock, so that it may itself write debugger output.
        std::lock_guard<std::mutex> lock(output.mutex);
        sink = output.sink;
        context = output.context;
    }
    if (sink != nullptr)
        sink(lpOutputString, context);
    else
        DefaultSink(lpOutputString);
}

void WINAPI DebugBreak(void) { std::raise(SIGTRAP); }
