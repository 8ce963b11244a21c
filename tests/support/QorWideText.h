// QorWideText.h: UTF-16 literals for tests that build on both platforms. WCHAR is wchar_t on Windows
// and char16_t on POSIX, so a literal needs the L or the u prefix accordingly.
#pragma once

#if defined(_WIN32)
#  define QOR_WTEXT(text) L##text
#else
#  define QOR_WTEXT(text) u##text
#endif
