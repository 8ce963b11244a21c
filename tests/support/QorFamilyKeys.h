// QorFamilyKeys.h: the fixture of tests that write the family's registry keys. It declines to run
// where one of its keys exists before the test (a registry that an installed product owns), and
// deletes its keys, with everything below them, at the end of each test.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace qor::test {

class FamilyKeysTest : public testing::Test {
protected:
    // The full paths of the keys this test may write ("HKEY_LOCAL_MACHINE\\Software\\...").
    explicit FamilyKeysTest(std::initializer_list<const char *> keys) : m_keys(keys) {}
    void SetUp() override;
    void TearDown() override;

    // Creates `key` (a full path) and, with a name, sets that value.
    static void SetKeyValue(const char *key, const char *name, const char *text);

private:
    std::vector<const char *> m_keys;
    bool m_ownsKeys = false;
};

} // namespace qor::test
