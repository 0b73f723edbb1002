#include "stream.h"

#include "base/byte_order.h"
#include "base/errors.h"
#include "base/messages.h"

namespace qrp {

std::int64_t Stream::Size() {
    const std::int64_t position = Position();
    const std::int64_t size = Seek(0, SeekOrigin::End);
    Seek(position, SeekOrigin::Begin);
    return size;
}

void Stream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw StreamError(messages::streamReadError());
}

void Stream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw StreamError(messages::streamWriteError());
}

std::int32_t Stream::ReadI32() {
    std::uint8_t bytes[4];
    ReadBuffer(bytes, sizeof bytes);
    return LoadI32(bytes);
}

void Stream::WriteI32(std::int32_t value) {
    std::uint8_t bytes[4];
    StoreI32(bytes, value);
    WriteBuffer(bytes, sizeof bytes);
}

}  // namespace qrp
