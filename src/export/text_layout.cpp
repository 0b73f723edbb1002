#include "text_layout.h"

#include <algorithm>
#include <tuple>

#include "base/errors.h"
#include "base/messages.h"
#include "output_file.h"
#include "rounding.h"

namespace qrp::exporter {

namespace {

// Large enough that a page costs few writes, small enough to keep memory flat.
constexpr std::size_t kFlushThreshold = 64 * 1024;

}  // namespace

void TQRPositions::AddPosition(long double Value) {
    if (!FCollecting)
        return;
    if (FIndex.try_emplace(RoundHalfEven(Value), FItems.size()).second)
        FItems.push_back({Value});
}

void TQRPositions::NumberPositions() {
    FCollecting = false;
    // Distinct rounded keys in ascending order are the ascending order of the positions
    // themselves, as rounding never reverses two values.
    std::vector<std::pair<std::int64_t, std::size_t>> order(FIndex.begin(), FIndex.end());
    std::sort(order.begin(), order.end());
    std::int32_t number = 0;
    for (const auto& [key, index] : order) {
        FItems[index].Number = ++number;
        FItems[index].Numbered = true;
    }
}

std::int32_t TQRPositions::PositionNumber(long double Value) const {
    const auto found = FIndex.find(RoundHalfEven(Value));
    return found == FIndex.end() ? 0 : FItems[found->second].Number;
}

std::string TQRAbstractExportFilter::DescribeFilter() {
    return {};
}

std::string TQRAbstractExportFilter::DefaultExtension() {
    return {};
}

std::string TQRAbstractExportFilter::ShownName() {
    return "QRAbstract";
}

void TQRAbstractExportFilter::BeginExport(std::int32_t SheetWidth, std::int32_t PaperHeight, const TFont& Font) {
    OpenOutput(FFileName);
    FEntries.clear();
    FFont = Font;
    TQRExportFilter::BeginExport(SheetWidth, PaperHeight, Font);
}

void TQRAbstractExportFilter::FinishPage() {
    BuildPageGrid();
    FlushOutput();
    ClearEntries();
}

void TQRAbstractExportFilter::EndExport() {
    ClearEntries();
    FEntries.shrink_to_fit();
    FFont = {};
    CloseOutput();
    TQRExportFilter::EndExport();
}

void TQRAbstractExportFilter::BeginPage() {
    if (!FEntries.empty())
        ClearEntries();
}

void TQRAbstractExportFilter::AddText(long double X, long double Y, const TFont& Font, TColor, TAlignment Alignment,
                                      const std::string& Text) {
    FEntries.push_back({Text, X, Y, Alignment, Font});
}

void TQRAbstractExportFilter::OpenOutput(const std::string& FileName) {
    FStream = CreateOutputFile(FileName);
}

void TQRAbstractExportFilter::CloseOutput() {
    // Close explicitly: a full disk may only show here, and the export must not pass as complete.
    if (auto* file = dynamic_cast<FileStream*>(FStream.get()))
        file->Close();
    FStream.reset();
}

void TQRAbstractExportFilter::BuildPageGrid() {
    AssignColumns();
    AssignLines();
    IndexCells();
    WritePage();
}

void TQRAbstractExportFilter::WritePage() {}

void TQRAbstractExportFilter::EmitText(std::string_view S) {
    FPending += S;
    if (FPending.size() >= kFlushThreshold)
        FlushOutput();
}

void TQRAbstractExportFilter::WriteLine(std::string_view S) {
    EmitText(S);
    EmitText("\r\n");
}

void TQRAbstractExportFilter::ClearEntries() {
    FEntries.clear();
    FCells.clear();
}

TCellText TQRAbstractExportFilter::GetCellText(std::int32_t Col, std::int32_t Line) const {
    const auto found = std::lower_bound(FCells.begin(), FCells.end(), std::pair{Line, Col},
                                        [](const CellRef& cell, const std::pair<std::int32_t, std::int32_t>& key) {
                                            return std::pair{cell.Line, cell.Col} < key;
                                        });
    if (found == FCells.end() || found->Line != Line || found->Col != Col)
        return {};
    const TTextEntry& entry = FEntries[found->Entry];
    return {entry.Text, &entry.Font};
}

void TQRAbstractExportFilter::AssignColumns() {
    FColCount = NumberAxis(&TTextEntry::X);
}

void TQRAbstractExportFilter::AssignLines() {
    FLinesUsed = NumberAxis(&TTextEntry::Y);
}

std::int32_t TQRAbstractExportFilter::NumberAxis(long double TTextEntry::*axis) {
    TQRPositions positions;
    positions.StartCollecting();
    for (const TTextEntry& entry : FEntries)
        positions.AddPosition(entry.*axis);
    positions.NumberPositions();
    std::int32_t highest = 0;
    for (TTextEntry& entry : FEntries) {
        const std::int32_t number = positions.PositionNumber(entry.*axis);
        entry.*axis = number;
        highest = std::max(highest, number);
    }
    return highest;
}

void TQRAbstractExportFilter::IndexCells() {
    FCells.clear();
    FCells.reserve(FEntries.size());
    for (std::size_t i = 0; i < FEntries.size(); ++i) {
        // Every entry has a column and a line: NumberPositions leaves no position out.
        FCells.push_back({static_cast<std::int32_t>(FEntries[i].Y), static_cast<std::int32_t>(FEntries[i].X), i});
    }
    // Stable, so the first arrival of each cell comes first and the rest are dropped.
    std::stable_sort(FCells.begin(), FCells.end(), [](const CellRef& a, const CellRef& b) {
        return std::tie(a.Line, a.Col) < std::tie(b.Line, b.Col);
    });
    FCells.erase(std::unique(FCells.begin(), FCells.end(),
                             [](const CellRef& a, const CellRef& b) { return a.Line == b.Line && a.Col == b.Col; }),
                 FCells.end());
}

void TQRAbstractExportFilter::FlushOutput() {
    if (FPending.empty())
        return;
    const bool complete = FStream && FStream->Write(FPending.data(), FPending.size()) == FPending.size();
    // Dropped either way: a caller that goes on after the error must not get these bytes twice.
    FPending.clear();
    if (!complete)
        throw StreamError(messages::streamWriteError());
}

}  // namespace qrp::exporter
