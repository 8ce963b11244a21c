// QorFamilyKeys.cpp: the fixture of tests that write the family's registry keys.
#include "QorFamilyKeys.h"

#include "QorRegistry.h"

namespace qor::test {

void FamilyKeysTest::SetUp()
{
    for (const char *key : m_keys) {
        CQorRegistry probe;
        if (probe.Open(key, KEY_READ) >= 0)
            GTEST_SKIP() << key << " exists already: this registry belongs to an installed product";
    }
    m_ownsKeys = true;
}

void FamilyKeysTest::TearDown()
{
    for (const char *key : m_ownsKeys ? m_keys : std::vector<const char *>()) {
        CQorRegistry cleaner;
        cleaner.RecurseDeleteKey(key);
    }
}

void FamilyKeysTest::SetKeyValue(const char *key, const char *name, const char *text)
{
    CQorRegistry registry;
    ASSERT_EQ(registry.Create(key), 0) << key;
    if (name != nullptr) {
        ASSERT_GE(registry.SetValue(name, text), 0) << key << " " << name;
    }
}

} // namespace qor::test
