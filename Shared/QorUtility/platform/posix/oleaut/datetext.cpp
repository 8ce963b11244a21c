// datetext.cpp: reads the date and time texts that en-US automation accepts. The text is cut into
// numbers, words (month and weekday names, AM and PM) and separators; a number followed by ':' or by
// AM/PM starts the time, the other numbers and a month name make the date, ordered month/day/year
// unless a number can only be a year (three or more digits, or above 31), and with day and month
// swapped when the month would exceed 12.
#include "oleaut/datetext.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace qor::platform {

namespace {

constexpr int kLongestNumber = 9; // digits; longer numbers are no date part

struct Token {
    enum Kind { kNumber, kMonth, kWeekday, kMeridiem, kSeparator } kind;
    int value = 0;  // the number, the month 1..12, 12 for PM and 0 for AM, or the separator character
    int digits = 0; // of a number
};

const char *const kMonths[] = {"january", "february", "march",     "april",   "may",      "june",
                               "july",    "august",   "september", "october", "november", "december"};
const char *const kWeekdays[] = {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};

// The index of `word` in `names` as a whole name or its first three letters, or -1.
int FindName(const std::string &word, const char *const *names, int count)
{
    for (int i = 0; i < count; ++i)
        if (word == names[i] || (word.size() == 3 && word.compare(0, 3, names[i], 3) == 0))
            return i;
    return -1;
}

bool WordToken(const std::string &word, Token &token)
{
    int index;
    if ((index = FindName(word, kMonths, 12)) >= 0)
        token = {Token::kMonth, index + 1};
    else if (FindName(word, kWeekdays, 7) >= 0)
        token = {Token::kWeekday};
    else if (word == "am" || word == "pm")
        token = {Token::kMeridiem, word == "pm" ? 12 : 0};
    else
        return false;
    return true;
}

bool Tokenize(const std::u16string &text, std::vector<Token> &tokens)
{
    for (size_t at = 0; at < text.size();) {
        char16_t ch = text[at];
        if (ch < 0x80 && std::isdigit(ch)) {
            Token number{Token::kNumber};
            for (; at < text.size() && text[at] < 0x80 && std::isdigit(text[at]); ++at, ++number.digits) {
                if (number.digits == kLongestNumber)
                    return false;
                number.value = number.value * 10 + (text[at] - '0');
            }
            tokens.push_back(number);
        } else if (ch < 0x80 && std::isalpha(ch)) {
            std::string word;
            for (; at < text.size() && text[at] < 0x80 && std::isalpha(text[at]); ++at)
                word += static_cast<char>(std::tolower(text[at]));
            Token token{};
            if (!WordToken(word, token))
                return false;
            tokens.push_back(token);
        } else if (ch < 0x80 && std::strchr(" \t,/-:", static_cast<char>(ch)) != nullptr) {
            tokens.push_back({Token::kSeparator, ch});
            ++at;
        } else {
            return false;
        }
    }
    return true;
}

bool IsBlank(const Token &token) { return token.kind == Token::kSeparator && (token.value == ' ' || token.value == '\t'); }
bool IsSeparator(const Token &token, char ch) { return token.kind == Token::kSeparator && token.value == ch; }

class DateTextReader {
public:
    explicit DateTextReader(const std::vector<Token> &tokens) : m_tokens(tokens) {}

    bool Read(DateText &result)
    {
        for (m_at = 0; m_at < m_tokens.size();) {
            if (!ReadOne(result))
                return false;
        }
        return (result.hasTime || !m_dateParts.empty()) && (m_dateParts.empty() || AssembleDate(result));
    }

private:
    struct DatePart {
        bool isMonthName;
        int value, digits;
    };

    bool ReadOne(DateText &result)
    {
        const Token &token = m_tokens[m_at];
        if (token.kind == Token::kNumber && (NextIs(':') || MeridiemFollows()))
            return !result.hasTime && ReadTime(result);
        if (token.kind == Token::kNumber || token.kind == Token::kMonth) {
            m_dateParts.push_back({token.kind == Token::kMonth, token.value, token.digits});
            ++m_at;
            return !IsDateSeparatorAt(m_at) || PartFollowsSeparator();
        }
        if (token.kind == Token::kWeekday || IsBlank(token) || IsSeparator(token, ',')) {
            ++m_at;
            return true;
        }
        return false; // a date separator without a part before it, a stray ':' or AM/PM
    }

    bool NextIs(char ch) const { return m_at + 1 < m_tokens.size() && IsSeparator(m_tokens[m_at + 1], ch); }

    // The index of the meridiem after position `from`, blanks skipped, or 0.
    size_t MeridiemAfter(size_t from) const
    {
        size_t at = from;
        while (at < m_tokens.size() && IsBlank(m_tokens[at]))
            ++at;
        return at < m_tokens.size() && m_tokens[at].kind == Token::kMeridiem ? at : 0;
    }
    bool MeridiemFollows() const { return MeridiemAfter(m_at + 1) != 0; }

    bool IsDateSeparatorAt(size_t at) const
    {
        return at < m_tokens.size() && (IsSeparator(m_tokens[at], '/') || IsSeparator(m_tokens[at], '-'));
    }
    // "1/2/" and "1//2" are no dates: a '/' or '-' leads to a number or a month name.
    bool PartFollowsSeparator()
    {
        ++m_at;
        return m_at < m_tokens.size() &&
               (m_tokens[m_at].kind == Token::kNumber || m_tokens[m_at].kind == Token::kMonth);
    }

    // h[:m[:s]] [AM|PM]: an hour alone needs the marker.
    bool ReadTime(DateText &result)
    {
        int fields[3] = {0, 0, 0};
        int count = 0;
        for (;;) {
            fields[count++] = m_tokens[m_at++].value;
            if (count == 3 || m_at >= m_tokens.size() || !IsSeparator(m_tokens[m_at], ':'))
                break;
            if (++m_at >= m_tokens.size() || m_tokens[m_at].kind != Token::kNumber)
                return false;
        }
        if (m_at < m_tokens.size() && IsSeparator(m_tokens[m_at], ':'))
            return false;
        int hour = fields[0];
        if (size_t marker = MeridiemAfter(m_at)) {
            if (hour <= 12)
                hour = hour % 12 + m_tokens[marker].value;
            m_at = marker + 1;
        } else if (count == 1) {
            return false;
        }
        if (hour > 23 || fields[1] > 59 || fields[2] > 59)
            return false;
        result.hasTime = true;
        result.hour = hour;
        result.minute = fields[1];
        result.second = fields[2];
        return true;
    }

    static bool CanOnlyBeYear(const DatePart &part) { return part.digits >= 3 || part.value > 31; }

    // Years below 100 as automation reads them: 00..49 are 2000..2049, 50..99 are 1950..1999.
    static int FullYear(const DatePart &part)
    {
        if (part.value >= 100)
            return part.value;
        return part.value + (part.value < 50 ? 2000 : 1900); // "099" too, as en-US automation reads it
    }

    bool AssembleDate(DateText &result) const
    {
        std::vector<DatePart> numbers;
        int monthName = 0;
        for (const DatePart &part : m_dateParts) {
            if (part.isMonthName) {
                if (monthName != 0)
                    return false;
                monthName = part.value;
            } else {
                numbers.push_back(part);
            }
        }
        bool ok = monthName != 0 ? WithMonthName(monthName, numbers, result) : NumbersOnly(numbers, result);
        result.hasDate = ok;
        return ok && (result.year == 0 || (result.year >= 100 && result.year <= 9999)) && result.month >= 1 && result.month <= 12 &&
               result.day >= 1 && result.day <= 31;
    }

    bool WithMonthName(int month, const std::vector<DatePart> &numbers, DateText &result) const
    {
        result.month = month;
        if (numbers.size() == 1) {
            bool isDay = !CanOnlyBeYear(numbers[0]);
            result.day = isDay ? numbers[0].value : 1;
            result.year = isDay ? 0 : FullYear(numbers[0]);
            return true;
        }
        if (numbers.size() != 2)
            return false;
        bool yearFirst = CanOnlyBeYear(numbers[0]);
        result.year = FullYear(numbers[yearFirst ? 0 : 1]);
        result.day = numbers[yearFirst ? 1 : 0].value;
        return true;
    }

    bool NumbersOnly(const std::vector<DatePart> &numbers, DateText &result) const
    {
        if (numbers.size() == 2 && (CanOnlyBeYear(numbers[0]) || CanOnlyBeYear(numbers[1]))) { // month and year
            bool yearFirst = CanOnlyBeYear(numbers[0]);
            result.month = numbers[yearFirst ? 1 : 0].value;
            result.day = 1;
            result.year = FullYear(numbers[yearFirst ? 0 : 1]);
            return true;
        }
        if (numbers.size() == 2) {
            result.month = numbers[0].value;
            result.day = numbers[1].value;
            result.year = 0;
        } else if (numbers.size() == 3) {
            bool yearFirst = CanOnlyBeYear(numbers[0]);
            result.year = FullYear(numbers[yearFirst ? 0 : 2]);
            result.month = numbers[yearFirst ? 1 : 0].value;
            result.day = numbers[yearFirst ? 2 : 1].value;
        } else {
            return false;
        }
        if (result.month > 12 && result.day <= 12)
            std::swap(result.month, result.day);
        return true;
    }

    const std::vector<Token> &m_tokens;
    size_t m_at = 0;
    std::vector<DatePart> m_dateParts;
};

} // namespace

bool ReadDateText(const std::u16string &text, DateText &result)
{
    std::vector<Token> tokens;
    tokens.reserve(16); // a date and a time with their separators
    result = DateText();
    return Tokenize(text, tokens) && DateTextReader(tokens).Read(result);
}

} // namespace qor::platform
