// Runs the page text driver and the plain text, comma separated and HTML filters over the
// input as the EMF bytes of a one-page report, then searches the page's reading-order text
// for the input's first bytes taken as UTF-8. The header's length field is set to the
// input's size, so that inputs get past the page store's check into the records.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/errors.h"
#include "export/report_search.h"
#include "export_all.h"

namespace {
constexpr std::size_t kLengthField = 48;
constexpr std::size_t kQueryBytes = 8;
constexpr std::uint64_t kMaxRuns = 2000;
}  // namespace

using namespace qrp::exporter;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> emf(data, data + size);
    if (emf.size() >= kLengthField + 4) {
        for (std::size_t i = 0; i < 4; ++i)
            emf[kLengthField + i] = static_cast<std::uint8_t>(emf.size() >> (8 * i));
    }
    const PageSource page{1, [&emf](std::int32_t) { return qrp::PagePicture::FromBytes(emf); }, 96.0L / 254};
    ExportThroughEveryFilter(page);
    const TextQuery query(std::string_view(reinterpret_cast<const char*>(data), std::min(size, kQueryBytes)),
                          {.WholeWords = size % 2 == 0});
    try {
        SearchReport(
            page, query, [](std::int32_t, const PageText&, const std::vector<TextMatch>&) { return true; }, kMaxRuns);
    } catch (const qrp::Error&) {
    }
    return 0;
}
