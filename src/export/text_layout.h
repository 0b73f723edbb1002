// The base of the formats that write a page as a grid of cells (comma separated, HTML).
// It collects the text items of a page and, when the page ends, makes every distinct
// rounded X a column and every distinct rounded Y a line, both numbered from 1 in
// ascending order; the format then walks the grid with GetCellText.
//
// The grid is built in O(n log n) for n items (hashing and sorting the distinct positions,
// indexing the first item of each cell), so a whole report sent as one continuous page
// stays cheap; writing costs one O(log n) lookup per cell on top.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "export_filter.h"
#include "report/stream.h"

namespace qrp::exporter {

struct TTextEntry {
    std::string Text;
    // As received until the page is laid out; then the column and the line number.
    long double X = 0;
    long double Y = 0;
    TAlignment Alignment = taLeftJustify;  // kept, though no grid format reads it
    TFont Font;
};

struct TQRPositionEntry {
    long double Position;  // the exact value of the first item that made this position
    std::int32_t Number = 0;
    bool Numbered = false;
};

// The distinct rounded values of one axis of a page.
class TQRPositions {
  public:
    void StartCollecting() { FCollecting = true; }
    // Ignored unless collecting; a value whose rounding is listed already adds nothing.
    void AddPosition(long double Value);
    // Stops collecting and numbers the positions 1, 2, ... in ascending order. Every
    // position takes part, also those at or below 0 and non-finite ones, so no item of
    // a page is left without a cell.
    void NumberPositions();
    // The number of the position Value rounds to; 0 when it is not listed.
    std::int32_t PositionNumber(long double Value) const;

    const std::vector<TQRPositionEntry>& Items() const { return FItems; }
    bool Collecting() const { return FCollecting; }

  private:
    std::vector<TQRPositionEntry> FItems;
    std::unordered_map<std::int64_t, std::size_t> FIndex;  // rounded position -> FItems index
    bool FCollecting = false;
};

// A cell of the laid-out page. Font is the first item's own font, valid until the entries
// are cleared; it is null for an empty cell.
struct TCellText {
    std::string_view Text;
    const TFont* Font = nullptr;
};

class TQRAbstractExportFilter : public TQRExportFilter {
  public:
    using TQRExportFilter::TQRExportFilter;

    std::string DescribeFilter() override;
    std::string DefaultExtension() override;
    std::string ShownName() override;
    // Opens the output first, so a file that cannot be created stops the export at once.
    void BeginExport(std::int32_t SheetWidth, std::int32_t PaperHeight, const TFont& Font) override;
    // Lays out and writes the page, then forgets its items. A failed or short write
    // throws StreamError before the page's items are dropped.
    void FinishPage() override;
    // Closes the output; items collected since the last FinishPage are dropped unwritten.
    void EndExport() override;
    void BeginPage() override;
    void AddText(long double X, long double Y, const TFont& Font, TColor BackColor, TAlignment Alignment,
                 const std::string& Text) override;

    // Slots 10 to 13, after the protocol's ten.
    virtual void OpenOutput(const std::string& FileName);
    virtual void CloseOutput();
    virtual void BuildPageGrid();
    virtual void WritePage();

    qrp::Stream* Stream() const { return FStream.get(); }
    const std::vector<TTextEntry>& Entries() const { return FEntries; }
    // Valid from BuildPageGrid to the end of that FinishPage.
    std::int32_t LinesUsed() const { return FLinesUsed; }
    std::int32_t ColCount() const { return FColCount; }
    const TFont& Font() const { return FFont; }

  protected:
    // Bytes go out as given, no terminator and no conversion.
    void EmitText(std::string_view S);
    // S, then carriage return and line feed.
    void WriteLine(std::string_view S);
    void ClearEntries();
    // The first item, in arrival order, that landed in the cell.
    TCellText GetCellText(std::int32_t Col, std::int32_t Line) const;
    void AssignColumns();
    void AssignLines();

    std::vector<TTextEntry> FEntries;
    std::unique_ptr<qrp::Stream> FStream;
    std::int32_t FLinesUsed = 0;
    std::int32_t FColCount = 0;
    TFont FFont;

  private:
    struct CellRef {
        std::int32_t Line;
        std::int32_t Col;
        std::size_t Entry;
    };

    // Replaces the axis of every entry by its position number; returns the highest number.
    std::int32_t NumberAxis(long double TTextEntry::*axis);
    void IndexCells();
    void FlushOutput();

    std::vector<CellRef> FCells;  // first entry per occupied cell, sorted by line, then column
    std::string FPending;         // emitted bytes not yet handed to FStream
};

}  // namespace qrp::exporter
