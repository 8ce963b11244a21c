// com_test.cpp: the braced text form of GUIDs (StringFromCLSID, CLSIDFromString) and the task
// allocator, checked against the same calls under Wine.
#include "QorWinTypes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::u16string Wide(const std::string &text) { return std::u16string(text.begin(), text.end()); }

const GUID kGuid = {0x0123ABCD, 0x4567, 0x89EF, {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}};

TEST(Com, BracedTextBothWays)
{
    for (const GUID &guid : {kGuid, GUID{}}) {
        LPOLESTR text = nullptr;
        ASSERT_EQ(StringFromCLSID(guid, &text), S_OK);
        std::string narrow(text, text + 38);
        EXPECT_EQ(narrow, guid.Data1 ? "{0123ABCD-4567-89EF-FEDC-BA9876543210}" : "{00000000-0000-0000-0000-000000000000}");
        EXPECT_EQ(text[38], 0);
        CoTaskMemFree(text); // the task allocator's block
    }
    GUID guid = {};
    std::u16string text = Wide("{0123abcd-4567-89Ef-FEDC-ba9876543210}");
    EXPECT_EQ(CLSIDFromString((LPCOLESTR)text.c_str(), &guid), S_OK) << "either case";
    EXPECT_EQ(std::memcmp(&guid, &kGuid, sizeof guid), 0);
    for (const char *bad : {"{0123ABCD-4567-89EF-FEDC-BA987654321}", "{0123ABCD-4567-89EF-FEDC-BA98765432100}",
                            "{0123ABCD-4567-89EF-FEDC-BA987654321G}", "{0123ABCD+4567-89EF-FEDC-BA9876543210}",
                            "{0123ABCD-4567-89EF-FEDC-BA9876543210", "{0123ABCD-4567-89EF-FEDC-BA9876543210}x", "{}"}) {
        std::u16string wide = Wide(bad);
        EXPECT_EQ(CLSIDFromString((LPCOLESTR)wide.c_str(), &guid), CO_E_CLASSSTRING) << bad;
    }
    CoTaskMemFree(nullptr); // documented as allowed
}

} // namespace
