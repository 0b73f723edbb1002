// One recorded page: an Enhanced Metafile held as its own bytes. The page store reads
// only the EMF header fields below; drawing is the EMF player's business.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "stream.h"

namespace qrp {

struct FrameRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // hundredths of a millimetre
};

class PagePicture {
  public:
    // EMF header: record type 1 at offset 0, " EMF" at 40, total length at 48.
    static constexpr std::uint32_t kEmrHeader = 1;
    static constexpr std::uint32_t kEmfSignature = 0x464D4520;
    static constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
    static constexpr std::size_t kProbeBytes = 100;
    static constexpr std::size_t kMinHeaderRecord = 88;

    // Reads a picture that starts at the stream's position and may take at most
    // `available` bytes. Throws EQRError "Metafile is not valid" for data that is no EMF
    // (a placeable Windows metafile gets its own message), StreamError "Stream read error"
    // when the EMF's stated length runs past the available data.
    static std::unique_ptr<PagePicture> ReadFrom(Stream& stream, std::int64_t available);
    // Validates whole EMF bytes the same way; the length must match exactly.
    static std::unique_ptr<PagePicture> FromBytes(std::vector<std::uint8_t> bytes);

    void WriteTo(Stream& stream) const;

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    std::span<const std::uint8_t> View() const { return m_bytes; }
    FrameRect Frame() const;
    std::int32_t DevicePixelsX() const;
    std::int32_t DevicePixelsY() const;
    std::int32_t DeviceMillimetersX() const;
    std::int32_t DeviceMillimetersY() const;
    // The page size in pixels of the reference device: frame extent x device pixels /
    // (device millimetres x 100), rounded half to even; 0 when the device size is not positive.
    std::int32_t WidthPx() const;
    std::int32_t HeightPx() const;

  private:
    explicit PagePicture(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    static void CheckHeaderRecord(const std::vector<std::uint8_t>& bytes);

    std::vector<std::uint8_t> m_bytes;
};

}  // namespace qrp
