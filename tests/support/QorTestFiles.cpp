// QorTestFiles.cpp: whole-file reads and writes for tests.
#include "QorTestFiles.h"

#include <fstream>
#include <iterator>

namespace qor::test {

std::string PathOf(const std::string &name) { return (PrivateFolderEnvironment::Folder() / name).string(); }

std::string ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), (std::streamsize)bytes.size());
}

} // namespace qor::test
