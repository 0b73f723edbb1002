// The page and job options of the print and pdf commands: which report pages, how a page
// lies on the paper, and what the spooler is asked for (sides, pages per sheet, collated
// copies, its own options as lp -o takes them).
#pragma once

#include <string>

#include <QStringList>

#include "options.h"
#include "report/document.h"

namespace qrp::tool {

// The value options and flags these read, for ParseArgs.
#define QRP_PAGE_VALUE_OPTIONS "--pages", "--scale"
#define QRP_PAGE_FLAG_OPTIONS "--odd", "--even", "--reverse"
#define QRP_JOB_VALUE_OPTIONS "--sides", "--n-up", "--option"
#define QRP_JOB_FLAG_OPTIONS "--collate"

struct PageOptions {
    TQRPageSelection pages;
    TQRPrintScale scale = TQRPrintScale::Stretch;
};

// UsageError naming the value for a wrong one, and for --pages beside --from or --to.
PageOptions ReadPageOptions(const ParsedArgs& parsed);
// lp -o options; UsageError naming the value for a wrong one.
QStringList ReadJobOptions(const ParsedArgs& parsed);

}  // namespace qrp::tool
