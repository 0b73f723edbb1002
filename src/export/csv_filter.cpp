#include "csv_filter.h"

#include "base/messages.h"

namespace qrp::exporter {

char CSVSeparator = '\0';

namespace {

std::string QuoteField(std::string_view text) {
    std::string field = "\"";
    for (const char byte : text) {
        if (byte == '"')
            field += '"';
        field += byte;
    }
    field += '"';
    return field;
}

}  // namespace

std::string TQRCommaSeparatedFilter::DescribeFilter() {
    return messages::csvFilterDescription();
}

std::string TQRCommaSeparatedFilter::DefaultExtension() {
    return "CSV";
}

std::string TQRCommaSeparatedFilter::ShownName() {
    return messages::csvFilterName();
}

void TQRCommaSeparatedFilter::WritePage() {
    for (std::int32_t line = 1; line <= FLinesUsed; ++line) {
        for (std::int32_t col = 1; col <= FColCount; ++col) {
            EmitText(QuoteField(GetCellText(col, line).Text));
            if (col == FColCount) {
                WriteLine({});
            } else {
                EmitText(std::string_view(&CSVSeparator, 1));
            }
        }
    }
}

TQRCSVFilter::TQRCSVFilter() : TQRFilterRegistration(FilterClassOf<TQRCommaSeparatedFilter>) {
    CSVSeparator = ',';
}

}  // namespace qrp::exporter
