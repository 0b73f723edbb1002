#include "record_reader.h"

#include <cstring>

#include "base/byte_order.h"
#include "base/messages.h"
#include "emf_format.h"

namespace qrp::emf {

const std::uint8_t* Record::Field(std::size_t at, std::size_t length) const {
    if (!Has(at, length))
        throw RecordError(messages::emfRecordDamaged(m_type, m_offset));
    return m_bytes.data() + at;
}

std::uint16_t Record::U16(std::size_t at) const {
    return LoadU16(Field(at, 2));
}

std::uint32_t Record::U32(std::size_t at) const {
    return LoadU32(Field(at, 4));
}

float Record::F32(std::size_t at) const {
    const std::uint32_t bits = U32(at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::span<const std::uint8_t> Record::Array(std::size_t at, std::uint64_t count, std::size_t size) const {
    if (size != 0 && count > m_bytes.size() / size)
        throw RecordError(messages::emfRecordDamaged(m_type, m_offset));
    const std::size_t length = static_cast<std::size_t>(count) * size;
    return {Field(at, length), length};
}

std::optional<Record> RecordReader::Next() {
    if (m_done)
        return std::nullopt;
    const std::size_t left = m_data.size() - m_position;
    if (left < kRecordHeaderSize) {
        m_done = true;
        m_damaged = left != 0;
        return std::nullopt;
    }
    const std::uint8_t* at = m_data.data() + m_position;
    const std::uint32_t type = LoadU32(at + kRecordType);
    const std::uint32_t size = LoadU32(at + kRecordSize);
    if (size < kRecordHeaderSize || size % 4 != 0 || size > left) {
        m_done = m_damaged = true;
        return std::nullopt;
    }
    Record record(type, m_data.subspan(m_position, size), m_position);
    m_position += size;
    if (type == kEmrEof)
        m_done = true;
    return record;
}

}  // namespace qrp::emf
