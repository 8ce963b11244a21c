// findpattern.h: the Win32 wildcard rules of a folder search, as a pure function. Internal to the
// POSIX platform layer.
#pragma once

#include "QorPlatform.h"

namespace qor::platform {

// True when `name` matches `pattern` as FindFirstFileA matches: '*' any run of characters, '?' any one
// character, letters without regard to case; "*.*" matches every name and a pattern ending in ".*"
// also matches the name without a dot ("a.*" matches "a").
bool MatchesFindPattern(const char *name, const char *pattern);

} // namespace qor::platform
