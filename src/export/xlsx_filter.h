// Excel workbook export: every grid line of a page (the same grid the comma separated
// format writes) becomes one row of a worksheet, every grid column one column. Texts that
// are numbers or ISO dates as the report shows them become number and date cells whose
// format shows the same text (sheet_cell.h); every other text is a string cell, never a
// formula. Column widths follow the longest text of each column, wide characters counting
// two. Rows run on to a new sheet where a sheet ends (1,048,576 rows); with SheetPerPage
// every page starts a sheet of its own.
//
// The workbook is written in constant memory: rows go to unnamed temporary files in the
// user's temporary folder as they come, and the finished workbook to the output's file
// replacement, so a failed or abandoned export leaves the old file as it was.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "filter_library.h"
#include "text_layout.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace qrp::exporter {

class TQRExcelWorkbookFilter : public TQRAbstractExportFilter {
  public:
    // A workbook holds Unicode: the filter asks its driver for UTF-8 text.
    explicit TQRExcelWorkbookFilter(std::string fileName);
    // An export that did not end in EndExport writes nothing.
    ~TQRExcelWorkbookFilter() override;

    std::string DescribeFilter() override;
    std::string DefaultExtension() override;
    std::string ShownName() override;
    void BeginPage() override;
    // Makes the workbook; the file is written in CloseOutput.
    void OpenOutput(const std::string& FileName) override;
    // Writes the workbook and puts it in place. Throws FileError naming the output when
    // the library or the disk fails.
    void CloseOutput() override;
    void WritePage() override;

    // Set before BeginExport.
    void SetSheetPerPage(bool value) { FSheetPerPage = value; }
    bool SheetPerPage() const { return FSheetPerPage; }

  private:
    void StartSheet();
    void FinishSheet();
    // Throws when rows of the open sheet could not be stored; flush to know for all of them.
    void CheckRows(bool flush);
    void EnsureRoomToAssemble() const;
    lxw_format* NumberFormat(const std::string& format);
    [[noreturn]] void Fail(const std::string& reason) const;
    void Check(int error) const;

    bool FSheetPerPage = false;
    lxw_workbook* FWorkbook = nullptr;
    lxw_worksheet* FSheet = nullptr;
    std::string FTempFolder;
    int FStagingFd = -1;  // where the workbook goes when the output cannot seek (a pipe)
    std::string FSheetBase;
    std::int32_t FSheetPart = 0;  // sheets of one base name: 1, 2, ...
    std::int32_t FPagesBegun = 0;
    std::int32_t FSheetPage = 0;     // the page whose sheet is open, with SheetPerPage
    std::uint32_t FRow = 0;          // the next row of the open sheet
    std::vector<double> FWidths;     // of the open sheet's columns, in characters
    std::uint64_t FLargestRows = 0;  // bytes of the largest finished sheet's rows
    std::unordered_map<std::string, lxw_format*> FFormats;
};

// Offers the Excel workbook format while it lives.
class TQRXLSXFilter : public TQRFilterRegistration {
  public:
    TQRXLSXFilter();
};

// A valid worksheet name made from `base` (UTF-8): at most 31 characters with " (part)"
// added after the first part, none of []:*?/\, no apostrophe at either end, not the
// reserved "History"; "Report" when nothing is left.
std::string SheetName(const std::string& base, std::int32_t part);

}  // namespace qrp::exporter
