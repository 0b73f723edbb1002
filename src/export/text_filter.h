// Plain text export: imitates the printed page with characters. Each item is merged into
// a line buffer at a character column and line derived from its position and the base
// font's size, as soon as it arrives; at each page end the non-empty lines are written,
// each ending with carriage return and line feed, without blank lines or page markers.
// Columns are display columns of the text's character set (display_columns.h): a wide
// character takes two, and no item cuts another's character in half.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "display_columns.h"
#include "export_filter.h"
#include "filter_library.h"
#include "report/file_stream.h"

namespace qrp::exporter {

class TQRAsciiExportFilter : public TQRExportFilter {
  public:
    using TQRExportFilter::TQRExportFilter;

    std::string DescribeFilter() override;
    std::string DefaultExtension() override;
    std::string ShownName() override;
    // Creates the file, then derives the character cell from Font.Size; Active stays
    // false for this filter. A base font of size 0 gives no cell: qrp::Error.
    void BeginExport(std::int32_t SheetWidth, std::int32_t PaperHeight, const TFont& Font) override;
    // Writes the non-empty lines whose index is below LinesUsed, in line order; lines
    // above the top of the page (negative index) come first. A short write throws.
    void FinishPage() override;
    // Closes the file; StreamError when its data could not be stored.
    void EndExport() override;
    void BeginPage() override;
    // Of Alignment only taRightJustify matters: the text then ends at X. An item that
    // starts beyond column 65536 is left out.
    void AddText(long double X, long double Y, const TFont& Font, TColor BackColor, TAlignment Alignment,
                 const std::string& Text) override;

    std::int32_t LinesUsed() const { return FLinesUsed; }
    long double CellWidth() const { return FCellWidth; }
    long double CellHeight() const { return FCellHeight; }
    // The current page's line buffers by line index; lines without an item are absent.
    std::map<std::int64_t, std::string> Lines() const;

  private:
    using Line = std::vector<TextCell>;

    std::int32_t FLinesUsed = 0;
    // Sparse and unbounded, so no line index of any page falls outside the buffer.
    std::map<std::int64_t, Line> FLines;
    std::unique_ptr<DisplayColumns> FColumns;
    std::unique_ptr<FileStream> FOutFile;
    long double FCellWidth = 0;
    long double FCellHeight = 0;
};

// Offers the plain text format while it lives.
class TQRTextFilter : public TQRFilterRegistration {
  public:
    TQRTextFilter();
};

}  // namespace qrp::exporter
