// What Qt's print dialog left on its QPrinter beyond printer, copies, orientation and a
// From-To range: a page list, page set and order, which go to the document as report
// pages, and both sides, collated copies, pages per sheet and the printer's own options,
// which go to the spooler. Qt's CUPS dialog keeps its job options on the printer's engine;
// its page-ranges and page-set would select sheets after pages per sheet, so they are
// taken out and applied to report pages instead.
#pragma once

#include <QStringList>

#include "report/page_selection.h"

class QPrinter;

namespace qrp::print {

struct DialogChoices {
    TQRPageSelection pages;  // its List only when the dialog named more than one range
    QStringList jobOptions;  // as lp -o takes them
};

DialogChoices ReadDialogChoices(QPrinter& device);

}  // namespace qrp::print
