// The dialogs and message boxes the viewer window shows, behind a small interface: Qt's
// dialogs in the program (qt_viewer_dialogs.h), a scripted stand-in in the tests.
//
// File dialogs take the filter text the window has always used: pairs of a description and
// a file pattern, every part separated from the next by "|"; the chosen pair comes back as
// its 1-based number.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <QPageSize>
#include <QStringList>

#include "report/page_selection.h"

namespace qrp {
class PrinterObject;
}

namespace qrp::app {

enum TPrintRange : std::uint8_t { prAllPages = 0, prSelection = 1, prPageNums = 2 };

// What the print dialog shows and answers; the window keeps one, so the values persist
// between uses. The page-range and selection choices are always offered.
struct TPrintDialog {
    std::int32_t FromPage = 1;
    std::int32_t ToPage = 1;
    std::int32_t MinPage = 1;
    std::int32_t MaxPage = 999;
    TPrintRange PrintRange = prAllPages;
    // The dialog's page list (with prPageNums), page set and order, as report pages.
    TQRPageSelection Pages;
    // Both sides, collated copies, pages per sheet, the printer's own options: for lp -o.
    QStringList JobOptions;
    // The paper: the dialog opens on it and leaves the chosen one here.
    QPageSize Paper;
};

struct FileChoice {
    std::string FileName;  // local 8-bit path, as the report library takes it
    std::int32_t FilterIndex = 1;
};

// A running long operation as the user sees it; destroying it closes the display.
class ProgressMonitor {
  public:
    virtual ~ProgressMonitor() = default;
    // Pending events run here, so a Cancel click is seen by the next Cancelled().
    virtual void SetValue(std::int32_t value) = 0;
    virtual void SetLabel(const std::string& label) = 0;
    virtual bool Cancelled() = 0;
};

class ViewerDialogs {
  public:
    virtual ~ViewerDialogs() = default;

    // Both open with the first pair selected and accept a name of a file that does not
    // exist; saving asks no confirmation before overwriting. None when cancelled.
    virtual std::optional<FileChoice> OpenFile(const std::string& filter) = 0;
    virtual std::optional<FileChoice> SaveFile(const std::string& filter) = 0;
    // Shows the print dialog preset from `dialog` and the application-wide `printer`; when
    // confirmed, stores the range in `dialog` and the chosen printer (its index among
    // printer.Printers()), copies and orientation in `printer`, and returns true.
    virtual bool Print(TPrintDialog& dialog, PrinterObject& printer) = 0;
    // The page setup dialog; what is chosen there stays in `printer`.
    virtual void PrinterSetup(PrinterObject& printer) = 0;
    // A message box with one OK button.
    virtual void Message(const std::string& text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool Confirm(const std::string& text) = 0;
    // Progress of a long operation counting up to `maximum`; it may stay hidden while the
    // operation is short.
    virtual std::unique_ptr<ProgressMonitor> Progress(const std::string& label, std::int32_t maximum) = 0;
};

}  // namespace qrp::app
