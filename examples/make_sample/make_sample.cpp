// Builds the bundled sample reports by recording a sales report through the report
// document, as a reporting engine does: portrait, landscape, and portrait with packed
// pages. usage: make_sample OUT_DIR
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "report/document.h"
#include "report/no_printer.h"
#include "sales_report.h"

namespace {

void WriteReport(const std::string& path, qrp::TPrinterOrientation orientation, bool packed) {
    // No printer is needed to record into pages, and none is asked for.
    qrp::TQRPrinter doc(std::make_unique<qrp::NoPrinter>());
    doc.Title = "Quarterly Sales Report";
    doc.SetPaperSize(qrp::TQRPaperSize::A4);
    doc.SetOrientation(orientation);
    doc.SetCompression(packed);
    sample::RecordSalesReport(doc);
    doc.Save(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_sample OUT_DIR\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    try {
        WriteReport(dir + "/sample.qrp", qrp::poPortrait, false);
        WriteReport(dir + "/sample-landscape.qrp", qrp::poLandscape, false);
        WriteReport(dir + "/sample-packed.qrp", qrp::poPortrait, true);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_sample: %s\n", error.what());
        return 1;
    }
    return 0;
}
