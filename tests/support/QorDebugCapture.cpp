// QorDebugCapture.cpp: the debugger-output capture of the tests. On Windows a vectored exception
// handler sees OutputDebugStringA's DBG_PRINTEXCEPTION_C first (ExceptionInformation[0] is the length
// with the terminator, [1] the text) and lets the program continue; on POSIX the capture is the sink.
#include "QorDebugCapture.h"

#include "QorWinTypes.h"

#include <mutex>

#if !defined(_WIN32)
#  include "QorPlatformHooks.h"
#endif

namespace qor::test {

namespace {

std::mutex s_mutex;
std::string s_text;

void Append(const char *text, size_t length)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    s_text.append(text, length);
}

#if defined(_WIN32)
constexpr DWORD kDebugPrintException = 0x40010006; // DBG_PRINTEXCEPTION_C
PVOID s_handler = nullptr;

LONG CALLBACK OnException(EXCEPTION_POINTERS *info)
{
    const EXCEPTION_RECORD *record = info->ExceptionRecord;
    if (record->ExceptionCode != kDebugPrintException || record->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    size_t length = static_cast<size_t>(record->ExceptionInformation[0]);
    Append(reinterpret_cast<const char *>(record->ExceptionInformation[1]), length > 0 ? length - 1 : 0);
    return EXCEPTION_CONTINUE_EXECUTION;
}

void Install() { s_handler = AddVectoredExceptionHandler(1, OnException); }
void Uninstall()
{
    RemoveVectoredExceptionHandler(s_handler);
    s_handler = nullptr;
}
#else
void Sink(const char *text, void *) { Append(text, std::char_traits<char>::length(text)); }

void Install() { QorSetDebugOutputSink(Sink, nullptr); }
void Uninstall() { QorSetDebugOutputSink(nullptr, nullptr); }
#endif

} // namespace

DebugCapture::~DebugCapture() { Stop(); }

void DebugCapture::Start()
{
    Stop();
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_text.clear();
    }
    Install();
    m_active = true;
}

void DebugCapture::Stop()
{
    if (!m_active)
        return;
    Uninstall();
    m_active = false;
}

std::string DebugCapture::Text() const
{
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_text;
}

} // namespace qor::test
