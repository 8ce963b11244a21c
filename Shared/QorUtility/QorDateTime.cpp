// QorDateTime.cpp: CQorDateTime's construction, conversions in and out (broken-down time, file times,
// time_t, struct tm, variants, linear doubles), calendar fields and setters. Every conversion between
// the value and broken-down time is the platform's automation conversion.
#include "QorDateTime.h"

#include "QorPlatform.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kInvalidField = -1;

} // namespace

CQorDateTime::CQorDateTime(double value) : m_dt(value == kNoDateSentinel ? 0.0 : value), m_status(Valid) {}

CQorDateTime::CQorDateTime(int year, int month, int day, int hour, int minute, int second)
{
    SetDateTime(year, month, day, hour, minute, second);
}

const CQorDateTime &CQorDateTime::operator=(double value)
{
    m_dt = value;
    m_status = Valid;
    return *this;
}

const CQorDateTime &CQorDateTime::operator=(const VARIANT &value)
{
    bool isDate = value.vt == VT_DATE;
    m_dt = isDate ? value.date : 0.0;
    m_status = isDate ? Valid : Invalid;
    return *this;
}

const CQorDateTime &CQorDateTime::operator=(const long &time)
{
    std::time_t seconds = static_cast<std::time_t>(time);
    const std::tm *local = std::localtime(&seconds);
    if (local == nullptr) {
        m_dt = 0.0;
        m_status = Invalid;
        return *this;
    }
    SYSTEMTIME broken{};
    broken.wYear = static_cast<WORD>(local->tm_year + 1900);
    broken.wMonth = static_cast<WORD>(local->tm_mon + 1);
    broken.wDayOfWeek = static_cast<WORD>(local->tm_wday);
    broken.wDay = static_cast<WORD>(local->tm_mday);
    broken.wHour = static_cast<WORD>(local->tm_hour);
    broken.wMinute = static_cast<WORD>(local->tm_min);
    broken.wSecond = static_cast<WORD>(local->tm_sec);
    StoreSystemTime(broken);
    return *this;
}

const CQorDateTime &CQorDateTime::operator=(SYSTEMTIME &time)
{
    StoreSystemTime(time);
    return *this;
}

const CQorDateTime &CQorDateTime::operator=(const FILETIME &time)
{
    FILETIME local;
    SYSTEMTIME broken;
    DATE value;
    bool converted = FileTimeToLocalFileTime(&time, &local) && FileTimeToSystemTime(&local, &broken) &&
                     SystemTimeToVariantTime(&broken, &value);
    if (converted)
        m_dt = value;
    m_status = converted ? Valid : Invalid;
    return *this;
}

long CQorDateTime::SetLocalFileTime(FILETIME &time)
{
    SYSTEMTIME broken;
    DATE value;
    bool converted = FileTimeToSystemTime(&time, &broken) && SystemTimeToVariantTime(&broken, &value);
    if (converted)
        m_dt = value;
    m_status = converted ? Valid : Invalid;
    return converted ? 0 : E_FAIL;
}

double CQorDateTime::GetDouble() const
{
    if (m_dt >= 0)
        return m_dt;
    double ceiling = std::ceil(m_dt);
    return ceiling - (m_dt - ceiling);
}

int CQorDateTime::SetFromDouble(double linear)
{
    if (linear >= 0) {
        m_dt = linear;
        m_status = Valid;
    } else {
        double floor = std::floor(linear);
        m_dt = (floor - linear) + floor;
    }
    return m_status;
}

bool CQorDateTime::BreakDown(SYSTEMTIME &time) const { return VariantTimeToSystemTime(m_dt, &time) != FALSE; }

int CQorDateTime::StoreSystemTime(const SYSTEMTIME &time)
{
    SYSTEMTIME copy = time; // the platform call takes a non-const pointer
    DATE value;
    if (SystemTimeToVariantTime(&copy, &value)) {
        m_dt = value;
        m_status = Valid;
        return 0;
    }
    return StoreFailure();
}

long CQorDateTime::GetAsSystemTime(SYSTEMTIME &time)
{
    bool ok = BreakDown(time);
    m_status = ok ? Valid : Invalid;
    return ok ? 1 : E_FAIL;
}

long CQorDateTime::GetAsTmStruct(struct tm &time)
{
    std::memset(&time, 0, sizeof time);
    SYSTEMTIME broken;
    if (GetAsSystemTime(broken) != 1)
        return E_FAIL;
    time.tm_year = broken.wYear - 1900;
    time.tm_mon = broken.wMonth - 1;
    time.tm_wday = broken.wDayOfWeek;
    time.tm_mday = broken.wDay;
    time.tm_hour = broken.wHour;
    time.tm_min = broken.wMinute;
    time.tm_sec = broken.wSecond;
    return 0;
}

#define QOR_DATE_FIELD(getter, field)                                                                              \
    int CQorDateTime::getter()                                                                                     \
    {                                                                                                              \
        SYSTEMTIME broken;                                                                                         \
        return m_status == Valid && GetAsSystemTime(broken) == 1 ? broken.field : kInvalidField;                   \
    }
QOR_DATE_FIELD(GetYear, wYear)
QOR_DATE_FIELD(GetMonth, wMonth)
QOR_DATE_FIELD(GetDay, wDay)
QOR_DATE_FIELD(GetHour, wHour)
QOR_DATE_FIELD(GetMinute, wMinute)
QOR_DATE_FIELD(GetSecond, wSecond)
QOR_DATE_FIELD(GetDayOfWeek, wDayOfWeek)
#undef QOR_DATE_FIELD

// Counted on the linear scale, so that the days of 1899 come out right on both sides of day 0.
int CQorDateTime::GetDayOfYear()
{
    SYSTEMTIME broken;
    if (!BreakDown(broken))
        return 0;
    broken.wMonth = 1;
    broken.wDay = 1;
    CQorDateTime newYear;
    if (newYear.StoreSystemTime(broken) != 0)
        return 0;
    return static_cast<int>(GetDouble() - newYear.GetDouble());
}

int CQorDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME broken{};
    broken.wYear = static_cast<WORD>(year);
    broken.wMonth = static_cast<WORD>(month);
    broken.wDay = static_cast<WORD>(day);
    broken.wHour = static_cast<WORD>(hour < 0 ? 0 : hour);
    broken.wMinute = static_cast<WORD>(minute < 0 ? 0 : minute);
    broken.wSecond = static_cast<WORD>(second < 0 ? 0 : second);
    return StoreSystemTime(broken);
}

int CQorDateTime::SetDateOnly(int year, int month, int day)
{
    SYSTEMTIME broken;
    if (!BreakDown(broken))
        return StoreFailure();
    broken.wYear = static_cast<WORD>(year);
    broken.wMonth = static_cast<WORD>(month);
    broken.wDay = static_cast<WORD>(day);
    return StoreSystemTime(broken);
}

int CQorDateTime::SetTimeOnly(int hour, int minute, int second)
{
    SYSTEMTIME broken;
    if (!BreakDown(broken))
        return StoreFailure();
    broken.wHour = static_cast<WORD>(hour);
    broken.wMinute = static_cast<WORD>(minute);
    broken.wSecond = static_cast<WORD>(second);
    broken.wMilliseconds = 0;
    return StoreSystemTime(broken);
}

int CQorDateTime::SetDateOnly(CQorDateTime &from)
{
    int hour = GetHour(), minute = GetMinute(), second = GetSecond();
    return SetDateTime(from.GetYear(), from.GetMonth(), from.GetDay(), hour, minute, second);
}

int CQorDateTime::SetTimeOnly(CQorDateTime &from)
{
    int year = GetYear(), month = GetMonth(), day = GetDay();
    return SetDateTime(year, month, day, from.GetHour(), from.GetMinute(), from.GetSecond());
}

int CQorDateTime::StoreFailure()
{
    m_dt = 0.0;
    m_status = Invalid;
    return 1;
}
