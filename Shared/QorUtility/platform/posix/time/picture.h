// picture.h: the en-US locale of the POSIX platform layer and the format-picture language of
// GetDateFormat and GetTimeFormat. Internal to the time area.
#pragma once

#include "QorPlatform.h"

#include <string>

namespace qor::platform {

// The en-US forms (the user-default locale of this layer).
extern const char kShortDatePicture[]; // "M/d/yyyy"
extern const char kLongDatePicture[];  // "dddd, MMMM d, yyyy"
extern const char kYearMonthPicture[]; // "MMMM yyyy"
extern const char kTimePicture[];      // "h:mm:ss tt"

// True for the locale identifiers that name en-US here: the user and system defaults, en-US itself
// and the neutral locale.
bool IsEnglishUsLocale(LCID locale);

// The date picture's d, M, y and g runs filled in from `date`; the weekday comes from the date itself.
std::string RenderDatePicture(const char *picture, const SYSTEMTIME &date);
// The time picture's h, H, m, s and t runs filled in, less the parts the TIME_* flags leave out.
std::string RenderTimePicture(const char *picture, const SYSTEMTIME &time, DWORD flags);

} // namespace qor::platform
