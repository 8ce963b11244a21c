// QorTestMain.cpp: the main of every test program. Each run owns a fresh temporary folder, and the
// environment that the library reads points into it, so no test touches the user's real files.
#include "QorTestEnvironment.h"
#include "QorTestStrings.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#  include "QorPlatformHooks.h"

// Windows programs carry QorTestStrings.rc as a resource; POSIX programs register the same rows.
static void RegisterTestStrings()
{
    static const QOR_STRING_RESOURCE rows[] = {
        {QOR_TEST_IDS_GREETING, QOR_TEST_IDS_GREETING_TEXT},
        {QOR_TEST_IDS_LONG, QOR_TEST_IDS_LONG_TEXT},
    };
    QorRegisterStringTable(GetModuleHandleA(nullptr), rows, sizeof rows / sizeof rows[0]);
}
#endif

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
#if !defined(_WIN32)
    RegisterTestStrings();
#endif
    testing::AddGlobalTestEnvironment(new qor::test::PrivateFolderEnvironment);
    return RUN_ALL_TESTS();
}
