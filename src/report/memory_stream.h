// A growable in-memory stream, and a read-only view over bytes someone else owns.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "stream.h"

namespace qrp {

// Writes grow the buffer; a write past the end fills the gap with zeros. The size is
// capped below 2^31 bytes, as offsets in report files are signed 32-bit values.
class MemoryStream : public Stream {
  public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<std::uint8_t> data) : m_data(std::move(data)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    // Drops the bytes from size on and moves to the end.
    void Truncate(std::int64_t size);

    const std::vector<std::uint8_t>& Data() const { return m_data; }
    std::vector<std::uint8_t> TakeData() { return std::move(m_data); }

  private:
    std::vector<std::uint8_t> m_data;
    std::int64_t m_position = 0;
};

// Reads from a span that must stay alive while the view is in use. Writes store nothing.
class ByteViewStream : public Stream {
  public:
    explicit ByteViewStream(std::span<const std::uint8_t> data) : m_data(data) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

  private:
    std::span<const std::uint8_t> m_data;
    std::int64_t m_position = 0;
};

// Resolves a seek against a current position and a size; never below 0.
std::int64_t ResolveSeek(std::int64_t offset, SeekOrigin origin, std::int64_t position, std::int64_t size);

}  // namespace qrp
