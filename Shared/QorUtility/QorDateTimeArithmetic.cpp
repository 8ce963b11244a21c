// QorDateTimeArithmetic.cpp: CQorDateTime moved by spans and measured against another value, on the
// linear scale (so that the days before 30 December 1899 count the right way), and the current time.
#include "QorDateTime.h"

#include "QorPlatform.h"

CQorDateTime CQorDateTime::operator+(const CQorDateTimeSpan &span) const
{
    CQorDateTime result;
    if (m_status == Null || span.GetStatus() == CQorDateTimeSpan::Null)
        result.m_status = Null;
    else if (m_status == Invalid || span.GetStatus() == CQorDateTimeSpan::Invalid)
        result.m_status = Invalid;
    else
        result.SetFromDouble(GetDouble() + span.GetTotalDays());
    return result;
}

CQorDateTime CQorDateTime::operator-(const CQorDateTimeSpan &span) const
{
    CQorDateTimeSpan negated = -span;
    negated.SetStatus(span.GetStatus());
    return *this + negated;
}

const CQorDateTime &CQorDateTime::operator+=(CQorDateTimeSpan span) { return *this = *this + span; }
const CQorDateTime &CQorDateTime::operator-=(CQorDateTimeSpan span) { return *this = *this - span; }

CQorDateTimeSpan CQorDateTime::operator-(const CQorDateTime &other) const
{
    return CQorDateTimeSpan(GetDouble() - other.GetDouble());
}

bool CQorDateTime::IsSameDay(double other)
{
    CQorDateTime day(other);
    return GetDay() == day.GetDay() && GetYear() == day.GetYear() && GetMonth() == day.GetMonth();
}

CQorDateTime CQorDateTime::GetTickCount() { return CQorDateTime(static_cast<long>(std::time(nullptr))); }

CQorDateTime CQorDateTime::GetCurrentUTCTime()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    return CQorDateTime(now);
}
