#include "text_filter.h"

#include <algorithm>

#include "base/errors.h"
#include "base/messages.h"
#include "output_file.h"
#include "rounding.h"

namespace qrp::exporter {

namespace {

// Narrows the character grid against the font size: about 12 columns per inch at 10 points.
constexpr long double kColumnFactor = 1.7L;
constexpr long double kMaxColumn = 65536;

// Writes text over the columns of line from 1-based position p on, as the text starts
// there; positions before 1 insert at the start, past the end append. A wide character
// that the text covers only half of leaves a blank in its other half.
void Overwrite(std::vector<TextCell>& line, std::int64_t p, std::vector<TextCell> text) {
    const auto size = static_cast<std::int64_t>(line.size());
    if (p >= 1 && p <= size) {
        const auto first = static_cast<std::size_t>(p - 1);
        const std::size_t last = std::min(line.size(), first + text.size());
        if (line[first].RightHalf())
            line[first - 1] = {" "};
        if (last < line.size() && line[last].RightHalf())
            line[last] = {" "};
        line.erase(line.begin() + static_cast<std::ptrdiff_t>(first), line.begin() + static_cast<std::ptrdiff_t>(last));
    }
    const std::int64_t at = p < 1 ? 0 : std::min(p - 1, static_cast<std::int64_t>(line.size()));
    line.insert(line.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(text.begin()),
                std::make_move_iterator(text.end()));
}

std::string Joined(const std::vector<TextCell>& line) {
    std::string bytes;
    for (const TextCell& cell : line)
        bytes += cell.Bytes;
    return bytes;
}

}  // namespace

std::string TQRAsciiExportFilter::DescribeFilter() {
    return messages::textFilterDescription();
}

std::string TQRAsciiExportFilter::DefaultExtension() {
    return messages::textFilterExtension();
}

std::string TQRAsciiExportFilter::ShownName() {
    return messages::textFilterName();
}

void TQRAsciiExportFilter::BeginExport(std::int32_t, std::int32_t PaperHeight, const TFont& Font) {
    FOutFile = CreateOutputFile(FFileName);
    FColumns = std::make_unique<DisplayColumns>(FTextEncoding);
    if (Font.Size == 0)
        throw Error(messages::floatingPointDivisionByZero());
    // 254 / 72 tenths of a millimetre per point; multiply before dividing, as output at exact halves depends on it.
    FCellHeight = Font.Size * 127.0L / 36.0L;
    FCellWidth = FCellHeight;
    FLinesUsed = static_cast<std::int32_t>(RoundHalfEven(PaperHeight / FCellHeight));
}

void TQRAsciiExportFilter::BeginPage() {
    FLines.clear();
}

void TQRAsciiExportFilter::AddText(long double X, long double Y, const TFont&, TColor, TAlignment Alignment,
                                   const std::string& Text) {
    std::vector<TextCell> text = FColumns->Cells(Text);
    long double c = X / FCellWidth * kColumnFactor;
    const long double r = Y / FCellHeight;
    if (Alignment == taRightJustify)
        c -= static_cast<long double>(text.size());
    // No text file line is that wide: an item so far right of the page is left out rather
    // than padding its line with gigabytes of blanks.
    if (c > kMaxColumn)
        return;
    Line& line = FLines[RoundHalfEven(r)];
    const std::int64_t p = RoundHalfEven(c);
    if (c > static_cast<long double>(line.size())) {
        // c > size makes p >= size, so this never goes negative.
        line.resize(static_cast<std::size_t>(p), {" "});
    }
    Overwrite(line, p, std::move(text));
}

void TQRAsciiExportFilter::FinishPage() {
    std::string page;
    for (auto it = FLines.begin(); it != FLines.end() && it->first < FLinesUsed; ++it) {
        if (it->second.empty())
            continue;
        page += Joined(it->second);
        page += "\r\n";
    }
    if (page.empty())
        return;
    if (!FOutFile)
        throw StreamError(messages::streamWriteError());
    FOutFile->WriteBuffer(page.data(), page.size());
}

std::map<std::int64_t, std::string> TQRAsciiExportFilter::Lines() const {
    std::map<std::int64_t, std::string> lines;
    for (const auto& [index, line] : FLines)
        lines.emplace(index, Joined(line));
    return lines;
}

void TQRAsciiExportFilter::EndExport() {
    if (FOutFile)
        FOutFile->Close();
    FOutFile.reset();
}

TQRTextFilter::TQRTextFilter() : TQRFilterRegistration(FilterClassOf<TQRAsciiExportFilter>) {}

}  // namespace qrp::exporter
