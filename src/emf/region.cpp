#include "region.h"

#include "base/messages.h"
#include "emf_format.h"

namespace qrp::emf {

std::vector<RectL> ReadRegion(const Record& record, std::size_t at, std::size_t size) {
    if (size < kRgnDataHeaderSize)
        throw RecordError(messages::emfRecordDamaged(record.Type(), record.Offset()));
    const std::uint32_t count = record.U32(at + kRgnDataCount);
    if (count > (size - kRgnDataHeaderSize) / 16) {
        throw RecordError(messages::emfRecordDamaged(record.Type(), record.Offset()));
    }
    record.Array(at + kRgnDataHeaderSize, count, 16);
    std::vector<RectL> rects;
    rects.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        rects.push_back(record.Rect(at + kRgnDataHeaderSize + 16 * i));
    return rects;
}

}  // namespace qrp::emf
