// message_test.cpp: FormatMessageA for system messages (buffers, inserts, line breaks, failures) and
// the local heap that its allocated buffers come from. Wine's message texts are its own, so exact texts
// are checked on POSIX only; both builds check what the texts share.
#include "QorKnownDifference.h"
#include "QorPlatform.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kFromSystem = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM;

// The system's text for `id`, or "" when FormatMessageA fails.
std::string SystemText(DWORD id, DWORD extraFlags = 0, DWORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT))
{
    char *text = nullptr;
    DWORD length = FormatMessageA(kFromSystem | extraFlags, nullptr, id, language, reinterpret_cast<LPSTR>(&text), 0,
                                  nullptr);
    std::string result = length > 0 ? std::string(text, length) : std::string();
    LocalFree(text);
    return result;
}

// FormatMessageA with its inserts given as a va_list.
std::string FormatWithArguments(DWORD id, ...)
{
    char buffer[512];
    va_list arguments;
    va_start(arguments, id);
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, id, 0, buffer, sizeof buffer, &arguments);
    va_end(arguments);
    return std::string(buffer, length);
}

} // namespace

TEST(SystemMessages, OneLineWithItsBreakAndTheCallersBuffer)
{
    for (DWORD id : {0u, 2u, 5u, 87u, 122u, 32u, 0x80004005u /* E_FAIL */}) {
        std::string text = SystemText(id);
        ASSERT_GT(text.size(), 2u) << "message " << id;
        EXPECT_TRUE(text.find_first_of("\r\n") == text.size() - 2 && text.substr(text.size() - 2) == "\r\n") << id;
    }
    EXPECT_EQ(SystemText(ERROR_FILE_NOT_FOUND), SystemText(0x80070002)) << "HRESULT_FROM_WIN32 finds its error's text";

    const std::string text = SystemText(ERROR_ACCESS_DENIED);
    char buffer[256];
    EXPECT_EQ(text.size(), FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, buffer, text.size() + 1, nullptr));
    EXPECT_EQ(text, buffer);
    EXPECT_TRUE(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, buffer, text.size(), nullptr) == 0u &&
                GetLastError() == ERROR_INSUFFICIENT_BUFFER) << "no room for the terminator";
    char *allocated = buffer;
    EXPECT_TRUE(FormatMessageA(kFromSystem, nullptr, 0x1234567, 0, reinterpret_cast<LPSTR>(&allocated), 0, nullptr) == 0u &&
                GetLastError() == ERROR_MR_MID_NOT_FOUND && allocated == nullptr);
}

TEST(SystemMessages, InsertsAndLineBreakHandling)
{
    // ERROR_MR_MID_NOT_FOUND's text has two inserts: the message number (after "0x") and the file.
    std::string raw = SystemText(ERROR_MR_MID_NOT_FOUND, FORMAT_MESSAGE_IGNORE_INSERTS);
    EXPECT_TRUE(raw.find("0x%1") != std::string::npos && raw.find("%2") != std::string::npos) << raw;
    const DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>("1234"), reinterpret_cast<DWORD_PTR>("Qor.dll")};
    char buffer[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr,
                                  ERROR_MR_MID_NOT_FOUND, 0, buffer, sizeof buffer,
                                  reinterpret_cast<va_list *>(const_cast<DWORD_PTR *>(inserts)));
    std::string expanded(buffer, length);
    EXPECT_TRUE(expanded.find("0x1234") != std::string::npos && expanded.find("Qor.dll") != std::string::npos &&
                expanded.find('%') == std::string::npos) << expanded;
    EXPECT_EQ(expanded, FormatWithArguments(ERROR_MR_MID_NOT_FOUND, "1234", "Qor.dll"));
    EXPECT_TRUE(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_MR_MID_NOT_FOUND, 0, buffer, sizeof buffer, nullptr) == 0u &&
                GetLastError() == ERROR_INVALID_PARAMETER) << "inserts without arguments";

    std::string joined = SystemText(ERROR_FILE_NOT_FOUND, FORMAT_MESSAGE_MAX_WIDTH_MASK);
    EXPECT_TRUE(joined.find_first_of("\r\n") == std::string::npos && joined.back() == ' ') << "the width mask makes the break a space";
}

TEST(SystemMessages, PosixEnglishTextsLanguagesAndSources)
{
    QOR_POSIX_ONLY("Wine has texts of its own, answers every language in English and formats caller strings");
    const std::pair<DWORD, const char *> texts[] = {
        {0, "The operation completed successfully.\r\n"},
        {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command.\r\n"},
        {0x80070005, "Access is denied.\r\n"}, // through its Win32 error
        {0x80004001, "Not implemented\r\n"},   // COM texts carry no full stop
        {0xC0070002, ""},                      // only the HRESULT_FROM_WIN32 form maps to its error
    };
    for (const auto &[id, text] : texts)
        EXPECT_EQ(text, SystemText(id)) << id;
    EXPECT_FALSE(SystemText(2, 0, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)).empty());
    EXPECT_FALSE(SystemText(2, FORMAT_MESSAGE_FROM_HMODULE).empty()) << "a module has no table: the system's answers";
    const struct { DWORD flags, language, error; } refused[] = {
        {kFromSystem, 0x0407 /* German */, ERROR_RESOURCE_LANG_NOT_FOUND},
        {FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING, 0, ERROR_CALL_NOT_IMPLEMENTED},
        {kFromSystem | FORMAT_MESSAGE_FROM_STRING, 0, ERROR_INVALID_PARAMETER},
        {FORMAT_MESSAGE_ALLOCATE_BUFFER, 0, ERROR_INVALID_PARAMETER}, // no source at all
        {kFromSystem | 80, 0, ERROR_CALL_NOT_IMPLEMENTED},           // wrapping at a width
    };
    for (const auto &row : refused) {
        char *text = nullptr;
        EXPECT_TRUE(FormatMessageA(row.flags, "source", 2, row.language, reinterpret_cast<LPSTR>(&text), 0, nullptr) == 0u &&
                    GetLastError() == row.error && text == nullptr) << row.flags;
    }
    EXPECT_TRUE(LocalAlloc(0x0002 /* LMEM_MOVEABLE */, 16) == nullptr && GetLastError() == ERROR_INVALID_PARAMETER)
        << "only fixed memory exists on POSIX";
}

#if !defined(_WIN32) // QorInjectFault is a hook of the POSIX layer: it does not compile for Windows
TEST(SystemMessages, PosixAllocationFault)
{
    QorInjectFault("LocalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
    char *text = reinterpret_cast<char *>(&text);
    EXPECT_TRUE(FormatMessageA(kFromSystem, nullptr, 2, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr) == 0u &&
                GetLastError() == ERROR_NOT_ENOUGH_MEMORY && text == nullptr);
}
#endif

TEST(LocalHeap, ZeroedBlocksAndFree)
{
    auto *block = static_cast<unsigned char *>(LocalAlloc(LPTR, 64));
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(std::string(64, '\0'), std::string(reinterpret_cast<char *>(block), 64));
    EXPECT_TRUE(LocalFree(block) == nullptr && LocalFree(nullptr) == nullptr) << "LocalFree answers NULL on success";
}
