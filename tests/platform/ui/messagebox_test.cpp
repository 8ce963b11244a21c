// messagebox_test.cpp: MessageBoxA on POSIX goes to a settable handler; the default one writes
// "caption: text" on stderr and answers IDOK. Under Wine a message box needs a display and a user to
// close it, and the handler API does not exist on Windows, so the file does not compile there.
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <string>

#if !defined(_WIN32)
namespace {

int AnswerYes(HWND owner, const char *text, const char *caption, UINT type, void *context)
{
    *static_cast<std::string *>(context) = std::to_string(owner != nullptr) + "|" + text + "|" + caption + "|" +
                                           std::to_string(type);
    return IDYES;
}

} // namespace

TEST(MessageBoxes, HandlerAnswersForTheUserAndTheDefaultWritesToStderr)
{
    std::string seen;
    EXPECT_EQ(nullptr, QorSetMessageBoxHandler(AnswerYes, &seen));
    EXPECT_EQ(IDYES, MessageBoxA(reinterpret_cast<HWND>(&seen), "Continue?", "Question", MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ("1|Continue?|Question|" + std::to_string(MB_YESNO | MB_ICONQUESTION), seen);
    MessageBoxA(nullptr, nullptr, nullptr, MB_OK);
    EXPECT_EQ("0||Error|0", seen) << "a null text is an empty box; Windows' title for a null caption";
    EXPECT_EQ(AnswerYes, QorSetMessageBoxHandler(nullptr, nullptr));

    testing::internal::CaptureStderr();
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "Disk full", "QorUtil", MB_OK | MB_ICONERROR));
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "No caption", nullptr, MB_OK));
    EXPECT_EQ("QorUtil: Disk full\nError: No caption\n", testing::internal::GetCapturedStderr());
}
#endif
