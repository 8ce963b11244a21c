// ALMonitor.cpp: percentages of an object or a job from storage positions, and the callback monitor
// that hands them, the names of entries being worked on and the engine's messages to a function.
#include "ALMonitor.h"
#include "ALEntry.h"
#include "ALStorage.h"
#include "QorPlatform.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

namespace {

constexpr size_t kMessageBuffer = 256;

const char *MessageTemplate(int code)
{
    switch (code) {
    case AL_MESSAGE_DIRECTORY_ENTRY: return "Directory entry: %s";
    case AL_MESSAGE_WILD_CARD_MATCH: return "Wild card match: %s";
    case AL_MESSAGE_SORTING: return "Sorting entries";
    case AL_MESSAGE_DONE_SORTING: return "Done sorting entries";
    case AL_MESSAGE_SORT_PROGRESS: return "Sorting is %s complete";
    default: return "Bad monitor message type!!!";
    }
}

// The inert monitor changes nothing, so sharing it between lists and threads is safe.
class InertMonitor : public ALProgressMonitor {
public:
    void Progress(LONG, ALStorage &) override {}
};

} // namespace

ALProgressMonitor::ALProgressMonitor(int kindAndFlags)
    : m_lJobSize(0), m_lJobSoFar(0), m_lObjectSize(-1), m_lObjectStart(0), m_lObjectSoFar(0), m_iPercent(0),
      m_lFlags((kindAndFlags & 0xFF00) ? 1 : 0), m_iKind(kindAndFlags & 0xFF)
{
}

LONG ALProgressMonitor::Percent(LONG done, LONG size)
{
    if (size == 0)
        return -1;
    // Past a million the exact form would overflow 32 bits; a hundredth of the size is then exact enough.
    if (size < 1000000)
        return static_cast<LONG>(static_cast<int64_t>(done) * 100 / size);
    return done / (size / 100);
}

void ALProgressMonitor::Progress(LONG position, ALStorage &storage)
{
    m_lObjectSoFar = position - m_lObjectStart;
    if (m_lObjectSize == -1)
        m_lObjectSize = storage.GetSize();
    if (m_iKind == AL_MONITOR_JOB)
        m_iPercent = Percent(m_lObjectSoFar + m_lJobSoFar, m_lJobSize);
    else
        m_iPercent = Percent(m_lObjectSoFar, m_lObjectSize);
}

void ALProgressMonitor::ArchiveOperation(int, ALArchiveBase *, ALEntry *) {}

void ALProgressMonitor::Message(int, const char *, ...) {}

ALCallbackMonitor::ALCallbackMonitor(ALCallbackFunction callback, bool messages)
    : ALProgressMonitor(AL_MONITOR_JOB | (messages ? 0x100 : 0)), m_pCallback(callback)
{
}

void ALCallbackMonitor::Progress(LONG position, ALStorage &storage)
{
    ALProgressMonitor::Progress(position, storage);
    LONG objectPercent = Percent(position - m_lObjectStart, m_lObjectSize);
    if (m_pCallback != nullptr)
        m_pCallback(nullptr, objectPercent, m_iPercent);
}

void ALCallbackMonitor::ArchiveOperation(int operation, ALArchiveBase *, ALEntry *entry)
{
    bool namesEntry = operation == AL_OPERATION_COMPRESS_OBJECT || operation == AL_OPERATION_EXTRACT_OBJECT ||
                      operation == AL_OPERATION_COPY_OBJECT;
    if (namesEntry && m_pCallback != nullptr && entry != nullptr && entry->GetStorage() != nullptr)
        m_pCallback(entry->GetStorage()->mName.GetName(), -1, -1);
}

void ALCallbackMonitor::Message(int code, const char *format, ...)
{
    if (!WantsMessages() || m_pCallback == nullptr)
        return;
    char argument[kMessageBuffer] = "";
    if (format != nullptr) {
        va_list args;
        va_start(args, format);
        _vsnprintf(argument, sizeof argument - 1, format, args);
        va_end(args);
        argument[sizeof argument - 1] = '\0';
    }
    char text[kMessageBuffer + 64];
    std::snprintf(text, sizeof text, MessageTemplate(code), argument);
    m_pCallback(text, -1, -1);
}

ALProgressMonitor &ALInertMonitor()
{
    static InertMonitor monitor;
    return monitor;
}
