// unicode.h: UTF-8 <-> UTF-16 transcoding for the platform layer (code pages, wide printf arguments).
// Internal to platform/posix; the Win32 entry points that use it live in text/codepage.cpp and common/format.cpp.
#pragma once

#include "QorPlatform.h"

#include <string>

namespace qor::platform {

// Decodes `length` bytes of UTF-8. Ill-formed input becomes U+FFFD, one for each maximal ill-formed
// part (the Unicode standard's recommended practice); with `strict` it makes the call fail instead.
bool Utf16FromUtf8(const char *text, size_t length, bool strict, std::u16string &out);

// Encodes `length` UTF-16 units as UTF-8. An unpaired surrogate becomes U+FFFD; with `strict` it makes
// the call fail instead.
bool Utf8FromUtf16(const WCHAR *text, size_t length, bool strict, std::string &out);

} // namespace qor::platform
