// Walks the records of an EMF held in memory and reads their fields with bounds checks.
// The bytes must stay alive while a reader or any Record taken from it is in use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "base/errors.h"

namespace qrp::emf {

// A field or array that runs past the end of its record. The player skips such a record
// and goes on with the next one.
class RecordError : public EQRError {
  public:
    using EQRError::EQRError;
};

struct PointL {
    std::int32_t x = 0, y = 0;
};

struct RectL {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class Record {
  public:
    Record(std::uint32_t type, std::span<const std::uint8_t> bytes, std::size_t offset)
        : m_type(type), m_bytes(bytes), m_offset(offset) {}

    std::uint32_t Type() const { return m_type; }
    std::size_t Size() const { return m_bytes.size(); }
    // Where the record starts in the picture.
    std::size_t Offset() const { return m_offset; }
    std::span<const std::uint8_t> Bytes() const { return m_bytes; }

    // Every accessor throws RecordError when the field does not lie wholly inside the record.
    std::uint8_t U8(std::size_t at) const { return Field(at, 1)[0]; }
    std::uint16_t U16(std::size_t at) const;
    std::int16_t I16(std::size_t at) const { return static_cast<std::int16_t>(U16(at)); }
    std::uint32_t U32(std::size_t at) const;
    std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
    float F32(std::size_t at) const;
    PointL Point32(std::size_t at) const { return {I32(at), I32(at + 4)}; }
    PointL Point16(std::size_t at) const { return {I16(at), I16(at + 2)}; }
    RectL Rect(std::size_t at) const { return {I32(at), I32(at + 4), I32(at + 8), I32(at + 12)}; }
    // `count` elements of `size` bytes from `at`; the product is checked without overflow.
    std::span<const std::uint8_t> Array(std::size_t at, std::uint64_t count, std::size_t size) const;
    bool Has(std::size_t at, std::uint64_t length) const {
        return at <= m_bytes.size() && length <= m_bytes.size() - at;
    }

  private:
    const std::uint8_t* Field(std::size_t at, std::size_t length) const;

    std::uint32_t m_type;
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_offset;
};

class RecordReader {
  public:
    explicit RecordReader(std::span<const std::uint8_t> emf) : m_data(emf) {}

    // The next record, or nothing after EMR_EOF, at the end of the data, or at a record
    // whose size is below 8, not a multiple of 4 or past the end: such a record ends the
    // picture there (Damaged() tells which).
    std::optional<Record> Next();
    bool Damaged() const { return m_damaged; }

  private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_position = 0;
    bool m_done = false;
    bool m_damaged = false;
};

}  // namespace qrp::emf
