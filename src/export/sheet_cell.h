// What a spreadsheet cell should hold for one text of a report's grid: a number (with the
// number format that shows exactly that text again), a date, or the text itself.
//
// A text becomes a number only when the format reproduces it character for character, so
// a workbook shows what the report showed and a total over the column is right: "57",
// "588.50", "33,544.50", "-1,234.5", "(1,234.00)", "12.5%". Leading zeros, signs a format
// would drop ("+5", "-0"), more than 15 significant digits (a double would change them),
// other separators and mixed text stay text. Of dates only ISO "yyyy-mm-dd" from
// 1900-03-01 on is taken (before it, spreadsheet programs disagree on the day count).
#pragma once

#include <string>
#include <string_view>

namespace qrp::exporter {

struct SheetCell {
    enum Kind { Text, Number, Date };
    Kind kind = Text;
    // Number: the value (percentages divided by 100). Date: days since 1899-12-30.
    double value = 0;
    // The number format of a Number or Date: "0", "#,##0.00", "0.0%;(0.0%)", "yyyy-mm-dd".
    std::string format;
};

// The cell for a UTF-8 text.
SheetCell ClassifyCell(std::string_view text);

// Days since 1899-12-30 (a spreadsheet's serial dates, a report's stamp) of 1970-01-01.
inline constexpr double kUnixEpochDay = 25569;
// True for a day count from 1900-01-01 to 9999-12-31.
bool IsDayCountDate(double days);

}  // namespace qrp::exporter
