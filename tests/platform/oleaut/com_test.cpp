// com_test.cpp: the braced text form of GUIDs (StringFromCLSID, CLSIDFromString) and the task
// allocator, checked against the same calls under Wine.
#include "QorWinTypes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::u16string Wide(const char *text)
{
    std::u16string wide;
    for (const char *at = text; *at; ++at)
        wide += (char16_t)(unsigned char)*at;
    return wide;
}

std::string Narrow(const OLECHAR *text)
{
    std::string narrow;
    for (const OLECHAR *at = text; *at; ++at)
        narrow += (char)*at;
    return narrow;
}

const GUID kGuid = {0x0123ABCD, 0x4567, 0x89EF, {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}};

TEST(Com, StringFromCLSIDWritesUpperCaseBracedText)
{
    LPOLESTR text = nullptr;
    ASSERT_EQ(StringFromCLSID(kGuid, &text), S_OK);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Narrow(text), "{0123ABCD-4567-89EF-FEDC-BA9876543210}");
    CoTaskMemFree(text);

    const GUID zero = {};
    ASSERT_EQ(StringFromCLSID(zero, &text), S_OK);
    EXPECT_EQ(Narrow(text), "{00000000-0000-0000-0000-000000000000}");
    CoTaskMemFree(text);
}

TEST(Com, CLSIDFromStringParsesOnlyTheBracedForm)
{
    GUID guid = {};
    std::u16string text = Wide("{0123abcd-4567-89Ef-FEDC-ba9876543210}");
    EXPECT_EQ(CLSIDFromString((LPCOLESTR)text.c_str(), &guid), S_OK) << "either case";
    EXPECT_EQ(std::memcmp(&guid, &kGuid, sizeof guid), 0);

    const struct {
        int line;
        const char *text;
    } bad[] = {
        {__LINE__, "{0123ABCD-4567-89EF-FEDC-BA987654321}"},   // one digit short
        {__LINE__, "{0123ABCD-4567-89EF-FEDC-BA98765432100}"}, // one digit long
        {__LINE__, "{0123ABCD-4567-89EF-FEDC-BA987654321G}"},  // not a digit
        {__LINE__, "{0123ABCD+4567-89EF-FEDC-BA9876543210}"},  // a dash missing
        {__LINE__, "{0123ABCD-4567-89EF-FEDC-BA9876543210"},   // no closing brace
        {__LINE__, "{0123ABCD-4567-89EF-FEDC-BA9876543210}x"}, // text after it
        {__LINE__, "{}"},
    };
    for (const auto &row : bad) {
        guid = kGuid;
        std::u16string wide = Wide(row.text);
        EXPECT_EQ(CLSIDFromString((LPCOLESTR)wide.c_str(), &guid), CO_E_CLASSSTRING) << "line " << row.line;
    }
}

TEST(Com, TaskAllocatorHandsOutWritableMemory)
{
    auto *block = static_cast<unsigned char *>(CoTaskMemAlloc(64));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xAB, 64);
    CoTaskMemFree(block);
    CoTaskMemFree(nullptr); // documented as allowed
}

} // namespace
