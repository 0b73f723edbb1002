// A printer object whose one printer writes a PDF file, for the command-line tool and for
// users without a printer. It goes through the same job path as the real printers: the
// document is drawn into the output's replacement (report/file_replacement.h), which takes
// the output's place only when the job ends; an aborted job leaves the output as it was.
// A pipe or a device named as the output receives the PDF itself, never a printer.
//
// The PDF printer offers every paper size Qt knows and custom sizes, no duplex and no
// copies (a file holds one copy), and has no unprintable margins.
#pragma once

#include <string>

#include "qt_printer.h"

namespace qrp::print {

class PdfPrinter : public QtPrinter {
  public:
    static constexpr const char* kPrinterName = "PDF file";

    explicit PdfPrinter(const std::string& outputFile);

    // Half a report is no PDF of it.
    bool EndsFailedJobs() override { return false; }
};

}  // namespace qrp::print
