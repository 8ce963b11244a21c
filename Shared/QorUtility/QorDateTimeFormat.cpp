// QorDateTimeFormat.cpp: CQorDateTime's text forms (the automation text, the locale's date and time
// forms, strftime patterns) and ParseDateTime. Formatting never fails loudly: a value that cannot be
// shown gives the empty text. The automation text and the locale date forms show no date for 0.0.
#include "QorDateTime.h"

#include "QorPlatform.h"

#include <ctime>

namespace {

constexpr LCID kUserDefaultLocale = 0x400;
constexpr int kFormatBufferSize = 256;
constexpr size_t kPatternBufferSize = 512;
const char kWeekdayPicture[] = "ddd ";

} // namespace

CQorString CQorDateTime::Format(unsigned long flags, unsigned long locale, CQorString *out) const
{
    CQorString text;
    BSTR wide = nullptr;
    if (m_status != Null && m_status != Invalid && m_dt != 0.0 &&
        SUCCEEDED(VarBstrFromDate(m_dt, (LCID)locale, (ULONG)flags, &wide)) && wide != nullptr)
        text = wide;
    SysFreeString(wide);
    if (out != nullptr)
        *out = text;
    return text;
}

// A pattern whose output does not fit the buffer gives the empty text (strftime then answers 0).
CQorString CQorDateTime::Format(const char *pattern) const
{
    CQorDateTime copy(*this);
    struct tm broken;
    if (pattern == nullptr || copy.GetAsTmStruct(broken) != 0)
        return CQorString();
    char buffer[kPatternBufferSize];
    size_t length = std::strftime(buffer, sizeof buffer, pattern, &broken);
    return CQorString(buffer, static_cast<int>(length));
}

CQorString CQorDateTime::Format(unsigned int id) const
{
    CQorString pattern;
    pattern.LoadString(id);
    return Format(pattern.GetString());
}

CQorString CQorDateTime::FormatDate(unsigned long flags, const char *picture) const
{
    SYSTEMTIME broken;
    char buffer[kFormatBufferSize];
    if (m_dt == 0.0 || !BreakDown(broken) ||
        GetDateFormatA(kUserDefaultLocale, (DWORD)flags, &broken, picture, buffer, kFormatBufferSize) == 0)
        return CQorString();
    return CQorString(buffer);
}

CQorString CQorDateTime::FormatShortDate() const { return FormatDate(DATE_SHORTDATE); }
CQorString CQorDateTime::FormatLongDate() const { return FormatDate(DATE_LONGDATE); }

CQorString CQorDateTime::FormatTime(unsigned long flags) const
{
    SYSTEMTIME broken;
    char buffer[kFormatBufferSize];
    if (!BreakDown(broken) ||
        GetTimeFormatA(kUserDefaultLocale, (DWORD)flags, &broken, nullptr, buffer, kFormatBufferSize) == 0)
        return CQorString();
    return CQorString(buffer);
}

CQorString CQorDateTime::FormatShortDateAndTime() const { return FormatShortDate() + " " + FormatTime(0); }

// The locale's text doubles as a strftime pattern: a '%' in it is expanded.
CQorString CQorDateTime::FormatLongDateAndTime() const
{
    return Format((FormatLongDate() + " " + FormatTime(0)).GetString());
}

CQorString CQorDateTime::FormatWDAndShortDT() const { return FormatDate(0, kWeekdayPicture) + FormatShortDateAndTime(); }

int CQorDateTime::ParseDateTime(const char *text, unsigned long flags, unsigned long locale)
{
    BSTR wide = CQorString(text).AllocSysString();
    HRESULT result = wide == nullptr ? E_OUTOFMEMORY : VarDateFromStr(wide, (LCID)locale, (ULONG)flags, &m_dt);
    if (SUCCEEDED(result)) {
        m_status = Valid;
    } else {
        m_dt = 0.0;
        m_status = Invalid;
    }
    SysFreeString(wide);
    return SUCCEEDED(result) ? 1 : 0;
}
