#include "page_picture.h"

#include <cmath>

#include "base/byte_order.h"
#include "base/errors.h"
#include "base/messages.h"
#include "memory_stream.h"

namespace qrp {

namespace {
std::int32_t ScaleToPixels(std::int64_t frameExtent, std::int32_t devicePixels, std::int32_t deviceMillimeters) {
    if (deviceMillimeters <= 0)
        return 0;
    const double pixels =
        static_cast<double>(frameExtent) * devicePixels / (static_cast<double>(deviceMillimeters) * 100.0);
    if (!std::isfinite(pixels) || std::fabs(pixels) > 2.0e9)
        return 0;
    return static_cast<std::int32_t>(std::nearbyint(pixels));  // default rounding: half to even
}
}  // namespace

void PagePicture::CheckHeaderRecord(const std::vector<std::uint8_t>& bytes) {
    // The header record must fit in the picture; a smaller one cannot hold the fields we read.
    const std::uint32_t headerSize = LoadU32(&bytes[4]);
    if (headerSize < kMinHeaderRecord || headerSize > bytes.size() || headerSize % 4 != 0)
        throw EQRError(messages::metafileNotValid());
}

std::unique_ptr<PagePicture> PagePicture::ReadFrom(Stream& stream, std::int64_t available) {
    std::vector<std::uint8_t> bytes(kProbeBytes);
    if (available > static_cast<std::int64_t>(kProbeBytes)) {
        stream.ReadBuffer(bytes.data(), kProbeBytes);
        if (LoadU32(&bytes[0]) == kEmrHeader && LoadU32(&bytes[40]) == kEmfSignature) {
            const std::uint32_t total = LoadU32(&bytes[48]);
            if (total < kProbeBytes)
                throw EQRError(messages::metafileNotValid());
            if (total > available)
                throw StreamError(messages::streamReadError());
            bytes.resize(total);
            stream.ReadBuffer(bytes.data() + kProbeBytes, total - kProbeBytes);
            CheckHeaderRecord(bytes);
            return std::unique_ptr<PagePicture>(new PagePicture(std::move(bytes)));
        }
    } else if (available >= 4) {
        stream.ReadBuffer(bytes.data(), 4);
    } else {
        throw EQRError(messages::metafileNotValid());
    }
    // A placeable Windows metafile has no length of its own and would swallow every later record.
    if (LoadU32(&bytes[0]) == kPlaceableKey)
        throw EQRError(messages::placeableMetafileNotSupported());
    throw EQRError(messages::metafileNotValid());
}

std::unique_ptr<PagePicture> PagePicture::FromBytes(std::vector<std::uint8_t> bytes) {
    ByteViewStream view(bytes);
    auto picture = ReadFrom(view, static_cast<std::int64_t>(bytes.size()));
    if (picture->m_bytes.size() != bytes.size())
        throw EQRError(messages::metafileNotValid());
    return picture;
}

void PagePicture::WriteTo(Stream& stream) const {
    stream.WriteBuffer(m_bytes.data(), m_bytes.size());
}

FrameRect PagePicture::Frame() const {
    return {LoadI32(&m_bytes[24]), LoadI32(&m_bytes[28]), LoadI32(&m_bytes[32]), LoadI32(&m_bytes[36])};
}

std::int32_t PagePicture::DevicePixelsX() const {
    return LoadI32(&m_bytes[72]);
}
std::int32_t PagePicture::DevicePixelsY() const {
    return LoadI32(&m_bytes[76]);
}
std::int32_t PagePicture::DeviceMillimetersX() const {
    return LoadI32(&m_bytes[80]);
}
std::int32_t PagePicture::DeviceMillimetersY() const {
    return LoadI32(&m_bytes[84]);
}

std::int32_t PagePicture::WidthPx() const {
    const FrameRect f = Frame();
    return ScaleToPixels(static_cast<std::int64_t>(f.right) - f.left, DevicePixelsX(), DeviceMillimetersX());
}

std::int32_t PagePicture::HeightPx() const {
    const FrameRect f = Frame();
    return ScaleToPixels(static_cast<std::int64_t>(f.bottom) - f.top, DevicePixelsY(), DeviceMillimetersY());
}

}  // namespace qrp
