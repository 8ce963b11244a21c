// zonerule.cpp: the parser of POSIX time-zone rule texts (the TZ format of POSIX.1, with the extension of
// zone files of version 3: transition times from -167 to 167 hours).
#include "time/zonerule.h"

#include <cctype>

namespace qor::platform {

namespace {

class RuleReader {
public:
    explicit RuleReader(const std::string &text) : m_text(text) {}

    bool AtEnd() const { return m_at == m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_at]; }
    bool Take(char c)
    {
        if (Peek() != c)
            return false;
        ++m_at;
        return true;
    }

    // Three or more letters, or "<...>" of letters, digits, '+' and '-'.
    bool Name(std::string &name)
    {
        size_t begin = m_at;
        if (Take('<')) {
            while (std::isalnum((unsigned char)Peek()) || Peek() == '+' || Peek() == '-')
                ++m_at;
            name = m_text.substr(begin + 1, m_at - begin - 1);
            return Take('>') && name.size() >= 3;
        }
        while (std::isalpha((unsigned char)Peek()))
            ++m_at;
        name = m_text.substr(begin, m_at - begin);
        return name.size() >= 3;
    }

    // [+-]hh[:mm[:ss]] with hours up to `maxHours`, as seconds.
    bool Duration(int maxHours, int32_t &seconds)
    {
        int sign = Take('-') ? -1 : (Take('+'), 1);
        int hours = 0, minutes = 0, secs = 0;
        if (!Number(0, maxHours, hours))
            return false;
        if (Take(':') && (!Number(0, 59, minutes) || (Take(':') && !Number(0, 59, secs))))
            return false;
        seconds = sign * (hours * 3600 + minutes * 60 + secs);
        return true;
    }

    bool Number(int low, int high, int &value)
    {
        if (!std::isdigit((unsigned char)Peek()))
            return false;
        value = 0;
        while (std::isdigit((unsigned char)Peek())) {
            value = value * 10 + (m_text[m_at++] - '0');
            if (value > high)
                return false;
        }
        return value >= low;
    }

    bool Transition(ZoneTransition &transition)
    {
        bool ok;
        if (Take('M')) {
            transition.form = ZoneTransition::kMonthWeekDay;
            ok = Number(1, 12, transition.month) && Take('.') && Number(1, 5, transition.week) && Take('.') &&
                 Number(0, 6, transition.weekday);
        } else if (Take('J')) {
            transition.form = ZoneTransition::kJulianNoLeap;
            ok = Number(1, 365, transition.day);
        } else {
            transition.form = ZoneTransition::kDayOfYear;
            ok = Number(0, 365, transition.day);
        }
        return ok && (!Take('/') || Duration(167, transition.seconds));
    }

private:
    const std::string &m_text;
    size_t m_at = 0;
};

} // namespace

bool ParseZoneRule(const std::string &text, ZoneRule &rule)
{
    RuleReader reader(text);
    rule = ZoneRule();
    if (!reader.Name(rule.standardName) || !reader.Duration(24, rule.standardOffset))
        return false;
    if (reader.AtEnd())
        return true;
    rule.hasDaylight = reader.Name(rule.daylightName);
    if (!rule.hasDaylight)
        return false;
    // Without its own offset, daylight time is an hour ahead of standard time.
    rule.daylightOffset = rule.standardOffset - 3600;
    if (reader.Peek() != ',' && !reader.AtEnd() && !reader.Duration(24, rule.daylightOffset))
        return false;
    if (reader.AtEnd())
        return true;
    rule.hasTransitions = reader.Take(',') && reader.Transition(rule.start) && reader.Take(',') &&
                          reader.Transition(rule.end);
    return rule.hasTransitions && reader.AtEnd();
}

} // namespace qor::platform
