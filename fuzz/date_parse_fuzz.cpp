// date_parse_fuzz.cpp: any text through CQorDateTime::ParseDateTime (and so VarDateFromStr), and as a
// date and a time picture: no crash, no hang, and every parsed value prints as an automation text
// that parses back to the same value.
#include "QorDateTime.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void CheckRoundTrip(const CQorDateTime &value)
{
    CQorString text = value.Format(0, LOCALE_USER_DEFAULT);
    CQorDateTime again;
    if ((double)value == 0.0 && text.IsEmpty())
        return; // 0.0 has no automation text
    if (!again.ParseDateTime(text.GetString()) || (double)again != (double)value)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    CQorDateTime value;
    for (unsigned long flags : {0ul, (unsigned long)VAR_TIMEVALUEONLY, (unsigned long)VAR_DATEVALUEONLY}) {
        if (value.ParseDateTime(text.c_str(), flags)) {
            if (value.GetStatus() != CQorDateTime::Valid || value.GetYear() < 100 || value.GetYear() > 9999)
                std::abort();
            CheckRoundTrip(value);
        } else if ((double)value != 0.0 || value.GetStatus() != CQorDateTime::Invalid) {
            std::abort();
        }
    }
    SYSTEMTIME when{2007, 3, 4, 29, 13, 5, 7, 0};
    char out[64];
    int length = GetDateFormatA(LOCALE_USER_DEFAULT, 0, &when, text.c_str(), out, sizeof out);
    if (length > (int)sizeof out || (length > 0 && out[length - 1] != '\0'))
        std::abort();
    length = GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &when, text.c_str(), out, sizeof out);
    if (length > (int)sizeof out || (length > 0 && out[length - 1] != '\0'))
        std::abort();
    return 0;
}
