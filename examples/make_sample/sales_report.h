// A quarterly sales report recorded through the report document, as a reporting engine
// would: a title, page headers and footers with "Page n of N", column headers, detail
// rows grouped by region with group totals, a summary box, a logo, in English and
// Traditional Chinese. The figures are made up but the same on every run.
#pragma once

#include "report/document.h"

namespace sample {

// Records the report into `doc`, which must be ready (dsReady): OpenDoc to EndDoc. The
// layout follows the document's paper and orientation.
void RecordSalesReport(qrp::TQRPrinter& doc);

}  // namespace sample
