// The page protocol between a report driver and an export filter, and the types that
// cross it. Coordinates are tenths of a millimetre from the top-left corner of the page.
//
// A driver calls BeginExport once (only while Active() is false), then for every page
// break, including the one before the first page, FinishPage for the page that ends and
// BeginPage for the page that starts, AddText for each printed line of text, and at the
// end FinishPage for the last page and EndExport. A cancelled run skips that last
// FinishPage. Filters report failures by throwing (FileError, StreamError).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace qrp::exporter {

// Red in the lowest byte, green in the next, blue in the third. Values with the top bit
// set are system colours, which no filter resolves.
using TColor = std::int32_t;

enum TAlignment : std::uint8_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };

// What the filters read of a font. Weight and Italic travel for the handlers that want
// them; no format of ours writes style.
struct TFont {
    std::string Name;
    std::int32_t Size = 10;  // points
    TColor Color = 0;
    std::int32_t Weight = 400;  // 400 normal, 700 bold
    bool Italic = false;
};

// What a driver knows of the report besides its pages, for the formats that keep document
// properties. A driver sets it before BeginExport.
struct TReportFacts {
    std::string Title;     // UTF-8
    double StampTime = 0;  // when the report was made: days since 1899-12-30, local time; 0 unknown
};

class TQRExportFilter {
  public:
    // Stores the name only; a filter touches its output first in BeginExport. Every filter
    // kind is constructed this way, so each sets up its own state in BeginExport.
    explicit TQRExportFilter(std::string fileName) : FFileName(std::move(fileName)) {}
    virtual ~TQRExportFilter() = default;
    TQRExportFilter(const TQRExportFilter&) = delete;
    TQRExportFilter& operator=(const TQRExportFilter&) = delete;

    // The declaration order below is the slot order of the protocol; keep it.
    virtual std::string DescribeFilter();
    // Upper case, without the dot.
    virtual std::string DefaultExtension();
    // Shown in the Save dialog; also the key by which the library unregisters.
    virtual std::string ShownName();
    virtual std::string MakerName();
    // True asks the driver to lay the report out as one long page.
    virtual bool ContinuousLayout();
    // Font is the report's base font; a filter that needs it later keeps a copy.
    virtual void BeginExport(std::int32_t SheetWidth, std::int32_t PaperHeight, const TFont& Font);
    virtual void FinishPage();
    virtual void EndExport();
    virtual void BeginPage();
    // X is the left edge, right edge or centre of the text as Alignment says; Y is the top
    // of the line. Font belongs to the caller and is valid only during the call. Text is
    // one printed line in code-page bytes and may be empty.
    virtual void AddText(long double X, long double Y, const TFont& Font, TColor BackColor, TAlignment Alignment,
                         const std::string& Text);

    bool Active() const { return FActive; }
    const std::string& FileName() const { return FFileName; }
    // The character set of AddText's Text, as iconv names it; empty: LocaleEncoding(). A
    // driver sets it before BeginExport.
    const std::string& TextEncoding() const { return FTextEncoding; }
    void SetTextEncoding(std::string encoding) { FTextEncoding = std::move(encoding); }
    const TReportFacts& Report() const { return FReport; }
    void SetReport(TReportFacts report) { FReport = std::move(report); }

  protected:
    bool FActive = false;
    std::string FFileName;
    std::string FTextEncoding;
    TReportFacts FReport;
};

// A class reference: makes a filter of one kind for an output file name.
using TQRExportFilterClass = std::unique_ptr<TQRExportFilter> (*)(const std::string& fileName);

template <class Filter>
std::unique_ptr<TQRExportFilter> ConstructFilter(const std::string& fileName) {
    return std::make_unique<Filter>(fileName);
}

template <class Filter>
inline constexpr TQRExportFilterClass FilterClassOf = &ConstructFilter<Filter>;

}  // namespace qrp::exporter
