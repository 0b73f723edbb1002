#include "html_filter.h"

#include <cstdio>

#include "base/messages.h"

namespace qrp::exporter {

namespace {

constexpr std::string_view kTableStart = "<TABLE WIDTH=100% CELLPADDING=2 BORDER=0>";

std::string EscapeMarkup(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char byte : text) {
        switch (byte) {
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '&':
                escaped += "&amp;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += byte;
        }
    }
    return escaped;
}

}  // namespace

int FontSizeClass(std::int32_t Size) {
    if (Size <= 8)
        return 0;
    if (Size <= 10)
        return 1;
    if (Size <= 12)
        return 2;
    if (Size <= 14)
        return 3;
    if (Size <= 18)
        return 4;
    if (Size <= 24)
        return 5;
    return 7;
}

std::string RelativeFontSize(std::int32_t Size, std::int32_t BaseSize) {
    const int difference = FontSizeClass(Size) - FontSizeClass(BaseSize);
    return (difference < 0 ? "" : "+") + std::to_string(difference);
}

std::string ColorToHex(TColor Color) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%06X", static_cast<std::uint32_t>(Color));
    return {digits[4], digits[5], digits[2], digits[3], digits[0], digits[1]};
}

std::string TQRHTMLDocumentFilter::DescribeFilter() {
    return messages::htmlFilterDescription();
}

std::string TQRHTMLDocumentFilter::DefaultExtension() {
    return "HTM";
}

std::string TQRHTMLDocumentFilter::ShownName() {
    return messages::htmlFilterName();
}

bool TQRHTMLDocumentFilter::ContinuousLayout() {
    return true;
}

void TQRHTMLDocumentFilter::OpenOutput(const std::string& FileName) {
    if (FileName.empty()) {
        FStream = std::make_unique<MemoryStream>();
        FOwnsStream = false;
    } else {
        FOwnsStream = true;
        TQRAbstractExportFilter::OpenOutput(FileName);
    }
}

void TQRHTMLDocumentFilter::CloseOutput() {
    if (FOwnsStream)
        TQRAbstractExportFilter::CloseOutput();
}

std::unique_ptr<MemoryStream> TQRHTMLDocumentFilter::TakeMemoryStream() {
    if (FOwnsStream || !dynamic_cast<MemoryStream*>(FStream.get()))
        return nullptr;
    return std::unique_ptr<MemoryStream>(static_cast<MemoryStream*>(FStream.release()));
}

void TQRHTMLDocumentFilter::WritePage() {
    EmitText(kTableStart);
    for (std::int32_t line = 1; line <= FLinesUsed; ++line) {
        EmitText("<TR>");
        for (std::int32_t col = 1; col <= FColCount; ++col) {
            EmitText("<TD>");
            EmitText(CellMarkup(GetCellText(col, line)));
            EmitText("</TD>");
        }
        WriteLine("</TR>");
    }
    EmitText("</TABLE>");
}

std::string TQRHTMLDocumentFilter::CellMarkup(const TCellText& cell) const {
    if (cell.Text.empty())
        return {};
    std::string attributes;
    if (cell.Font->Color != FFont.Color)
        attributes = "COLOR=\"#" + ColorToHex(cell.Font->Color) + "\"";
    // Only a size attribute makes the start tag read "<FONT  SIZE=": two blanks.
    if (cell.Font->Size != FFont.Size)
        attributes += " SIZE=" + RelativeFontSize(cell.Font->Size, FFont.Size);
    const std::string text = EscapeMarkup(cell.Text);
    return attributes.empty() ? text : "<FONT " + attributes + ">" + text + "</FONT>";
}

TQRHTMLFilter::TQRHTMLFilter() : TQRFilterRegistration(FilterClassOf<TQRHTMLDocumentFilter>) {}

}  // namespace qrp::exporter
