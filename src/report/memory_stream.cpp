#include "memory_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qrp {

namespace {
constexpr std::int64_t kMaxStreamSize = std::numeric_limits<std::int32_t>::max();

std::size_t ReadFromSpan(std::span<const std::uint8_t> data, std::int64_t& position, void* buffer, std::size_t count) {
    const auto size = static_cast<std::int64_t>(data.size());
    if (position >= size || count == 0)
        return 0;
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), size - position));
    std::memcpy(buffer, data.data() + position, n);
    position += static_cast<std::int64_t>(n);
    return n;
}
}  // namespace

std::int64_t ResolveSeek(std::int64_t offset, SeekOrigin origin, std::int64_t position, std::int64_t size) {
    std::int64_t base = 0;
    if (origin == SeekOrigin::Current)
        base = position;
    if (origin == SeekOrigin::End)
        base = size;
    return std::max<std::int64_t>(0, base + offset);
}

std::size_t MemoryStream::Read(void* buffer, std::size_t count) {
    return ReadFromSpan(m_data, m_position, buffer, count);
}

void MemoryStream::Truncate(std::int64_t size) {
    if (size >= 0 && static_cast<std::size_t>(size) < m_data.size())
        m_data.resize(static_cast<std::size_t>(size));
    m_position = static_cast<std::int64_t>(m_data.size());
}

std::size_t MemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0)
        return 0;
    if (m_position + static_cast<std::int64_t>(count) > kMaxStreamSize)
        return 0;
    const auto end = static_cast<std::size_t>(m_position) + count;
    if (end > m_data.size())
        m_data.resize(end);
    std::memcpy(m_data.data() + m_position, buffer, count);
    m_position = static_cast<std::int64_t>(end);
    return count;
}

std::int64_t MemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
    m_position = ResolveSeek(offset, origin, m_position, static_cast<std::int64_t>(m_data.size()));
    return m_position;
}

std::size_t ByteViewStream::Read(void* buffer, std::size_t count) {
    return ReadFromSpan(m_data, m_position, buffer, count);
}

std::int64_t ByteViewStream::Seek(std::int64_t offset, SeekOrigin origin) {
    m_position = ResolveSeek(offset, origin, m_position, static_cast<std::int64_t>(m_data.size()));
    return m_position;
}

}  // namespace qrp
