// date_command.cpp: `qor date`: the current time, parsing a text, formatting a value, and the machine's
// time-zone rule as CQorDateTime reads it, with this year's transition days.
#include "QorToolCommand.h"

#include "QorDateTime.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace qor::tool {

namespace {

const char *StatusName(CQorDateTime::DateTimeStatus status)
{
    static const char *const names[] = {"valid", "invalid", "null"};
    return names[status];
}

std::string Number(double value)
{
    std::ostringstream out;
    out.precision(17);
    out << value;
    return out.str();
}

// The value, its status, its fields and every text form.
void Describe(CQorDateTime value, std::ostream &out)
{
    out << "value        " << Number((double)value) << "\n";
    out << "status       " << StatusName(value.GetStatus()) << "\n";
    out << "fields       " << value.GetYear() << "-" << value.GetMonth() << "-" << value.GetDay() << " "
        << value.GetHour() << ":" << value.GetMinute() << ":" << value.GetSecond() << ", weekday "
        << value.GetDayOfWeek() << " (0 = Sunday), day of year " << value.GetDayOfYear() << " (0 = 1 January)\n";
    out << "automation   " << value.Format(0, LOCALE_USER_DEFAULT).GetString() << "\n";
    out << "short date   " << value.FormatShortDate().GetString() << "\n";
    out << "long date    " << value.FormatLongDate().GetString() << "\n";
    out << "time         " << value.FormatTime().GetString() << "\n";
    out << "short + time " << value.FormatShortDateAndTime().GetString() << "\n";
    out << "long + time  " << value.FormatLongDateAndTime().GetString() << "\n";
    out << "weekday + dt " << value.FormatWDAndShortDT().GetString() << "\n";
}

CQorDateTime Parse(const std::string &text)
{
    CQorDateTime value;
    if (text.find('\0') != std::string::npos || !value.ParseDateTime(text.c_str()))
        throw UsageError(Echo(text) + " is not a date or time (examples: \"3/29/2007 1:05 PM\", 2007-03-29, "
                                      "\"March 29, 2007\")");
    return value;
}

// An automation date (a number of days since 30 December 1899) or a date text.
CQorDateTime ValueOf(const std::string &text)
{
    char *end = nullptr;
    double days = std::strtod(text.c_str(), &end);
    if (!text.empty() && end == text.c_str() + text.size() && days == days)
        return CQorDateTime(days);
    return Parse(text);
}

void Format(const std::string &text, const std::string &pattern, const std::string &picture)
{
    CQorDateTime value = ValueOf(text);
    if (pattern.empty() && picture.empty()) {
        Describe(value, std::cout);
        return;
    }
    CQorString result = pattern.empty() ? value.FormatDate(0, picture.c_str()) : value.Format(pattern.c_str());
    if (result.IsEmpty())
        throw CommandError("value " + Number((double)value) + " has no such text (outside the range of the form, "
                                                              "or longer than 511 bytes)");
    std::cout << result.GetString() << "\n";
}

std::string RuleText(const SYSTEMTIME &rule)
{
    static const char *const kOrdinals[] = {"", "first", "second", "third", "fourth", "last"};
    static const char *const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    static const char *const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    if (rule.wMonth < 1 || rule.wMonth > 12 || rule.wDay < 1 || rule.wDay > 5 || rule.wDayOfWeek > 6)
        return "";
    char time[16];
    std::snprintf(time, sizeof time, "%02u:%02u", rule.wHour, rule.wMinute);
    return std::string(", from the ") + kOrdinals[rule.wDay] + " " + kDays[rule.wDayOfWeek] + " of " + kMonths[rule.wMonth - 1] +
           " at " + time;
}

// The days of this year on whose midnight the offset that ToUTC applies changes.
void PrintTransitionDays(std::ostream &out)
{
    int year = CQorDateTime::GetTickCount().GetYear();
    CQorDateTime day(year, 1, 1, 0, 0, 0), end(year + 1, 1, 1, 0, 0, 0);
    double previous = 0;
    bool any = false;
    for (bool first = true; day < end; day += CQorDateTimeSpan(1.0), first = false) {
        CQorDateTime utc = day;
        double offset = std::round(((double)day - (double)utc.ToUTC()) * 1440);
        if (!first && offset != previous) {
            out << "transition   " << day.FormatLongDate().GetString() << ", 00:00: UTC" << (offset < 0 ? "" : "+")
                << Number(offset / 60) << " h\n";
            any = true;
        }
        previous = offset;
    }
    if (!any)
        out << "transition   none in " << year << "\n";
}

void PrintZone()
{
    TIME_ZONE_INFORMATION zone;
    DWORD id = GetTimeZoneInformation(&zone);
    if (id == TIME_ZONE_ID_INVALID)
        throw CommandError("the time-zone rule cannot be read (error " + std::to_string(GetLastError()) + ")");
    static const char *const kNow[] = {"no daylight saving", "standard time now", "daylight saving time now"};
    std::ostringstream out;
    out << "zone         " << (id <= 2 ? kNow[id] : "unknown") << "\n";
    out << "bias         " << zone.Bias << " min (UTC = local + bias)\n";
    out << "standard     " << CQorString(zone.StandardName).GetString() << ", bias " << zone.StandardBias
        << " min" << RuleText(zone.StandardDate) << "\n";
    out << "daylight     " << CQorString(zone.DaylightName).GetString() << ", bias " << zone.DaylightBias
        << " min" << RuleText(zone.DaylightDate) << "\n";
    PrintTransitionDays(out);
    std::cout << out.str();
}

} // namespace

void AddDateCommand(CLI::App &app)
{
    CLI::App *date = app.add_subcommand("date", "Dates and times: now, parsing, formatting, the time-zone rule");
    date->require_subcommand(1);

    CLI::App *now = date->add_subcommand("now", "Show the current local time (or UTC) in every form");
    auto utc = std::make_shared<bool>(false);
    now->add_flag("--utc", *utc, "The current coordinated universal time");
    now->callback([utc] {
        Describe(*utc ? CQorDateTime::GetCurrentUTCTime() : CQorDateTime::GetTickCount(), std::cout);
    });

    CLI::App *parse = date->add_subcommand("parse", "Parse a date or time text (en-US) and show every form");
    auto text = std::make_shared<std::string>();
    parse->add_option("text", *text, "The text, e.g. \"3/29/2007 1:05 PM\", 2007-03-29, \"Mar 29 2007\"")->required();
    parse->callback([text] { Describe(Parse(*text), std::cout); });

    CLI::App *format = date->add_subcommand("format", "Format a value: every form, a strftime pattern or a picture");
    auto value = std::make_shared<std::string>();
    auto pattern = std::make_shared<std::string>();
    auto picture = std::make_shared<std::string>();
    format->add_option("value", *value, "Days since 30 December 1899 (36526.5) or a date text")->required();
    auto *patternOption = format->add_option("--pattern", *pattern, "A strftime pattern, e.g. %Y-%m-%d");
    format->add_option("--picture", *picture, "A date picture, e.g. \"dddd, MMMM d, yyyy\"")->excludes(patternOption);
    format->footer("Examples:\n  qor date format 39170.5\n  qor date format 2007-03-29 --pattern %A\n"
                   "  qor date format \"Mar 29 2007\" --picture \"ddd d MMM yy\"");
    format->callback([value, pattern, picture] { Format(*value, *pattern, *picture); });

    date->add_subcommand("tz", "Show the time-zone rule and this year's transition days")->callback(PrintZone);
}

} // namespace qor::tool
