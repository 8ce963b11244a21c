// QorExport.h: the one export macro of the library's interface.
// QORUTIL_BUILD is defined while the library itself is compiled; QORUTIL_STATIC by consumers of the
// static library. Nothing else decides what crosses the library boundary.
#pragma once

#if defined(_WIN32)
#  if defined(QORUTIL_STATIC) && !defined(QORUTIL_BUILD)
#    define QORUTIL_API
#  elif defined(QORUTIL_BUILD)
#    define QORUTIL_API __declspec(dllexport)
#  else
#    define QORUTIL_API __declspec(dllimport)
#  endif
#else
#  define QORUTIL_API __attribute__((visibility("default")))
#endif
