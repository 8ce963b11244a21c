// QorKnownDifference.cpp: which implementation runs the test, and the check of a marked difference.
#include "QorKnownDifference.h"

#include "QorWinTypes.h"

#include <cstdio>

namespace qor::test {

Implementation CurrentImplementation()
{
#if defined(_WIN32) // the one question only a Windows build can ask: is ntdll Wine's?
    static const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    return wine ? Implementation::Wine : Implementation::Windows;
#else
    return Implementation::PosixLayer;
#endif
}

void ExpectMarked(Implementation on, bool holds, const char *check, const char *reason, const char *file, int line)
{
    if (CurrentImplementation() != on) {
        if (!holds)
            ADD_FAILURE_AT(file, line) << "Expected to hold: " << check;
        return;
    }
    if (holds) {
        ADD_FAILURE_AT(file, line) << "Marked as " << reason << ", but now holds: " << check
                                   << " (remove the marker)";
        return;
    }
    std::printf("[ KNOWN    ] %s:%d: %s: %s\n", file, line, reason, check);
    testing::Test::RecordProperty("known_difference", reason);
}

} // namespace qor::test
