// QorDll_test.cpp: the library's process globals: resource and process handles, the debugger trace,
// the family's clipboard formats and the table of hash-table primes.
#include "QorDll.h"

#include "QorDebugCapture.h"
#include "QorHashTable.h"
#include "QorKnownDifference.h"

#include <gtest/gtest.h>

#include <string>

#if !defined(_WIN32)
#  include "QorPlatformHooks.h"
#endif

namespace {

TEST(QorDll, ResourceHandleFallsBackToTheExecutableAndTraceSendsTheText)
{
    HINSTANCE executable = GetModuleHandleA(nullptr);
    ASSERT_NE(executable, nullptr);
    EXPECT_EQ(QorGetCurrentResourceHandle(), executable);
    HINSTANCE other = (HINSTANCE)GetModuleHandleA(qor::test::OnPosixLayer() ? "libqorutil.so" : "QorUtil.dll");
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(QorDllInit(other) == 0 && QorGetCurrentResourceHandle() == other);
    EXPECT_EQ(QorGetProcessHandle(), executable) << "the process handle is never the stored one";
    EXPECT_TRUE(QorDllInit(nullptr) == 0 && QorGetCurrentResourceHandle() == executable);

    qor::test::DebugCapture capture;
    capture.Start();
    QorTrace("%s=%d, %5.2f|%I64d", "answer", 42, 3.14159, (long long)-1234567890123LL);
    capture.Stop();
    EXPECT_EQ(capture.Text(), "answer=42,  3.14|-1234567890123") << "no line end is added";
}

TEST(QorDll, ClipboardFormatsRegisterOnceInOrder)
{
    unsigned short *const family[] = {&QOR_CF_FIRST_STRING_LIST, &QOR_CF_URL,     &QOR_CF_TAB,
                                      &QOR_CF_IE_TAB,            &QOR_CF_MAPI_MSG, &QOR_CF_TAB_EXPORT,
                                      &QOR_CF_LAST_STRING_LIST,  &QOR_CF_ADDREMOVE_DLG};
    const char *const names[] = {"QOR_CF_FIRST_STRING_LIST", "QOR_CF_URL",      "QOR_CF_TAB",
                                 "QOR_CF_IE_TAB",            "QOR_CF_MAPI_MSG", "QOR_CF_TAB_EXPORT",
                                 "QOR_CF_LAST_STRING_LIST",  "QOR_CF_ADDREMOVE_DLG"};
    for (unsigned short *format : family)
        ASSERT_EQ(*format, 0) << "nothing registers the formats before the application asks";
#if !defined(_WIN32) // QorInjectFault is a hook of the POSIX layer: it does not compile for Windows
    // The third registration fails: the first two stay registered, the rest stay 0, the failure comes
    // back in the standard form, and a retry keeps what was registered.
    QorInjectFault("RegisterClipboardFormatA", 3, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ((DWORD)QorRegisterClipboardFormats(), 0x80070008u);
    const unsigned short firstBefore = QOR_CF_FIRST_STRING_LIST;
    EXPECT_TRUE(QOR_CF_TAB == 0 && QOR_CF_MS_FILEGROUPDESCRIPTOR == 0 && firstBefore != 0);
    EXPECT_TRUE(QorRegisterClipboardFormats() == 0 && QOR_CF_FIRST_STRING_LIST == firstBefore);
    // After a full success another call makes no platform call: an armed fault stays armed.
    QorInjectFault("RegisterClipboardFormatA", 1, ERROR_NOT_ENOUGH_MEMORY);
#endif
    EXPECT_EQ(QorRegisterClipboardFormats(), 0);
#if !defined(_WIN32) // as above: the fault armed there
    EXPECT_EQ(RegisterClipboardFormatA("QOR_CF_URL"), 0u) << "the fault is still armed";
    QorClearFaults();
#endif
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
        char name[64] = {};
        EXPECT_TRUE(GetClipboardFormatNameA(*family[i], name, sizeof name) > 0 && std::string(name) == names[i]) << names[i];
    }
    EXPECT_EQ(QOR_CF_MS_FILEGROUPDESCRIPTOR, RegisterClipboardFormatA("FileGroupDescriptor"));
    EXPECT_EQ(QOR_CF_OBJECT_GENERIC + QOR_CF_OBJECT_PERSON + QOR_CF_OBJECT_COMPANY, 0);
}

TEST(QorDll, HashPrimesAscendAndArePrime)
{
    ASSERT_EQ(CQorHashTableBase::PrimeCount, 28);
    EXPECT_TRUE(CQorHashTableBase::m_aulPrimes[0] == 53u && CQorHashTableBase::m_aulPrimes[27] == 4294967291u)
        << "up to the largest 32-bit prime";
    for (int i = 0; i < CQorHashTableBase::PrimeCount; ++i) {
        unsigned long long prime = CQorHashTableBase::m_aulPrimes[i];
        for (unsigned long long divisor = 2; divisor * divisor <= prime; ++divisor)
            ASSERT_NE(prime % divisor, 0u) << "row " << i << " (" << prime << ") divides by " << divisor;
        EXPECT_TRUE(i == 0 || prime > CQorHashTableBase::m_aulPrimes[i - 1]) << "row " << i;
    }
}

} // namespace
