// ALMonitor.h: progress monitors of the archive engine. ALProgressMonitor computes percentages of the
// current object or of the whole job from storage positions; ALCallbackMonitor passes percentages,
// operations and messages to a caller's function.
#pragma once

#include "QorExport.h"
#include "QorWinTypes.h"

class ALStorage;
class ALEntry;
class ALArchiveBase;

// Messages of the entry list and the archive.
enum ALMonitorMessage {
    AL_MESSAGE_DIRECTORY_ENTRY = 12,
    AL_MESSAGE_WILD_CARD_MATCH = 13,
    AL_MESSAGE_SORTING = 14,
    AL_MESSAGE_DONE_SORTING = 15,
    AL_MESSAGE_SORT_PROGRESS = 16
};

// Operations an archive reports (ALArchive.h has them all); the callback monitor names the entry for
// the starts of these three.
enum ALMonitorOperation { AL_OPERATION_EXTRACT_OBJECT = 2, AL_OPERATION_COMPRESS_OBJECT = 4, AL_OPERATION_COPY_OBJECT = 6 };

enum ALMonitorKind { AL_MONITOR_OBJECTS = 0, AL_MONITOR_JOB = 1 };

class QORUTIL_API ALProgressMonitor {
public:
    // The low byte is the kind; a nonzero second byte (mask 0xFF00) asks for messages.
    explicit ALProgressMonitor(int kindAndFlags = AL_MONITOR_OBJECTS);
    virtual ~ALProgressMonitor() = default;

    virtual void Progress(LONG position, ALStorage &storage);
    virtual void ArchiveOperation(int operation, ALArchiveBase *archive, ALEntry *entry);
    virtual void Message(int code, const char *format, ...);

    bool WantsMessages() const { return (m_lFlags & 1) != 0; }
    // Percent of `done` against `size`: -1 for size 0; integer arithmetic that cannot overflow.
    static LONG Percent(LONG done, LONG size);

    LONG m_lJobSize;
    LONG m_lJobSoFar;
    LONG m_lObjectSize; // -1: taken from the storage at the next progress
    LONG m_lObjectStart;
    LONG m_lObjectSoFar;
    LONG m_iPercent;
    LONG m_lFlags;
    LONG m_iKind;
};

typedef void (*ALCallbackFunction)(const char *text, int objectPercent, int jobPercent);

class QORUTIL_API ALCallbackMonitor : public ALProgressMonitor {
public:
    explicit ALCallbackMonitor(ALCallbackFunction callback = nullptr, bool messages = false);

    void Progress(LONG position, ALStorage &storage) override;
    void ArchiveOperation(int operation, ALArchiveBase *archive, ALEntry *entry) override;
    void Message(int code, const char *format, ...) override;

private:
    ALCallbackFunction m_pCallback;
};

// The monitor of lists made without one: per object, no messages; it holds no changing state that
// anything reads, so one serves the whole process.
QORUTIL_API ALProgressMonitor &ALInertMonitor();
