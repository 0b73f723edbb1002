// Runs the page text driver and the plain text, comma separated and HTML filters over the
// input as the EMF bytes of a one-page report. The header's length field is set to the
// input's size, so that inputs get past the page store's check into the records.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "export/csv_filter.h"
#include "export/html_filter.h"
#include "export/page_text_driver.h"
#include "export/text_filter.h"
#include "report/errors.h"

namespace {

using namespace qrp::exporter;

constexpr std::size_t kLengthField = 48;

void Export(const std::vector<std::uint8_t>& emf, TQRExportFilter& filter) {
    const PageSource page{1, [&emf](std::int32_t) { return qrp::PagePicture::FromBytes(emf); }, 96.0L / 254};
    // Few items per page: the grid formats lay a page out in quadratic time.
    ExportPageText(page, filter, {"UTF-8", 2000});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> emf(data, data + size);
    if (emf.size() >= kLengthField + 4) {
        for (std::size_t i = 0; i < 4; ++i)
            emf[kLengthField + i] = static_cast<std::uint8_t>(emf.size() >> (8 * i));
    }
    CSVSeparator = ',';
    TQRAsciiExportFilter text("/dev/null");
    TQRCommaSeparatedFilter csv("/dev/null");
    TQRHTMLDocumentFilter html("");
    for (TQRExportFilter* filter : {static_cast<TQRExportFilter*>(&text), static_cast<TQRExportFilter*>(&csv),
                                    static_cast<TQRExportFilter*>(&html)}) {
        try {
            Export(emf, *filter);
        } catch (const qrp::Error&) {
            // Not an EMF, a page with too many items: refused with a message, as designed.
        }
    }
    return 0;
}
