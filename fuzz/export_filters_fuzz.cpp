// Drives the plain text, comma separated and HTML filters through the page protocol with
// text items decoded from the input. Coordinates stay page-like (|v| < 32768 tenths of a
// millimetre, with fractions that hit exact halves) plus NaN and, for the grid formats,
// infinities: the plain text filter builds real lines of blanks up to an item's column,
// and an infinite column would ask for more memory than exists.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "base/errors.h"
#include "export/csv_filter.h"
#include "export/html_filter.h"
#include "export/text_filter.h"

namespace {

using namespace qrp::exporter;

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_pos >= m_size; }
    std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::int16_t I16() { return static_cast<std::int16_t>(Byte() | Byte() << 8); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(I16() & 0xFFFF) | static_cast<std::uint32_t>(I16()) << 16; }
    long double Coordinate(bool infinities) {
        const std::uint8_t kind = Byte();
        if (kind == 0xFF)
            return std::numeric_limits<long double>::quiet_NaN();
        if (infinities && kind == 0xFE)
            return std::numeric_limits<long double>::infinity();
        if (infinities && kind == 0xFD)
            return -std::numeric_limits<long double>::infinity();
        return I16() + kind / 256.0L;
    }
    std::string Text() {
        std::string text;
        for (std::size_t length = Byte() % 40; length > 0 && !Empty(); --length)
            text += static_cast<char>(Byte());
        return text;
    }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

std::unique_ptr<TQRExportFilter> MakeFilter(std::uint8_t kind) {
    switch (kind % 3) {
        case 0:
            return std::make_unique<TQRAsciiExportFilter>("/dev/null");
        case 1:
            return std::make_unique<TQRCommaSeparatedFilter>("/dev/null");
        default:
            return std::make_unique<TQRHTMLDocumentFilter>("");
    }
}

void Run(Input& in) {
    const std::uint8_t kind = in.Byte();
    const auto filter = MakeFilter(kind);
    const bool grid = kind % 3 != 0;
    CSVSeparator = static_cast<char>(in.Byte());
    const TFont base{"base", static_cast<std::int8_t>(in.Byte()), static_cast<TColor>(in.U32())};
    const bool cancelled = in.Byte() & 1;
    filter->BeginExport(2100, in.I16(), base);
    filter->FinishPage();
    filter->BeginPage();
    while (!in.Empty()) {
        if (in.Byte() % 16 == 0) {
            filter->FinishPage();
            filter->BeginPage();
            continue;
        }
        const long double x = in.Coordinate(grid);
        const long double y = in.Coordinate(grid);
        const auto alignment = static_cast<TAlignment>(in.Byte() % 3);
        const TFont font{"item", static_cast<std::int8_t>(in.Byte()), static_cast<TColor>(in.U32())};
        filter->AddText(x, y, font, 0, alignment, in.Text());
    }
    if (!cancelled)
        filter->FinishPage();
    filter->EndExport();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    try {
        Run(in);
    } catch (const qrp::Error&) {
        // A base font of size 0 has no character cell for the plain text filter.
    }
    return 0;
}
