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
        EXPECT_EQ(std::string(text, text + 39), std::string(guid.Data1 ? "{0123ABCD-4567-89EF-FEDC-BA9876543210}"
                                                                        : "{00000000-0000-0000-0000-000000000000}", 39));
        CoTaskMemFree(text); // the task allocator's block
    }
    GUID guid = {};
    EXPECT_TRUE(CLSIDFromString((LPCOLESTR)Wide("{0123abcd-4567-89Ef-FEDC-ba9876543210}").c_str(), &guid) == S_OK && std::memcmp(&guid, &kGuid, sizeof guid) == 0)
        << "either case";
    for (const char *bad : {"{0123ABCD-4567-89EF-FEDC-BA987654321}", "{0123ABCD-4567-89EF-FEDC-BA98765432100}",
                            "{0123ABCD-4567-89EF-FEDC-BA987654321G}", "{0123ABCD+4567-89EF-FEDC-BA9876543210}",
                            "{0123ABCD-4567-89EF-FEDC-BA9876543210", "{0123ABCD-4567-89EF-FEDC-BA9876543210}x", "{}"})
        EXPECT_EQ(CLSIDFromString((LPCOLESTR)Wide(bad).c_str(), &guid), CO_E_CLASSSTRING) << bad;
    CoTaskMemFree(nullptr); // documented as allowed
}

} // namespace
