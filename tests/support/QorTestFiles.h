// QorTestFiles.h: whole-file reads and writes in the private folder of a test program run.
#pragma once

#include "QorTestEnvironment.h"

#include <string>

namespace qor::test {

// The path of `name` inside the run's private folder.
std::string PathOf(const std::string &name);

// The file's bytes; empty when it cannot be read.
std::string ReadBytes(const std::string &path);

// Replaces the file with exactly `bytes`.
void WriteBytes(const std::string &path, const std::string &bytes);

// The four bytes of `value`, least significant first, as files of both builds hold them.
inline std::string Le32(unsigned value) { return {(char)value, (char)(value >> 8), (char)(value >> 16), (char)(value >> 24)}; }

} // namespace qor::test
