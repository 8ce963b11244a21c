// QorTestEnvironment.h: the private world of one test program run: its own temporary folder, with
// TMPDIR, XDG_DATA_HOME, QOR_REGISTRY_DIR and the working directory pointing into it.
#pragma once

// First, so that on Windows every file sees the same name for SetEnvironmentVariable (<windows.h> makes
// it a macro).
#include "QorWinTypes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace qor::test {

class PrivateFolderEnvironment : public testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

    // The folder of this run; valid between SetUp and TearDown.
    static const std::filesystem::path &Folder();

private:
    std::filesystem::path m_previousDirectory;
};

// Sets (or, with a null value, removes) an environment variable for this process and its children.
void SetEnvironmentVariable(const std::string &name, const char *value);

} // namespace qor::test
