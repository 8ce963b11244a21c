// ALConfinedName.h: the check that keeps extracted member names inside the target folder.
#pragma once

// True when writing `name` relative to the current folder stays inside it: not empty, not absolute
// (no leading separator, no UNC name), no drive letter, no ".." component (nor one that Windows reads
// as "..", such as ".. " or "..."), no device name of Windows (CON, NUL, COM1, ...). Both separators
// count on every build, so that an archive extracts the same way on both.
bool ALStaysInsideFolder(const char *name);
