// QorDateTimeSpan.cpp: CQorDateTimeSpan, a length of time in days: its units, each cut toward zero
// after a correction of half a second, and arithmetic that passes null before invalid.
#include "QorDateTime.h"

#include <cmath>

namespace {

// The whole count of `unitsPerDay` units in the fraction of `days`, corrected; `wrap` units and more
// (the correction can reach them) count from 0 again.
long UnitsOfFraction(double days, double unitsPerDay, long wrap)
{
    double whole;
    double fraction = std::modf(days, &whole);
    long units = static_cast<long>((fraction + CQorDateTimeSpan::kRoundingCorrection) * unitsPerDay);
    return units >= wrap ? units - wrap : units;
}

} // namespace

const CQorDateTimeSpan &CQorDateTimeSpan::operator=(double days)
{
    m_span = days;
    m_status = Valid;
    return *this;
}

void CQorDateTimeSpan::SetDateTimeSpan(long days, int hours, int minutes, int seconds)
{
    m_status = Valid;
    m_span = seconds * kOneSecond + minutes * kOneMinute + hours * kOneHour + days;
}

double CQorDateTimeSpan::GetTotalHours() const { return std::trunc(m_span * 24 + kRoundingCorrection); }
double CQorDateTimeSpan::GetTotalMinutes() const { return std::trunc(m_span * 1440 + kRoundingCorrection); }
double CQorDateTimeSpan::GetTotalSeconds() const { return std::trunc(m_span * 86400 + kRoundingCorrection); }

long CQorDateTimeSpan::GetDays() const { return static_cast<long>(m_span); }
long CQorDateTimeSpan::GetHours() const { return UnitsOfFraction(m_span, 24, 24); }
long CQorDateTimeSpan::GetMinutes() const { return UnitsOfFraction(m_span * 24, 60, 60); }
long CQorDateTimeSpan::GetSeconds() const { return UnitsOfFraction(m_span * 1440, 60, 60); }

int CQorDateTimeSpan::operator==(const CQorDateTimeSpan &other) const
{
    return m_status == other.m_status && m_span == other.m_span;
}

CQorDateTimeSpan CQorDateTimeSpan::operator+(const CQorDateTimeSpan &other) const
{
    CQorDateTimeSpan result;
    if (m_status == Null || other.m_status == Null)
        result.m_status = Null;
    else if (m_status == Invalid || other.m_status == Invalid)
        result.m_status = Invalid;
    else
        result.m_span = m_span + other.m_span;
    return result;
}

CQorDateTimeSpan CQorDateTimeSpan::operator-(const CQorDateTimeSpan &other) const
{
    CQorDateTimeSpan negated = other;
    negated.m_span = -other.m_span;
    return *this + negated;
}

const CQorDateTimeSpan &CQorDateTimeSpan::operator+=(CQorDateTimeSpan other) { return *this = *this + other; }
const CQorDateTimeSpan &CQorDateTimeSpan::operator-=(CQorDateTimeSpan other) { return *this = *this - other; }

CQorString CQorDateTimeSpan::Format(const char *) const { return CQorString(); }
CQorString CQorDateTimeSpan::Format(unsigned int) const { return CQorString(); }
