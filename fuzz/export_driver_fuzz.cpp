// Runs the page text driver and the plain text, comma separated and HTML filters over the
// input as the EMF bytes of a one-page report. The header's length field is set to the
// input's size, so that inputs get past the page store's check into the records.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "export_all.h"

namespace {
constexpr std::size_t kLengthField = 48;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> emf(data, data + size);
    if (emf.size() >= kLengthField + 4) {
        for (std::size_t i = 0; i < 4; ++i)
            emf[kLengthField + i] = static_cast<std::uint8_t>(emf.size() >> (8 * i));
    }
    ExportThroughEveryFilter({1, [&emf](std::int32_t) { return qrp::PagePicture::FromBytes(emf); }, 96.0L / 254});
    return 0;
}
