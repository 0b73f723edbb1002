// HTML export: every page becomes one table fragment (no document around it), every grid
// line a row, every column a cell. Text whose colour or size differs from the base font
// is wrapped in a FONT element. Only a row's end tag is followed by a line end.
//
// With an empty file name the output goes to memory and stays there after EndExport;
// whoever made the filter takes it with TakeMemoryStream.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "filter_library.h"
#include "report/memory_stream.h"
#include "text_layout.h"

namespace qrp::exporter {

class TQRHTMLDocumentFilter : public TQRAbstractExportFilter {
  public:
    using TQRAbstractExportFilter::TQRAbstractExportFilter;

    std::string DescribeFilter() override;
    std::string DefaultExtension() override;
    std::string ShownName() override;
    // True: the report arrives as one long page, except where it forces new pages.
    bool ContinuousLayout() override;
    void OpenOutput(const std::string& FileName) override;
    void CloseOutput() override;
    // Markup characters in a text (< > & ") are written as entities, so a report text
    // can neither break the table nor inject markup.
    void WritePage() override;

    bool OwnsStream() const { return FOwnsStream; }
    // The in-memory output of an export with an empty file name; null for a file export
    // or before BeginExport.
    std::unique_ptr<MemoryStream> TakeMemoryStream();

  private:
    std::string CellMarkup(const TCellText& cell) const;

    bool FOwnsStream = false;
};

// Offers the HTML format while it lives.
class TQRHTMLFilter : public TQRFilterRegistration {
  public:
    TQRHTMLFilter();
};

// Size class of a font size in points: up to 8 is 0, then 1 to 5, above 24 is 7.
int FontSizeClass(std::int32_t Size);
// The class difference as the SIZE attribute writes it: "-2", "+0", "+3".
std::string RelativeFontSize(std::int32_t Size, std::int32_t BaseSize);
// RRGGBB of a colour value (which reads BBGGRR in hexadecimal). A value with more than
// six hexadecimal digits (system colours) keeps its first six, pairs reversed.
std::string ColorToHex(TColor Color);

}  // namespace qrp::exporter
