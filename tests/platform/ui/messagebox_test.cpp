// messagebox_test.cpp: MessageBoxA on POSIX goes to a settable handler; the default one writes
// "caption: text" on stderr and answers IDOK. POSIX only: under Wine a message box needs a display
// and a user to close it.
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <string>

#if !defined(_WIN32)
namespace {

struct SeenBox {
    HWND owner = nullptr;
    std::string text, caption;
    UINT type = 0;
};

int AnswerYes(HWND owner, const char *text, const char *caption, UINT type, void *context)
{
    auto *seen = static_cast<SeenBox *>(context);
    seen->owner = owner;
    seen->text = text;
    seen->caption = caption;
    seen->type = type;
    return IDYES;
}

} // namespace

TEST(MessageBoxes, HandlerSeesTheCallAndAnswersForTheUser)
{
    SeenBox seen;
    EXPECT_EQ(nullptr, QorSetMessageBoxHandler(AnswerYes, &seen));
    auto owner = reinterpret_cast<HWND>(&seen);
    EXPECT_EQ(IDYES, MessageBoxA(owner, "Continue?", "Question", MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(owner, seen.owner);
    EXPECT_EQ("Continue?", seen.text);
    EXPECT_EQ("Question", seen.caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), seen.type);
    MessageBoxA(nullptr, nullptr, nullptr, MB_OK);
    EXPECT_EQ("", seen.text) << "a null text is an empty box";
    EXPECT_EQ("Error", seen.caption) << "Windows' title for a null caption";
    EXPECT_EQ(AnswerYes, QorSetMessageBoxHandler(nullptr, nullptr));
}

TEST(MessageBoxes, DefaultHandlerWritesToStderrAndAnswersOk)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "Disk full", "QorUtil", MB_OK | MB_ICONERROR));
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "No caption", nullptr, MB_OK));
    EXPECT_EQ("QorUtil: Disk full\nError: No caption\n", testing::internal::GetCapturedStderr());
}
#endif
