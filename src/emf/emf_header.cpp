#include "emf_header.h"

#include "base/messages.h"
#include "emf_format.h"

namespace qrp::emf {

namespace {

constexpr double kFallbackPixelsPerMm = 96 / 25.4;

double PixelsPerMm(std::int32_t pixels, std::int32_t millimeters) {
    if (pixels <= 0 || millimeters <= 0)
        return kFallbackPixelsPerMm;
    return static_cast<double>(pixels) / millimeters;
}

}  // namespace

double Header::PixelsPerMmX() const {
    return PixelsPerMm(devicePixels.x, deviceMillimeters.x);
}

double Header::PixelsPerMmY() const {
    return PixelsPerMm(devicePixels.y, deviceMillimeters.y);
}

Header ReadHeader(std::span<const std::uint8_t> emf) {
    RecordReader reader(emf);
    const auto record = reader.Next();
    if (!record)
        throw EQRError(messages::emfHeaderDamaged("no header record"));
    if (record->Type() != kEmrHeader)
        throw EQRError(messages::emfHeaderDamaged("the first record is no header"));
    if (record->Size() < kHeaderMinSize)
        throw EQRError(messages::emfHeaderDamaged("header record too short"));
    if (record->U32(kHeaderSignature) != kEmfSignature)
        throw EQRError(messages::emfHeaderDamaged("bad signature"));
    Header header;
    header.bounds = record->Rect(kHeaderBounds);
    header.frame = record->Rect(kHeaderFrame);
    header.bytes = record->U32(kHeaderBytes);
    header.records = record->U32(kHeaderRecords);
    header.handles = record->U16(kHeaderHandles);
    header.devicePixels = record->Point32(kHeaderDevicePixels);
    header.deviceMillimeters = record->Point32(kHeaderDeviceMillimeters);
    header.headerSize = static_cast<std::uint32_t>(record->Size());
    return header;
}

}  // namespace qrp::emf
