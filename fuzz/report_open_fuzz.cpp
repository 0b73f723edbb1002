// Opens arbitrary bytes as a report file, plain and packed, and fetches a bounded number
// of pages from both ends of the chain: any outcome but a clean result or a qrp::Error is
// a bug.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "base/errors.h"
#include "report/page_list.h"

namespace {

// Pages fetched from each end. The list remembers every record it has checked, so a walk
// never repeats; a failed fetch ends its direction, since every later page in it would
// walk the same damaged stretch again (which is what made the run slow, not deep).
constexpr std::int32_t kPagesEachWay = 48;

bool Fetch(qrp::TQRPageList& list, std::int32_t n) {
    try {
        list.FetchPage(n);
        return true;
    } catch (const qrp::Error&) {
        return false;
    }
}

void FetchBothEnds(const std::uint8_t* data, std::size_t size, bool packed) {
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
    const std::int32_t total = list.PageTotal();
    const std::int32_t forward = std::min(total, kPagesEachWay);
    for (std::int32_t n = 1; n <= forward && Fetch(list, n); ++n) {
    }
    for (std::int32_t n = total; n > std::max(forward, total - kPagesEachWay) && Fetch(list, n); --n) {
    }
    // A page in the middle walks from whichever known end lies nearer.
    if (total > 2 * kPagesEachWay)
        Fetch(list, total / 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FetchBothEnds(data, size, false);
    FetchBothEnds(data, size, true);
    return 0;
}
