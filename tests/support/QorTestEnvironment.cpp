// QorTestEnvironment.cpp: creates and removes the private folder of a test program run.
#include "QorTestEnvironment.h"

#include <cstdlib>
#include <random>

namespace fs = std::filesystem;

namespace qor::test {

static fs::path s_folder;

void SetEnvironmentVariable(const std::string &name, const char *value)
{
#if defined(_WIN32)
    _putenv_s(name.c_str(), value ? value : "");
#else
    if (value)
        setenv(name.c_str(), value, 1);
    else
        unsetenv(name.c_str());
#endif
}

void PrivateFolderEnvironment::SetUp()
{
    std::random_device random;
    fs::path folder = fs::temp_directory_path() / ("qortest-" + std::to_string(random()));
    fs::create_directories(folder / "tmp");
    fs::create_directories(folder / "data");
    fs::create_directories(folder / "registry");
    s_folder = folder;
    SetEnvironmentVariable("TMPDIR", (folder / "tmp").string().c_str());
    SetEnvironmentVariable("XDG_DATA_HOME", (folder / "data").string().c_str());
    SetEnvironmentVariable("QOR_REGISTRY_DIR", (folder / "registry").string().c_str());
    m_previousDirectory = fs::current_path();
    fs::current_path(folder);
}

void PrivateFolderEnvironment::TearDown()
{
    fs::current_path(m_previousDirectory);
    std::error_code ignored;
    fs::remove_all(s_folder, ignored);
    s_folder.clear();
}

const fs::path &PrivateFolderEnvironment::Folder() { return s_folder; }

} // namespace qor::test
