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
    EXPECT_EQ(error.Severity(), CQorError::SeverityError);
    EXPECT_EQ(error.Customer(), 1);
    EXPECT_EQ(error.Facility(), CQorError::FacilityWin32);
    EXPECT_EQ(error.Status(), 0x5678);

    CQorError masked(0x10000000); // reserved bit set
    masked.Facility((CQorError::FacilityCode)0x1234);
    masked.Customer(2);                          // only bit 0 counts
    masked.Severity((CQorError::SeverityCode)6); // only the low two bits count
    EXPECT_EQ((DWORD)(HRESULT)masked, 0x92340000u) << "the reserved bit stays until Set clears it";
    EXPECT_TRUE(masked.Failed());
    EXPECT_TRUE(masked.IsWarning());
    EXPECT_FALSE(masked.IsError());
    masked.Set((unsigned short)1, CQorError::SeveritySuccess, CQorError::FacilityNull, 0);
    EXPECT_EQ((DWORD)(HRESULT)masked, 1u);

    EXPECT_TRUE(CQorError(QOR_I_LOG_ALREADY_OPEN).Succeeded());
    EXPECT_TRUE(CQorError(QOR_E_LOG_MUTEX_ABANDONED).IsError());
    // The shared log builds its warning and informational codes by changing the severity of an error.
    CQorError log((HRESULT)0xC4000067);
    log.Severity(CQorError::SeverityWarning);
    EXPECT_EQ((HRESULT)log, QOR_W_LOG_NO_FILE_NAME);
    log = (HRESULT)0xC40000CB;
    log.Severity(CQorError::SeverityInformational);
    EXPECT_EQ((HRESULT)log, QOR_I_LOG_ALREADY_OPEN);
}

TEST(QorError, IsTolmarCoversFacilities0x401To0x7FF)
{
    const struct {
        DWORD facility;
        int tolmar;
    } rows[] = {{0x400, 0}, {0x401, 1}, {0x7FF, 1}, {0x800, 0}, {7, 0}};
    for (const auto &row : rows) {
        CQorError error(0, CQorError::SeverityError, (CQorError::FacilityCode)row.facility, 0);
        EXPECT_EQ(error.IsTolmar(), row.tolmar) << "facility 0x" << std::hex << row.facility;
    }
}

TEST(QorError, PlatformErrorRules)
{
    CQorError member;
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ((DWORD)member.GetLastError(), 0xC0070002u);
    SetLastError(0);
    EXPECT_EQ((DWORD)member.GetLastError(), 0x00070000u);
    SetLastError(0x12345);
    EXPECT_EQ((DWORD)member.GetLastError(), 0xC0072345u);

    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ((DWORD)QorHResultFromLastError(), 0x80070002u);
    SetLastError(0);
    EXPECT_EQ(QorHResultFromLastError(), 0);
    SetLastError((DWORD)E_FAIL); // already a result code: passed through
    EXPECT_EQ(QorHResultFromLastError(), E_FAIL);
}

TEST(QorError, MessageTextOfPlatformCodes)
{
    CQorError standard((HRESULT)0x80070002);
    std::string standardText = (const char *)standard;
    CQorError member((HRESULT)0xC0070002);
    std::string memberText = (const char *)member;
    ASSERT_FALSE(standardText.empty());
    EXPECT_EQ(memberText, standardText) << "both forms find the text of error 2";
    ASSERT_GE(standardText.size(), 2u);
    EXPECT_EQ(standardText.substr(standardText.size() - 2), "\r\n") << "the platform's text is returned unchanged";

    CQorError library(QOR_E_REGISTRY_UNKNOWN_ROOT);
    EXPECT_EQ((const char *)library, CQorError::m_EmptyString) << "facilities above 16 have no text";
    EXPECT_STREQ((const char *)library, "");
}

TEST(QorError, TextIsOwnedByOneObject)
{
    InspectedError error((HRESULT)0x80070005);
    EXPECT_EQ(error.TextField(), CQorError::m_EmptyString);
    const char *text = error;
    EXPECT_NE(text, CQorError::m_EmptyString);

    InspectedError copy(error);
    EXPECT_EQ(copy.TextField(), CQorError::m_EmptyString) << "a copy never shares the text";
    EXPECT_EQ((HRESULT)copy, (HRESULT)0x80070005);

    error = (HRESULT)QOR_E_REGISTRY_UNKNOWN_ROOT;
    EXPECT_EQ(error.TextField(), text) << "assignment leaves the fetched text alone";
    EXPECT_STREQ((const char *)error, "") << "but a new request fetches afresh";

    error = (HRESULT)0x80070005;
    EXPECT_NE(std::strlen(error), 0u);
    EXPECT_EQ(error.Empty(), 0);
    EXPECT_EQ((HRESULT)error, 0);
    EXPECT_EQ(error.TextField(), CQorError::m_EmptyString);
}

} // namespace
