// ALEntryList.cpp: the list of an archive's members: iteration over the chain, marks, options, the
// duplicate search (a median-of-three quicksort by name within one list) and the entries that a
// wildcard specification adds.
#include "ALEntry.h"
#include "ALStorage.h"
#include "ALWildCard.h"

#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace {

int CompareEntryNames(const ALEntry *a, const ALEntry *b)
{
    return a->GetStorage()->mName.CompareNames(b->GetStorage()->mName.GetName());
}

// A caller's duplicate message is a format for the entry's index; any other conversion in it would
// read an argument that is not there, so such a message is kept as plain text.
bool TakesOnlyAnInteger(const char *format)
{
    int conversions = 0;
    for (const char *p = std::strchr(format, '%'); p != nullptr; p = std::strchr(p, '%')) {
        ++p;
        if (*p == '%') {
            ++p;
            continue;
        }
        p += std::strspn(p, "-+ #0123456789");
        if (*p == '\0' || std::strchr("diouxX", *p) == nullptr || ++conversions > 1)
            return false;
    }
    return true;
}

class EntrySorter {
public:
    EntrySorter(std::vector<ALEntry *> &entries, ALProgressMonitor &monitor) : m_entries(entries), m_monitor(monitor)
    {
    }

    // Sorts [low, high]; recursion goes into the smaller part only, so its depth stays logarithmic.
    void Sort(long low, long high)
    {
        while (high - low >= 1) {
            if (high - low == 1) {
                if (CompareEntryNames(m_entries[low], m_entries[high]) > 0)
                    std::swap(m_entries[low], m_entries[high]);
                return;
            }
            long pivot = Partition(low, high);
            if (pivot - low < high - pivot) {
                Sort(low, pivot - 1);
                low = pivot + 1;
            } else {
                Sort(pivot + 1, high);
                high = pivot - 1;
            }
        }
    }

private:
    long Partition(long low, long high)
    {
        long middle = (low + high) / 2;
        if (middle == low + 1)
            m_monitor.Message(AL_MESSAGE_SORT_PROGRESS, "%d", static_cast<int>(low * 100 / Count()));
        OrderMedianFirst(low, middle, high);
        ALEntry *pivot = m_entries[low];
        long i = low, j = high + 1;
        for (;;) {
            while (++i <= high && CompareEntryNames(m_entries[i], pivot) < 0) {
            }
            while (CompareEntryNames(m_entries[--j], pivot) > 0) {
            }
            if (i >= j)
                break;
            std::swap(m_entries[i], m_entries[j]);
        }
        std::swap(m_entries[low], m_entries[j]);
        return j;
    }

    // The median of the three moves to `low`, the smallest to `middle`, the largest to `high`.
    void OrderMedianFirst(long low, long middle, long high)
    {
        ALEntry *&a = m_entries[low];
        ALEntry *&b = m_entries[middle];
        ALEntry *&c = m_entries[high];
        if (CompareEntryNames(b, c) > 0)
            std::swap(b, c);
        if (CompareEntryNames(a, b) < 0)
            std::swap(a, b);
        if (CompareEntryNames(a, c) > 0)
            std::swap(a, c);
    }

    long Count() const { return static_cast<long>(m_entries.size()); }

    std::vector<ALEntry *> &m_entries;
    ALProgressMonitor &m_monitor;
};

} // namespace

ALEntryList::ALEntryList(ALProgressMonitor *monitor, const ALPrototypeSet &prototypes)
    : m_pSentinel(new ALEntry), m_pMonitor(monitor ? monitor : &ALInertMonitor()), m_prototypes(prototypes)
{
    m_pSentinel->m_pList = this;
}

ALEntryList::~ALEntryList()
{
    while (ALEntry *entry = GetFirstEntry())
        delete entry;
    delete m_pSentinel;
}

ALEntry *ALEntryList::GetFirstEntry() const { return GetNextEntry(m_pSentinel); }

ALEntry *ALEntryList::GetNextEntry(const ALEntry *entry) const
{
    return entry->m_pNext == m_pSentinel ? nullptr : entry->m_pNext;
}

int ALEntryList::SetMarks(const char *pattern, bool value)
{
    int changed = 0;
    for (ALEntry *entry = GetFirstEntry(); entry != nullptr; entry = GetNextEntry(entry)) {
        if (pattern == nullptr || entry->GetStorage()->mName.WildCardMatch(pattern)) {
            entry->SetMark(value);
            ++changed;
        }
    }
    return changed;
}

void ALEntryList::SetStoreWithoutPath(bool value)
{
    for (ALEntry *entry = GetFirstEntry(); entry != nullptr; entry = GetNextEntry(entry))
        entry->SetOptions(value ? entry->GetOptions() | AL_STORE_WITHOUT_PATH
                                : entry->GetOptions() & ~AL_STORE_WITHOUT_PATH);
}

void ALEntryList::SetExtractWithoutPath(bool value)
{
    for (ALEntry *entry = GetFirstEntry(); entry != nullptr; entry = GetNextEntry(entry))
        entry->SetOptions(value ? entry->GetOptions() | AL_EXTRACT_WITHOUT_PATH
                                : entry->GetOptions() & ~AL_EXTRACT_WITHOUT_PATH);
}

int ALEntryList::UnmarkDuplicates(ALEntryList &other, const char *message)
{
    if (&other == this)
        return UnmarkDuplicatesWithin(message);
    int unmarked = 0;
    for (ALEntry *entry = GetFirstEntry(); entry != nullptr; entry = GetNextEntry(entry))
        if (entry->IsMarked() && entry->Duplicate(other, message))
            ++unmarked;
    return unmarked;
}

int ALEntryList::UnmarkDuplicatesWithin(const char *message)
{
    m_pMonitor->Message(AL_MESSAGE_SORTING, nullptr);
    std::vector<ALEntry *> marked;
    for (ALEntry *entry = GetFirstEntry(); entry != nullptr; entry = GetNextEntry(entry))
        if (entry->IsMarked())
            marked.push_back(entry);
    EntrySorter(marked, *m_pMonitor).Sort(0, static_cast<long>(marked.size()) - 1);
    bool formatted = message != nullptr && TakesOnlyAnInteger(message);
    int unmarked = 0;
    size_t runStart = 0;
    for (size_t i = 1; i < marked.size(); ++i) {
        if (CompareEntryNames(marked[runStart], marked[i]) != 0) {
            runStart = i;
            continue;
        }
        marked[i]->ClearMark();
        ++unmarked;
        if (message != nullptr && *message != '\0') {
            ALErrorStatus &status = marked[i]->GetStorage()->mStatus;
            if (formatted)
                status.SetError(AL_DUPLICATE_ENTRY, message, static_cast<int>(i));
            else
                status.SetError(AL_DUPLICATE_ENTRY, "%s", message);
        }
    }
    m_pMonitor->Message(AL_MESSAGE_DONE_SORTING, nullptr);
    return unmarked;
}

int ALEntryList::AddWildCardFiles(const char *spec, bool recurse)
{
    ALWildCardExpander expander(spec, ",\t", recurse, AL_CASE_MIXED_IGNORED);
    int found = 0;
    while (const char *name = expander.GetNextFile()) {
        ++found;
        ALStorage *storage = m_prototypes.CreateStorage(name, AL_STORAGE_ANY);
        ALCompressor *compressor = m_prototypes.CreateCompressor(AL_ENGINE_ANY);
        ALDecompressor *decompressor = m_prototypes.CreateDecompressor(AL_ENGINE_ANY);
        ALDecryptor *decryptor = m_prototypes.CreateDecryptor(AL_ENGINE_ANY);
        // Without a storage there is nothing to hold the file and no place in the chain.
        ALEntry *entry = storage ? new (std::nothrow) ALEntry(*this, storage, compressor, decompressor, decryptor)
                                 : nullptr;
        if (entry == nullptr) {
            delete storage;
            delete compressor;
            delete decompressor;
            delete decryptor;
        }
        m_pMonitor->Message(AL_MESSAGE_WILD_CARD_MATCH, "%s", name);
    }
    return found;
}
