#include "sheet_cell.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <optional>

namespace qrp::exporter {

namespace {

// A double holds 15 significant decimal digits exactly; spreadsheet programs show no more.
constexpr std::size_t kMaxSignificantDigits = 15;
// Day count of 1900-03-01: before it, programs count days differently.
constexpr double kFirstSafeDay = 61;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t DigitRun(std::string_view text, std::size_t from) {
    std::size_t end = from;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    return end - from;
}

std::optional<SheetCell> AsNumber(std::string_view text) {
    const bool brackets = text.size() >= 2 && text.front() == '(' && text.back() == ')';
    const bool minus = !brackets && !text.empty() && text.front() == '-';
    if (brackets)
        text = text.substr(1, text.size() - 2);
    else if (minus)
        text.remove_prefix(1);
    const bool percent = !text.empty() && text.back() == '%';
    if (percent)
        text.remove_suffix(1);

    // Integer digits, then ",ddd" groups, then ".d..." decimals: nothing else.
    std::size_t at = DigitRun(text, 0);
    const std::size_t leading = at;
    if (leading == 0 || (leading > 1 && text[0] == '0'))
        return std::nullopt;
    std::string digits(text.substr(0, leading));
    bool grouped = false;
    while (at < text.size() && text[at] == ',') {
        if (leading > 3 || text[0] == '0' || DigitRun(text, at + 1) != 3)
            return std::nullopt;
        digits.append(text.substr(at + 1, 3));
        at += 4;
        grouped = true;
    }
    const std::size_t integerDigits = digits.size();
    std::size_t decimals = 0;
    if (at < text.size() && text[at] == '.') {
        decimals = DigitRun(text, at + 1);
        if (decimals == 0)
            return std::nullopt;
        digits.append(text.substr(at + 1, decimals));
        at += 1 + decimals;
    }
    if (at != text.size())
        return std::nullopt;

    const std::size_t significant = digits.find_first_not_of('0');
    // A negative zero would show without its sign.
    if (significant == std::string::npos ? minus || brackets : digits.size() - significant > kMaxSignificantDigits)
        return std::nullopt;

    std::string plain = digits.substr(0, integerDigits);
    if (decimals > 0)
        plain += '.' + digits.substr(integerDigits);
    if (percent)
        plain += "e-2";  // parsed, not divided: the nearest double to the shown value
    SheetCell cell{SheetCell::Number, 0, {}};
    std::from_chars(plain.data(), plain.data() + plain.size(), cell.value);
    if (minus || brackets)
        cell.value = -cell.value;

    std::string body = grouped ? "#,##0" : "0";
    if (decimals > 0)
        body += '.' + std::string(decimals, '0');
    if (percent)
        body += '%';
    cell.format = brackets ? body + ";(" + body + ')' : body;
    return cell;
}

int TwoDigits(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

std::optional<SheetCell> AsIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || DigitRun(text, 0) != 4 || DigitRun(text, 5) != 2 ||
        DigitRun(text, 8) != 2)
        return std::nullopt;
    std::tm day{};
    day.tm_year = TwoDigits(text, 0) * 100 + TwoDigits(text, 2) - 1900;
    day.tm_mon = TwoDigits(text, 5) - 1;
    day.tm_mday = TwoDigits(text, 8);
    const std::tm asked = day;
    const std::time_t seconds = timegm(&day);
    // timegm carries a day or month out of range into the next; such a text is no date.
    if (day.tm_year != asked.tm_year || day.tm_mon != asked.tm_mon || day.tm_mday != asked.tm_mday)
        return std::nullopt;
    const double serial = static_cast<double>(seconds / 86400) + kUnixEpochDay;
    if (serial < kFirstSafeDay)
        return std::nullopt;
    return SheetCell{SheetCell::Date, serial, "yyyy-mm-dd"};
}

}  // namespace

SheetCell ClassifyCell(std::string_view text) {
    if (auto number = AsNumber(text))
        return *number;
    if (auto date = AsIsoDate(text))
        return *date;
    return {};
}

bool IsDayCountDate(double days) {
    return std::isfinite(days) && days >= 2 && days < 2958466;
}

}  // namespace qrp::exporter
