// Comma separated export: every grid line of a page is one record, every grid column one
// field in double quotes; records end with carriage return and line feed. No header
// record, no marker between pages; each page has as many fields as it has columns.
#pragma once

#include "filter_library.h"
#include "text_layout.h"

namespace qrp::exporter {

// The separator of every comma separated export in the process; code 0 until a
// TQRCSVFilter sets it. Read at the moment a record is written.
extern char CSVSeparator;

class TQRCommaSeparatedFilter : public TQRAbstractExportFilter {
  public:
    using TQRAbstractExportFilter::TQRAbstractExportFilter;

    std::string DescribeFilter() override;
    std::string DefaultExtension() override;
    std::string ShownName() override;
    // A double quote inside a text is doubled, so every record stays parseable.
    void WritePage() override;
};

// Offers the comma separated format while it lives, and sets CSVSeparator to ",".
class TQRCSVFilter : public TQRFilterRegistration {
  public:
    TQRCSVFilter();

    // No storage of its own: every component and filter shares CSVSeparator.
    char Separator() const { return CSVSeparator; }
    void SetSeparator(char value) { CSVSeparator = value; }
};

}  // namespace qrp::exporter
