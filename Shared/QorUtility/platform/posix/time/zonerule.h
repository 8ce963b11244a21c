// zonerule.h: the POSIX time-zone rule text ("CET-1CEST,M3.5.0,M10.5.0/3"), as $TZ or the footer of a
// zone file gives it, parsed into its parts. Internal to the POSIX platform layer.
#pragma once

#include <cstdint>
#include <string>

namespace qor::platform {

// When daylight saving starts or ends: the w-th (5 = last) weekday d of month m ("Mm.w.d"), day n of a
// year without 29 February ("Jn"), or day n counted from 0 with it ("n"); at `seconds` local time.
struct ZoneTransition {
    enum Form { kMonthWeekDay, kJulianNoLeap, kDayOfYear } form = kMonthWeekDay;
    int month = 0, week = 0, weekday = 0, day = 0;
    int32_t seconds = 7200; // 02:00, when the rule names no time
};

struct ZoneRule {
    std::string standardName, daylightName;
    int32_t standardOffset = 0; // seconds that local standard time is behind UTC (west positive)
    int32_t daylightOffset = 0;
    bool hasDaylight = false;    // a daylight name is given
    bool hasTransitions = false; // and its start and end rules
    ZoneTransition start, end;
};

// Parses the whole of `text`; false for anything that is not a rule.
bool ParseZoneRule(const std::string &text, ZoneRule &rule);

} // namespace qor::platform
