// QorError_test.cpp: result codes: field layout and masks, the two rules for platform errors, and
// message texts.
#include "QorError.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Reads the text field, which only the class itself may change.
class InspectedError : public CQorError {
public:
    using CQorError::CQorError;
    const char *TextField() const { return m_pszText; }
    using CQorError::operator=;
};

TEST(QorError, FieldsSettersAndSeverity)
{
    // The constructor keeps the severity it is given; Set makes a zero status a success.
    EXPECT_EQ((DWORD)(HRESULT)CQorError(0, CQorError::SeverityError, CQorError::FacilityWin32, 0), 0xC0070000u);
    CQorError error;
    EXPECT_EQ((DWORD)error.Set((unsigned short)0, CQorError::SeverityError, CQorError::FacilityWin32, 0), 0x00070000u);
    EXPECT_EQ((DWORD)error.Set((HRESULT)0x12345678, CQorError::SeverityError, CQorError::FacilityWin32, 1), 0xE0075678u);
    EXPECT_TRUE(error.Severity() == CQorError::SeverityError && error.Customer() == 1 &&
                error.Facility() == CQorError::FacilityWin32 && error.Status() == 0x5678);

    CQorError masked(0x10000000); // reserved bit set
    masked.Facility((CQorError::FacilityCode)0x1234);
    masked.Customer(2);                          // only bit 0 counts
    masked.Severity((CQorError::SeverityCode)6); // only the low two bits count
    EXPECT_EQ((DWORD)(HRESULT)masked, 0x92340000u) << "the reserved bit stays until Set clears it";
    EXPECT_TRUE(masked.Failed() && masked.IsWarning() && !masked.IsError());
    masked.Set((unsigned short)1, CQorError::SeveritySuccess, CQorError::FacilityNull, 0);
    EXPECT_EQ((DWORD)(HRESULT)masked, 1u);

    EXPECT_TRUE(CQorError(QOR_I_LOG_ALREADY_OPEN).Succeeded() && CQorError(QOR_E_LOG_MUTEX_ABANDONED).IsError());
    // The shared log builds its warning and informational codes by changing the severity of an error.
    CQorError log((HRESULT)0xC4000067);
    CQorError open((HRESULT)0xC40000CB);
    log.Severity(CQorError::SeverityWarning);
    open.Severity(CQorError::SeverityInformational);
    EXPECT_TRUE((HRESULT)log == QOR_W_LOG_NO_FILE_NAME && (HRESULT)open == QOR_I_LOG_ALREADY_OPEN);
}

TEST(QorError, IsTolmarCoversFacilities0x401To0x7FF)
{
    const struct { DWORD facility; int tolmar; } rows[] = {{0x400, 0}, {0x401, 1}, {0x7FF, 1}, {0x800, 0}, {7, 0}};
    for (const auto &row : rows) {
        CQorError error(0, CQorError::SeverityError, (CQorError::FacilityCode)row.facility, 0);
        EXPECT_EQ(error.IsTolmar(), row.tolmar) << "facility 0x" << std::hex << row.facility;
    }
}

TEST(QorError, PlatformErrorRules)
{
    // The member rule, then the standard rule, which passes a result code through.
    struct { DWORD error, member, standard; } rows[] = {
        {ERROR_FILE_NOT_FOUND, 0xC0070002u, 0x80070002u}, {0, 0x00070000u, 0}, {0x12345, 0xC0072345u, 0x80072345u},
        {(DWORD)E_FAIL, 0xC0074005u, (DWORD)E_FAIL}};
    for (const auto &row : rows) {
        CQorError member;
        SetLastError(row.error);
        EXPECT_EQ(row.member, (DWORD)member.GetLastError()) << std::hex << row.error;
        SetLastError(row.error);
        EXPECT_EQ(row.standard, (DWORD)QorHResultFromLastError()) << std::hex << row.error;
    }
}

TEST(QorError, MessageTextOfPlatformCodes)
{
    CQorError standard((HRESULT)0x80070002);
    std::string standardText = (const char *)standard;
    CQorError member((HRESULT)0xC0070002);
    std::string memberText = (const char *)member;
    ASSERT_GE(standardText.size(), 2u);
    EXPECT_EQ(memberText, standardText) << "both forms find the text of error 2";
    EXPECT_EQ(standardText.substr(standardText.size() - 2), "\r\n") << "the platform's text is returned unchanged";
    CQorError library(QOR_E_REGISTRY_UNKNOWN_ROOT);
    EXPECT_EQ((const char *)library, CQorError::m_EmptyString) << "facilities above 16 have no text";
}

TEST(QorError, TextIsOwnedByOneObject)
{
    InspectedError error((HRESULT)0x80070005);
    EXPECT_EQ(error.TextField(), CQorError::m_EmptyString);
    const char *text = error;
    EXPECT_NE(text, CQorError::m_EmptyString);

    InspectedError copy(error);
    EXPECT_TRUE(copy.TextField() == CQorError::m_EmptyString && (HRESULT)copy == (HRESULT)0x80070005) << "never shared";

    error = (HRESULT)QOR_E_REGISTRY_UNKNOWN_ROOT;
    EXPECT_EQ(error.TextField(), text) << "assignment leaves the fetched text alone";
    EXPECT_STREQ((const char *)error, "") << "but a new request fetches afresh";

    error = (HRESULT)0x80070005;
    EXPECT_NE(std::strlen(error), 0u);
    EXPECT_TRUE(error.Empty() == 0 && (HRESULT)error == 0 && error.TextField() == CQorError::m_EmptyString);
}

} // namespace
