// QorLibraryStatics.cpp: the one place that defines the library's static objects. Definitions in one
// file are built in the order they appear, which is the library's load order: the location record,
// the error log's region, the archive engine's object. Each registers its tear-down on the exit list
// as it is built, so unload tears them down in reverse, after anything registered later (the error
// log's closing goes on the list at its first opening, so the log closes before its region goes).
#include "QorLibraryStatics.h"

#include "QorDBInfo.h"

#include "QorExitList.h"

#include <new>

// The location record comes first. Being exported, it is the object itself rather than a
// LoadedObject; it is built before the exit-list runner below, so the runtime destroys it after the
// runner has run the whole exit list: it goes last, as the first object built should.
CQorDBInfoData g_dbInfo;

namespace qor {

namespace {

CQorExitList s_libraryExitList; // constant-initialised: ready before any static constructor runs

// Runs the exit list at unload. Built before the objects below, it is torn down after them.
struct ExitListRunner {
    ExitListRunner() = default;
    ExitListRunner(const ExitListRunner &) = delete;
    ExitListRunner &operator=(const ExitListRunner &) = delete;
    ~ExitListRunner() { s_libraryExitList.RunAll(); }
} s_exitListRunner;

// A static object that the runtime builds at load but never destroys: its destruction is an entry
// of the exit list, so that it takes its place in the library's own unload order.
template <class T> class LoadedObject {
public:
    LoadedObject()
    {
        T *object = new (m_storage) T();
        s_libraryExitList.Add(&Destroy, object);
    }
    T &Get() { return *std::launder(reinterpret_cast<T *>(m_storage)); }

private:
    static void Destroy(void *object) { static_cast<T *>(object)->~T(); }
    alignas(T) unsigned char m_storage[sizeof(T)];
};

// Load order: each object below is built after the one above it.
LoadedObject<CQorCriticalRegion> s_errorLogRegion;

} // namespace

CQorExitList &LibraryExitList() { return s_libraryExitList; }

CQorCriticalRegion &ErrorLogRegion() { return s_errorLogRegion.Get(); }

} // namespace qor
