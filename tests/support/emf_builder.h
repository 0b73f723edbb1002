// Builds small EMF pictures in memory for tests: a header record, any records given as
// type plus little-endian payload, and EMR_EOF. Record sizes and the header's byte and
// record counts are filled in by Finish().
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace qrp::test {

// A little-endian byte string with fluent appenders.
class Bytes {
  public:
    Bytes& U8(std::uint8_t v);
    Bytes& U16(std::uint16_t v);
    Bytes& I16(std::int16_t v) { return U16(static_cast<std::uint16_t>(v)); }
    Bytes& U32(std::uint32_t v);
    Bytes& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    Bytes& F32(float v);
    Bytes& I32s(std::initializer_list<std::int32_t> values);
    // UTF-16LE code units of an ASCII/UTF-16 string, no terminator.
    Bytes& Utf16(const std::u16string& text);
    Bytes& Raw(const std::vector<std::uint8_t>& bytes);
    // Zero bytes up to the next multiple of four.
    Bytes& Pad4();
    Bytes& Zeros(std::size_t count);

    std::size_t Size() const { return m_data.size(); }
    const std::vector<std::uint8_t>& Data() const { return m_data; }

  private:
    std::vector<std::uint8_t> m_data;
};

// EMF+ records for one EMR_COMMENT: type, flags and data; sizes are filled in.
class EmfPlusRecords {
  public:
    EmfPlusRecords& Add(std::uint16_t type, std::uint16_t flags, const Bytes& data = {});
    // EmfPlusHeader of a dual picture at `dpi` (the EmfBuilder's reference device is 100).
    EmfPlusRecords& Header(std::uint32_t dpi = 100);
    // EmfPlusObject `id` of `type` (1 brush, 2 pen, 3 path, 4 region, 5 image, 6 font),
    // the object version written before `body`.
    EmfPlusRecords& Object(std::uint8_t id, std::uint8_t type, const Bytes& body);
    const Bytes& Data() const { return m_data; }

  private:
    Bytes m_data;
};

class EmfBuilder {
  public:
    // Reference device of 1000 x 1000 pixels on 254 x 254 mm (100 dpi) and a frame of one
    // inch square, so that playing into (0, 0)-(100, 100) maps device pixels 1:1.
    EmfBuilder();
    EmfBuilder(std::int32_t frameRight, std::int32_t frameBottom, std::int32_t devicePixels, std::int32_t deviceMm);

    // Appends a record; the payload is what follows type and size (padded to 4 bytes).
    EmfBuilder& Add(std::uint32_t type, const Bytes& payload);
    // A record whose payload is 32-bit integers.
    EmfBuilder& Add(std::uint32_t type, std::initializer_list<std::int32_t> params);
    // A record of exactly these bytes (for damaged records).
    EmfBuilder& AddRaw(const std::vector<std::uint8_t>& bytes);

    // Common records with offsets to fill in. Points and rectangles are logical units.
    EmfBuilder& Font(std::uint32_t index, std::int32_t height, const std::u16string& face, std::int32_t escapement = 0,
                     std::uint8_t charset = 0, std::int32_t weight = 400);
    // EMR_EXTTEXTOUTW (or ...A with `ansi` bytes); dx may be empty (no advances).
    EmfBuilder& TextW(std::int32_t x, std::int32_t y, const std::u16string& text, const std::vector<std::int32_t>& dx,
                      std::uint32_t options = 0, std::array<std::int32_t, 4> rect = {0, 0, 0, 0});
    EmfBuilder& TextA(std::int32_t x, std::int32_t y, const std::vector<std::uint8_t>& ansi,
                      const std::vector<std::int32_t>& dx, std::uint32_t options = 0);
    // EMR_STRETCHDIBITS of a DIB (info + bits) into the destination rectangle.
    EmfBuilder& StretchDiBits(std::array<std::int32_t, 4> dest, std::array<std::int32_t, 4> src, const Bytes& info,
                              const Bytes& bits, std::uint32_t rop = 0x00CC0020);
    // EMR_BITBLT, EMR_STRETCHBLT, EMR_ALPHABLEND, EMR_TRANSPARENTBLT (shared layout; the
    // source extent is written for all but BITBLT). `rop` is the raster operation, blend
    // function or transparent colour. An empty `info` records no source bitmap.
    EmfBuilder& Blt(std::uint32_t type, std::array<std::int32_t, 4> dest, std::array<std::int32_t, 4> src,
                    std::uint32_t rop, const Bytes& info, const Bytes& bits);

    // An EMR_COMMENT carrying EMF+ records.
    EmfBuilder& Plus(const EmfPlusRecords& records);

    // Appends EMR_EOF and returns the picture.
    std::vector<std::uint8_t> Finish();

    // Size in bytes of the header record, so tests can compute record offsets.
    static constexpr std::size_t kHeaderSize = 108;

  private:
    std::vector<std::uint8_t> m_data;
    std::uint32_t m_records = 0;
};

// A BITMAPINFOHEADER (40 bytes) followed by `palette` RGB quads (as 0x00RRGGBB).
Bytes BitmapInfo(std::int32_t width, std::int32_t height, std::uint16_t bitCount, std::uint32_t compression,
                 const std::vector<std::uint32_t>& palette = {});

}  // namespace qrp::test
