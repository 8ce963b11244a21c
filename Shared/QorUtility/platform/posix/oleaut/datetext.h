// datetext.h: the reader of en-US automation date texts behind VarDateFromStr. Internal to the
// automation area.
#pragma once

#include "QorPlatform.h"

#include <string>

namespace qor::platform {

// What a text names. A date without a year has year 0 (the caller's current year); the date and
// time are checked for range (months 1..12, hours 0..23 ...) but not for the length of the month.
struct DateText {
    bool hasDate = false, hasTime = false;
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

// False for a text that is no date or time.
bool ReadDateText(const std::u16string &text, DateText &result);

} // namespace qor::platform
