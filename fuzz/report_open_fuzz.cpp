// Opens arbitrary bytes as a report file and fetches every page, plain and packed: any
// outcome but a clean result or a qrp::Error is a bug.
#include <cstdint>
#include <memory>

#include "report/errors.h"
#include "report/page_list.h"

namespace {
void FetchAll(const std::uint8_t* data, std::size_t size, bool packed) {
    qrp::TQRPageList list;
    auto stream = std::make_unique<qrp::TQRStream>(INT32_MAX);
    stream->WriteBuffer(data, size);
    list.AttachStream(std::move(stream));
    try {
        list.ReadHeader();
    } catch (const qrp::Error&) {
        return;
    }
    list.SetCompression(packed);
    // Bounded: a record takes at least 12 bytes, so more pages than that cannot exist.
    const std::int32_t last = std::min<std::int64_t>(list.PageTotal(), static_cast<std::int64_t>(size / 12) + 2);
    for (std::int32_t n = 1; n <= last; ++n) {
        try {
            list.FetchPage(n);
        } catch (const qrp::Error&) {
        }
    }
    for (std::int32_t n = last; n >= 1; n -= 3) {
        try {
            list.FetchPage(n);
        } catch (const qrp::Error&) {
        }
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FetchAll(data, size, false);
    FetchAll(data, size, true);
    return 0;
}
