// A stream that takes only the first `capacity` bytes it is given, as a full disk does.
#pragma once

#include <algorithm>
#include <cstddef>

#include "report/stream.h"

namespace qrp::test {

class ShortStream : public Stream {
  public:
    explicit ShortStream(std::size_t capacity) : m_capacity(capacity) {}
    std::size_t Read(void*, std::size_t) override { return 0; }
    std::size_t Write(const void*, std::size_t count) override {
        const std::size_t taken = std::min(count, m_capacity);
        m_capacity -= taken;
        return taken;
    }
    std::int64_t Seek(std::int64_t, SeekOrigin) override { return 0; }

  private:
    std::size_t m_capacity;
};

}  // namespace qrp::test
