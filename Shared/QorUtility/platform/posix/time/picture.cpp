// picture.cpp: format pictures ("dddd, MMMM d, yyyy", "h:mm:ss tt"): runs of a picture letter are
// fields, text in single quotes is copied ('' inside quotes is one quote), anything else is copied as
// it stands. Names and forms are those of en-US.
#include "time/picture.h"

#include "time/calendar.h"

#include <cstring>

namespace qor::platform {

const char kShortDatePicture[] = "M/d/yyyy";
const char kLongDatePicture[] = "dddd, MMMM d, yyyy";
const char kYearMonthPicture[] = "MMMM yyyy";
const char kTimePicture[] = "h:mm:ss tt";

namespace {

const char *const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char *const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
const char kEra[] = "A.D."; // the Gregorian era string of en-US

// `value` in decimal, with a leading zero up to `width` (1 or 2).
std::string Number(int value, int width)
{
    std::string digits = std::to_string(value);
    return digits.size() < static_cast<size_t>(width) ? "0" + digits : digits;
}

std::string Name(const char *name, int count) { return count == 3 ? std::string(name, 3) : std::string(name); }

// Walks a picture: literal text goes to `literal`, each run of a letter in `letters` to `field`.
template <typename Literal, typename Field>
void WalkPicture(const char *picture, const char *letters, Literal literal, Field field)
{
    for (const char *at = picture; *at != '\0';) {
        if (*at == '\'') {
            std::string text;
            for (++at; *at != '\0'; ++at) {
                if (*at == '\'' && at[1] == '\'')
                    text += *at++;
                else if (*at == '\'')
                    break;
                else
                    text += *at;
            }
            if (*at == '\'')
                ++at;
            literal(text);
        } else if (std::strchr(letters, *at) != nullptr) {
            int count = 1;
            while (at[count] == *at)
                ++count;
            field(*at, count);
            at += count;
        } else {
            literal(std::string(1, *at++));
        }
    }
}

std::string DateField(char letter, int count, const SYSTEMTIME &date)
{
    switch (letter) {
    case 'd':
        if (count <= 2)
            return Number(date.wDay, count);
        return Name(kDayNames[WeekdayOfDays(DaysFromCivil(date.wYear, date.wMonth, date.wDay))], count);
    case 'M':
        return count <= 2 ? Number(date.wMonth, count) : Name(kMonthNames[date.wMonth - 1], count);
    case 'y':
        return count <= 2 ? Number(date.wYear % 100, count) : Number(date.wYear, 1);
    default: // 'g'
        return kEra;
    }
}

std::string TimeField(char letter, int count, const SYSTEMTIME &time, bool force24)
{
    int width = count >= 2 ? 2 : 1;
    switch (letter) {
    case 'h':
        return Number(force24 ? time.wHour : (time.wHour + 11) % 12 + 1, width);
    case 'H':
        return Number(time.wHour, width);
    case 'm':
        return Number(time.wMinute, width);
    case 's':
        return Number(time.wSecond, width);
    default: // 't'
        return std::string(time.wHour < 12 ? "AM" : "PM", width);
    }
}

} // namespace

bool IsEnglishUsLocale(LCID locale)
{
    LCID language = locale & 0xFFFF;
    return language == 0x0400 || language == 0x0800 || language == 0x0409 || language == 0;
}

std::string RenderDatePicture(const char *picture, const SYSTEMTIME &date)
{
    std::string out;
    WalkPicture(
        picture, "dMyg", [&](const std::string &text) { out += text; },
        [&](char letter, int count) { out += DateField(letter, count, date); });
    return out;
}

// A field that the flags leave out takes the text between it and the field before it along.
std::string RenderTimePicture(const char *picture, const SYSTEMTIME &time, DWORD flags)
{
    const bool noMinutes = (flags & TIME_NOMINUTESORSECONDS) != 0;
    const bool noSeconds = noMinutes || (flags & TIME_NOSECONDS) != 0;
    const bool noMarker = (flags & TIME_NOTIMEMARKER) != 0;
    std::string out;
    size_t afterLastField = 0;
    WalkPicture(
        picture, "hHmst", [&](const std::string &text) { out += text; },
        [&](char letter, int count) {
            if ((letter == 'm' && noMinutes) || (letter == 's' && noSeconds) || (letter == 't' && noMarker)) {
                out.resize(afterLastField);
                return;
            }
            out += TimeField(letter, count, time, (flags & TIME_FORCE24HOURFORMAT) != 0);
            afterLastField = out.size();
        });
    return out;
}

} // namespace qor::platform
