// QorError.cpp: result codes: their fields, the member rule for the last Win32 error, and the
// platform's message text.
#include "QorError.h"

#include "QorPlatform.h"

// Four zero bytes that stand for every empty text; never written.
static char s_emptyText[4] = {0, 0, 0, 0};
char *CQorError::m_EmptyString = s_emptyText;

namespace {

constexpr DWORD kSeverityMask = 0xC0000000u;
constexpr DWORD kCustomerMask = 0x20000000u;
constexpr DWORD kReservedMask = 0x10000000u;
constexpr DWORD kFacilityMask = 0x0FFF0000u;
constexpr DWORD kStatusMask = 0x0000FFFFu;
constexpr LONG kLastPlatformFacility = 16; // only the platform's facilities have message texts

// Fields are combined on the unsigned image of the code: shifting into bit 31 of a signed value is
// not defined behaviour.
HRESULT WithField(HRESULT code, DWORD mask, DWORD value)
{
    return (HRESULT)(((DWORD)code & ~mask) | (value & mask));
}

} // namespace

CQorError::CQorError(HRESULT code) : m_hrCode(code), m_pszText(m_EmptyString) {}

CQorError::CQorError(const CQorError &other) : m_hrCode(other.m_hrCode), m_pszText(m_EmptyString) {}

CQorError::CQorError(unsigned short status, SeverityCode severity, FacilityCode facility, int customer)
    : m_hrCode(0), m_pszText(nullptr)
{
    Status(status);
    Facility(facility);
    Severity(severity);
    Customer(customer);
    Reserved();
}

CQorError::~CQorError() { Empty(); }

CQorError &CQorError::operator=(HRESULT code)
{
    m_hrCode = code;
    return *this;
}

CQorError &CQorError::operator=(const CQorError &other)
{
    m_hrCode = other.m_hrCode;
    return *this;
}

CQorError::SeverityCode CQorError::Severity() const { return (SeverityCode)((DWORD)m_hrCode >> 30); }

CQorError::FacilityCode CQorError::Facility() const
{
    return (FacilityCode)(((DWORD)m_hrCode & kFacilityMask) >> 16);
}

int CQorError::Customer() const { return ((DWORD)m_hrCode & kCustomerMask) ? 1 : 0; }

unsigned short CQorError::Status() const { return (unsigned short)((DWORD)m_hrCode & kStatusMask); }

void CQorError::Severity(SeverityCode severity) { m_hrCode = WithField(m_hrCode, kSeverityMask, (DWORD)severity << 30); }

void CQorError::Facility(FacilityCode facility)
{
    m_hrCode = WithField(m_hrCode, kFacilityMask, ((DWORD)facility & 0xFFFu) << 16);
}

void CQorError::Customer(int customer) { m_hrCode = WithField(m_hrCode, kCustomerMask, ((DWORD)customer & 1u) << 29); }

void CQorError::Status(unsigned short status) { m_hrCode = WithField(m_hrCode, kStatusMask, status); }

void CQorError::Reserved() { m_hrCode = WithField(m_hrCode, kReservedMask, 0); }

HRESULT CQorError::Set(unsigned short status, SeverityCode severity, FacilityCode facility, int customer)
{
    Status(status);
    Facility(facility);
    Customer(customer);
    Reserved();
    // A zero status is a success whatever severity was asked for: error 0 becomes 0x00070000.
    Severity(status == 0 ? SeveritySuccess : severity);
    return m_hrCode;
}

HRESULT CQorError::Set(HRESULT value, SeverityCode severity, FacilityCode facility, int customer)
{
    return Set((unsigned short)((DWORD)value & kStatusMask), severity, facility, customer);
}

HRESULT CQorError::GetLastError()
{
    return Set((HRESULT)::GetLastError(), SeverityError, FacilityWin32, 0);
}

HRESULT QorHResultFromWin32Member(DWORD error)
{
    return CQorError().Set((HRESULT)error, CQorError::SeverityError, CQorError::FacilityWin32, 0);
}

HRESULT CQorError::Empty()
{
    m_hrCode = 0;
    FreeText();
    return 0;
}

int CQorError::IsTolmar() const
{
    LONG facility = Facility();
    return facility > FacilityLibrary && facility < 0x800;
}

void CQorError::FreeText()
{
    if (m_pszText != nullptr && m_pszText != m_EmptyString) {
        LocalFree(m_pszText);
        m_pszText = m_EmptyString;
    }
}

CQorError::operator const char *()
{
    FreeText();
    if (Facility() <= kLastPlatformFacility) {
        const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM;
        const DWORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
        char *text = nullptr;
        // The whole code first; then its status alone, which finds the text of codes that the
        // member rule built (0xC0070002 has no text of its own, error 2 has).
        if (FormatMessageA(flags, nullptr, (DWORD)m_hrCode, language, (LPSTR)&text, 0, nullptr) == 0)
            FormatMessageA(flags, nullptr, Status(), language, (LPSTR)&text, 0, nullptr);
        if (text != nullptr)
            m_pszText = text;
    }
    if (m_pszText == nullptr)
        m_pszText = m_EmptyString;
    return m_pszText;
}
