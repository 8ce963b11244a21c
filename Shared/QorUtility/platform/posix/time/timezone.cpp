// timezone.cpp: GetTimeZoneInformation. The zone's rule text comes from $TZ (a zone file's name, or a rule
// itself) or, without it, from /etc/localtime: the rule a zone file of version 2 or later keeps at its end.
// A rule whose transitions are "the n-th weekday of a month" at a time of day maps one to one; any other
// zone is probed with localtime_r over the current year, which gives that year's transitions. Extracting
// an archive asks once per file, so as with _tzset a changed $TZ or $TZDIR is taken at once and the zone
// worked out again at most once a second.
#include "time/zonerule.h"

#include "common/descriptor.h"
#include "common/unicode.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>

using qor::platform::ZoneRule;
using qor::platform::ZoneTransition;

namespace {

constexpr size_t kLongestZoneFile = 1 << 20; // zone files are a few kilobytes

std::string ZoneFileFolder()
{
    const char *folder = std::getenv("TZDIR");
    return folder != nullptr && *folder != '\0' ? folder : "/usr/share/zoneinfo";
}

// The rule text at the end of a zone file of version 2 or later (between its last two line feeds);
// false when the file cannot be read or is no zone file. An empty rule is a zone without one.
bool ReadZoneFileRule(const std::string &path, std::string &rule)
{
    qor::platform::ScopedDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return false;
    std::string content;
    char chunk[8192];
    ssize_t got;
    while ((got = qor::platform::RetryAfterSignal([&] { return read(fd.Get(), chunk, sizeof chunk); })) > 0) {
        content.append(chunk, static_cast<size_t>(got));
        if (content.size() > kLongestZoneFile)
            return false;
    }
    if (got < 0 || content.compare(0, 4, "TZif") != 0)
        return false;
    rule.clear();
    if (content.size() < 6 || content[4] < '2' || content.back() != '\n')
        return true;
    size_t begin = content.rfind('\n', content.size() - 2);
    if (begin != std::string::npos)
        rule = content.substr(begin + 1, content.size() - begin - 2);
    return true;
}

// As the C library reads $TZ: unset is the system's zone, empty is UTC, ":name" is a zone file, and any
// other text a zone file when one has that name, else a rule.
bool ZoneRuleText(std::string &text)
{
    const char *tz = std::getenv("TZ");
    if (tz == nullptr)
        return ReadZoneFileRule("/etc/localtime", text);
    if (*tz == '\0') {
        text = "UTC0";
        return true;
    }
    std::string name = tz[0] == ':' ? tz + 1 : tz;
    std::string path = name.compare(0, 1, "/") == 0 ? name : ZoneFileFolder() + "/" + name;
    if (ReadZoneFileRule(path, text))
        return true;
    text = tz;
    return tz[0] != ':';
}

void CopyName(const std::string &name, WCHAR (&field)[32])
{
    std::u16string wide;
    qor::platform::Utf16FromUtf8(name.data(), name.size(), false, wide);
    size_t length = wide.size() < 31 ? wide.size() : 31;
    std::memcpy(field, wide.data(), length * sizeof(WCHAR));
    field[length] = 0;
}

bool IsWeekdayRule(const ZoneTransition &transition)
{
    return transition.form == ZoneTransition::kMonthWeekDay && transition.seconds >= 0 && transition.seconds < 86400;
}

SYSTEMTIME RuleDate(int month, int week, int weekday, int32_t seconds)
{
    SYSTEMTIME date{};
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(week);
    date.wDayOfWeek = static_cast<WORD>(weekday);
    date.wHour = static_cast<WORD>(seconds / 3600);
    date.wMinute = static_cast<WORD>(seconds / 60 % 60);
    date.wSecond = static_cast<WORD>(seconds % 60);
    return date;
}

// Biases are minutes with UTC = local time + bias: the POSIX offsets in minutes.
void FillFromRule(const ZoneRule &rule, TIME_ZONE_INFORMATION &zone)
{
    zone.Bias = rule.standardOffset / 60;
    CopyName(rule.standardName, zone.StandardName);
    if (!rule.hasTransitions)
        return;
    CopyName(rule.daylightName, zone.DaylightName);
    zone.DaylightBias = (rule.daylightOffset - rule.standardOffset) / 60;
    zone.DaylightDate = RuleDate(rule.start.month, rule.start.week, rule.start.weekday, rule.start.seconds);
    zone.StandardDate = RuleDate(rule.end.month, rule.end.week, rule.end.weekday, rule.end.seconds);
}

struct LocalState {
    long offset = 0; // seconds east of UTC
    bool daylight = false;
    std::string name;
    bool operator!=(const LocalState &other) const { return offset != other.offset || daylight != other.daylight; }
};

LocalState StateAt(time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    return {local.tm_gmtoff, local.tm_isdst > 0, local.tm_zone != nullptr ? local.tm_zone : ""};
}

// The local clock reading (in the time that ends) at `instant`, as a rule date: the weekday of its month
// counted from the start, or 5 when it is the month's last, as Windows writes the transitions.
SYSTEMTIME RuleDateOf(time_t instant, const LocalState &before)
{
    time_t local = instant + before.offset;
    std::tm clock{};
    gmtime_r(&local, &clock);
    static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = clock.tm_year + 1900;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int days = kDaysInMonth[clock.tm_mon] + (clock.tm_mon == 1 && leap ? 1 : 0);
    int week = clock.tm_mday + 7 > days ? 5 : (clock.tm_mday - 1) / 7 + 1;
    return RuleDate(clock.tm_mon + 1, week, clock.tm_wday, (clock.tm_hour * 60 + clock.tm_min) * 60 + clock.tm_sec);
}

// The first instant in (from, to] whose state differs from the state at `from`.
time_t FirstChange(time_t from, time_t to)
{
    LocalState start = StateAt(from);
    while (to - from > 1) {
        time_t middle = from + (to - from) / 2;
        if (StateAt(middle) != start)
            to = middle;
        else
            from = middle;
    }
    return to;
}

// The current year's daylight-saving start and end, found hour by hour and then to the second.
void Probe(TIME_ZONE_INFORMATION &zone)
{
    time_t now = std::time(nullptr);
    LocalState current = StateAt(now);
    std::tm local{};
    localtime_r(&now, &local);
    std::tm january{};
    january.tm_year = local.tm_year;
    january.tm_mday = 1;
    time_t from = timegm(&january) - 86400;
    ++january.tm_year;
    time_t to = timegm(&january) + 86400;

    LocalState previous = StateAt(from), standard = current, daylight;
    time_t daylightStart = 0, standardStart = 0;
    LocalState beforeDaylight, beforeStandard;
    for (time_t hour = from + 3600; hour <= to; hour += 3600) {
        LocalState state = StateAt(hour);
        if (state != previous) {
            time_t instant = FirstChange(hour - 3600, hour);
            if (!previous.daylight && state.daylight && daylightStart == 0) {
                daylightStart = instant;
                beforeDaylight = standard = previous;
                daylight = state;
            } else if (previous.daylight && !state.daylight && standardStart == 0) {
                standardStart = instant;
                beforeStandard = daylight = previous;
                standard = state;
            }
        }
        previous = state;
    }
    zone.Bias = static_cast<LONG>(-standard.offset / 60);
    CopyName(standard.name, zone.StandardName);
    if (daylightStart == 0 || standardStart == 0)
        return; // no daylight saving this year
    CopyName(daylight.name, zone.DaylightName);
    zone.DaylightBias = static_cast<LONG>(-(daylight.offset - standard.offset) / 60);
    zone.DaylightDate = RuleDateOf(daylightStart, beforeDaylight);
    zone.StandardDate = RuleDateOf(standardStart, beforeStandard);
}

// What the zone is worked out from: $TZ (unset and empty differ) and $TZDIR.
std::string ZoneSources()
{
    const char *tz = std::getenv("TZ");
    const char *folder = std::getenv("TZDIR");
    std::string sources = tz != nullptr ? std::string("=") + tz : std::string();
    sources += '\0';
    return sources + (folder != nullptr ? folder : "");
}

TIME_ZONE_INFORMATION WorkOutZone()
{
    TIME_ZONE_INFORMATION zone{};
    tzset(); // the C library reads $TZ again only when asked
    std::string text;
    ZoneRule rule;
    if (ZoneRuleText(text) && qor::platform::ParseZoneRule(text, rule) && (!rule.hasDaylight || rule.hasTransitions) &&
        (!rule.hasTransitions || (IsWeekdayRule(rule.start) && IsWeekdayRule(rule.end))))
        FillFromRule(rule, zone);
    else
        Probe(zone);
    return zone;
}

} // namespace

DWORD WINAPI GetTimeZoneInformation(LPTIME_ZONE_INFORMATION lpTimeZoneInformation)
{
    if (qor::platform::FaultFires("GetTimeZoneInformation"))
        return TIME_ZONE_ID_INVALID;
    if (lpTimeZoneInformation == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return TIME_ZONE_ID_INVALID;
    }
    thread_local struct {
        std::time_t second = -1;
        std::string sources;
        TIME_ZONE_INFORMATION zone{};
    } last;
    const std::time_t now = std::time(nullptr);
    std::string sources = ZoneSources();
    if (now != last.second || sources != last.sources) {
        last.zone = WorkOutZone();
        last.second = now;
        last.sources = std::move(sources);
    }
    *lpTimeZoneInformation = last.zone;
    if (last.zone.StandardDate.wMonth == 0)
        return TIME_ZONE_ID_UNKNOWN;
    return StateAt(now).daylight ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}
