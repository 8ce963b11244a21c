// QorKnownDifference.h: markers for the known differences between the implementations a test runs on
// (our POSIX layer, Wine, Windows), kept in the open as Wine's conformance tests keep them. A case that
// cannot run somewhere is skipped with its reason; a check known to fail on one implementation is
// expected to fail there and fails the test the day it passes, so no marker outlives its reason.
#pragma once

#include <gtest/gtest.h>

namespace qor::test {

enum class Implementation { PosixLayer, Wine, Windows };

// The POSIX build runs on our layer; a Windows build runs under Wine when ntdll says so, else on Windows.
Implementation CurrentImplementation();
inline bool OnPosixLayer() { return CurrentImplementation() == Implementation::PosixLayer; }
inline bool UnderWine() { return CurrentImplementation() == Implementation::Wine; }

// Where `on` is the current implementation, `holds` must be false (the known difference) and a true
// one fails the test as a stale marker; elsewhere `holds` must be true. Use the macros below.
void ExpectMarked(Implementation on, bool holds, const char *check, const char *reason, const char *file, int line);

} // namespace qor::test

// Skips the rest of the test, with the reason in the report, unless it runs on our POSIX layer: for
// behaviour that only the emulation defines (its files, its registry folder, its fault injection).
#define QOR_POSIX_ONLY(reason)                                                                                       \
    if (!::qor::test::OnPosixLayer())                                                                                \
    GTEST_SKIP() << "POSIX only, because " reason

// Skips the rest of the test on our POSIX layer: for what only a Windows build has.
#define QOR_WINDOWS_ONLY(reason)                                                                                     \
    if (::qor::test::OnPosixLayer())                                                                                 \
    GTEST_SKIP() << "Windows only, because " reason

// A check that Wine answers differently from Windows' documented behaviour (and from our layer).
#define QOR_EXPECT_BROKEN_ON_WINE(check, reason)                                                                     \
    ::qor::test::ExpectMarked(::qor::test::Implementation::Wine, static_cast<bool>(check), #check,                  \
                              "broken on Wine, because " reason, __FILE__, __LINE__)

// A check that our POSIX layer does not meet yet: a gap in the emulation, to be closed.
#define QOR_EXPECT_TODO_POSIX(check, reason)                                                                         \
    ::qor::test::ExpectMarked(::qor::test::Implementation::PosixLayer, static_cast<bool>(check), #check,            \
                              "not yet on the POSIX layer, because " reason, __FILE__, __LINE__)

// A deliberate difference of our POSIX layer from Windows, accepted with its reason.
#define QOR_EXPECT_DIFFERS_ON_POSIX(check, reason)                                                                   \
    ::qor::test::ExpectMarked(::qor::test::Implementation::PosixLayer, static_cast<bool>(check), #check,            \
                              "differs on the POSIX layer by choice, because " reason, __FILE__, __LINE__)
