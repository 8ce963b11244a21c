// QorDateTime.h: CQorDateTime, a point in time held as an automation date (days since 30 December 1899,
// the fraction the time of day) with a status, and CQorDateTimeSpan, a length of time in days. Both
// convert through the platform's automation and locale functions; UTC and local time convert by the
// platform's time-zone rule.
#pragma once

#include "QorString.h"
#include "QorWinTypes.h"

#include <ctime>

class QORUTIL_API CQorDateTimeSpan {
public:
    enum DateTimeSpanStatus { Valid = 0, Invalid = 1, Null = 2 };

    static constexpr double kOneHour = 1.0 / 24;
    static constexpr double kOneMinute = 1.0 / 1440;
    static constexpr double kOneSecond = 1.0 / 86400;
    // Half a second: added before a count of whole units is cut toward zero.
    static constexpr double kRoundingCorrection = 0.5 / 86400;

    CQorDateTimeSpan() : m_span(0.0), m_status(Valid) {}
    CQorDateTimeSpan(double days) : m_span(days), m_status(Valid) {}
    CQorDateTimeSpan(long days, int hours, int minutes, int seconds) { SetDateTimeSpan(days, hours, minutes, seconds); }
    const CQorDateTimeSpan &operator=(double days);

    void SetDateTimeSpan(long days, int hours, int minutes, int seconds);
    DateTimeSpanStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeSpanStatus status) { m_status = status; }

    double GetTotalDays() const { return m_span; }
    operator double() const { return m_span; }
    // Whole units toward zero, after the rounding correction: 0.999999 days is 23 hours.
    double GetTotalHours() const;
    double GetTotalMinutes() const;
    double GetTotalSeconds() const;
    // The parts of the span: days, then hours 0..23, minutes and seconds 0..59 (negative for a negative
    // span), each with the correction applied to its own fraction.
    long GetDays() const;
    long GetHours() const;
    long GetMinutes() const;
    long GetSeconds() const;

    int operator==(const CQorDateTimeSpan &other) const;
    int operator!=(const CQorDateTimeSpan &other) const { return !(*this == other); }
    int operator<(const CQorDateTimeSpan &other) const { return m_span < other.m_span; }
    int operator>(const CQorDateTimeSpan &other) const { return m_span > other.m_span; }
    int operator<=(const CQorDateTimeSpan &other) const { return m_span <= other.m_span; }
    int operator>=(const CQorDateTimeSpan &other) const { return m_span >= other.m_span; }

    // Null wins over invalid; either gives 0.0.
    CQorDateTimeSpan operator+(const CQorDateTimeSpan &other) const;
    CQorDateTimeSpan operator-(const CQorDateTimeSpan &other) const;
    const CQorDateTimeSpan &operator+=(CQorDateTimeSpan other);
    const CQorDateTimeSpan &operator-=(CQorDateTimeSpan other);
    CQorDateTimeSpan operator-() const { return CQorDateTimeSpan(-m_span); }

    // Spans have no text form: always the empty text.
    CQorString Format(const char *pattern) const;
    CQorString Format(unsigned int id) const;

private:
    double m_span;
    DateTimeSpanStatus m_status;
};

class QORUTIL_API CQorDateTime {
public:
    enum DateTimeStatus { Valid = 0, Invalid = 1, Null = 2 };

    // 1 January 4501: the constructor from a double and IsSameDay read it as "no date" (0.0).
    static constexpr double kNoDateSentinel = 949998.0;

    CQorDateTime() : m_dt(0.0), m_status(Valid) {}
    CQorDateTime(double value);
    CQorDateTime(const VARIANT &value) { *this = value; }
    CQorDateTime(long time) { *this = time; }
    CQorDateTime(SYSTEMTIME &time) { *this = time; }
    CQorDateTime(const FILETIME &time) : m_dt(0.0) { *this = time; }
    CQorDateTime(int year, int month, int day, int hour, int minute, int second);
    virtual ~CQorDateTime() {}

    const CQorDateTime &operator=(double value);
    const CQorDateTime &operator=(const VARIANT &value);
    // A time_t in seconds, taken through the run-time localtime.
    const CQorDateTime &operator=(const long &time);
    const CQorDateTime &operator=(SYSTEMTIME &time);
    // A file time in UTC, shown in local time; a failed step leaves the value and makes it invalid.
    const CQorDateTime &operator=(const FILETIME &time);
    // A file time that is local already; E_FAIL when it cannot be converted.
    long SetLocalFileTime(FILETIME &time);

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }
    operator double() const { return m_dt; }
    // The value as a continuous number: before 30 December 1899 the fraction counts forward from
    // midnight, so -1.25 (29 December, 06:00) is -0.75 on this scale.
    double GetDouble() const;
    int SetFromDouble(double linear);

    // 1 and a valid status on success; E_FAIL and an invalid status on failure.
    long GetAsSystemTime(SYSTEMTIME &time);
    // 0 on success, E_FAIL (the structure zeroed) on failure.
    long GetAsTmStruct(struct tm &time);
    // -1 unless the status is valid and the value breaks down (which can make it invalid).
    int GetYear();
    int GetMonth();
    int GetDay();
    int GetHour();
    int GetMinute();
    int GetSecond();
    int GetDayOfWeek(); // 0 = Sunday
    int GetDayOfYear(); // 0 = 1 January; 0 when the value cannot be broken down

    // Setters answer 0 on success and 1 on failure (value 0.0, status invalid).
    int SetDateTime(int year, int month, int day, int hour, int minute, int second);
    int SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }
    int SetTime(int hour, int minute, int second) { return SetDateTime(1899, 12, 30, hour, minute, second); }
    int SetDateOnly(int year, int month, int day);
    int SetTimeOnly(int hour, int minute, int second);
    int SetDateOnly(CQorDateTime &from);
    int SetTimeOnly(CQorDateTime &from);

    // Equality is of status and raw value; ordering is of linear values alone.
    int operator==(const CQorDateTime &other) const { return m_status == other.m_status && m_dt == other.m_dt; }
    int operator!=(const CQorDateTime &other) const { return !(*this == other); }
    int operator<(const CQorDateTime &other) const { return GetDouble() < other.GetDouble(); }
    int operator>(const CQorDateTime &other) const { return GetDouble() > other.GetDouble(); }
    int operator<=(const CQorDateTime &other) const { return GetDouble() <= other.GetDouble(); }
    int operator>=(const CQorDateTime &other) const { return GetDouble() >= other.GetDouble(); }

    // Null before invalid: either gives 0.0 with that status.
    CQorDateTime operator+(const CQorDateTimeSpan &span) const;
    CQorDateTime operator-(const CQorDateTimeSpan &span) const;
    const CQorDateTime &operator+=(CQorDateTimeSpan span);
    const CQorDateTime &operator-=(CQorDateTimeSpan span);
    CQorDateTimeSpan operator-(const CQorDateTime &other) const;
    bool IsSameDay(double other);

    // Now in local time to the second (the run-time clock), and now in UTC (the platform's).
    static CQorDateTime GetTickCount();
    static CQorDateTime GetCurrentUTCTime();

    // Between UTC and the machine's local time by the platform's time-zone rule; the value is left
    // alone when the rule cannot be read or the value has no year.
    CQorDateTime &FromUTC();
    CQorDateTime &ToUTC();
    // Up to the next whole minute; a value on a whole minute stays.
    void RoundToNextMinute();

    // Text forms. The automation form and the locale date forms give the empty text for 0.0; every
    // form gives the empty text for a value it cannot show.
    CQorString Format(unsigned long flags, unsigned long locale, CQorString *out = nullptr) const;
    CQorString Format(const char *pattern) const; // strftime
    CQorString Format(unsigned int id) const;     // a strftime pattern from the string resources
    CQorString FormatDate(unsigned long flags, const char *picture = nullptr) const;
    CQorString FormatShortDate() const;
    CQorString FormatLongDate() const;
    CQorString FormatTime(unsigned long flags = 0) const;
    CQorString FormatShortDateAndTime() const;
    CQorString FormatLongDateAndTime() const;
    CQorString FormatWDAndShortDT() const;
    // 1 when the text parses (status valid); 0 otherwise, with the value 0.0 and invalid.
    int ParseDateTime(const char *text, unsigned long flags = 0, unsigned long locale = 0x400);

private:
    // The platform's breakdown of the raw value, without touching the status.
    bool BreakDown(SYSTEMTIME &time) const;
    // Stores the conversion of `time`: 0 and valid, or 1 with 0.0 and invalid.
    int StoreSystemTime(const SYSTEMTIME &time);
    int StoreFailure(); // 0.0 and invalid; answers 1
    // Minutes that UTC is ahead of local time at the raw value; false when they cannot be known.
    bool BiasAt(LONG &bias);

    double m_dt;
    DateTimeStatus m_status;
};
