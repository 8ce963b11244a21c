// ALConfinedName.h: the check that keeps extracted member names inside the target folder.
#pragma once

// True when writing `name` relative to the current folder stays inside it: not empty, not absolute (no leading
// separator, no UNC name), no drive letter, no ".." component (nor one that Windows reads as "..",
// such as ".. " or "..."). Both separators count on every build.
bool ALStaysInsideFolder(const char *name);
