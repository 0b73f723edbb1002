// The seekable byte stream that the page store, the codec and the exporters read and
// write. Read and Write return the count transferred; ReadBuffer and WriteBuffer insist
// on the whole count and throw StreamError otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qrp {

enum class SeekOrigin : int { Begin = 0, Current = 1, End = 2 };

class Stream {
  public:
    virtual ~Stream() = default;

    // Returns the count read, 0 at the end of the data.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Returns the count written; fewer than count means the store refused the rest.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Returns the new position; a position before 0 is clamped to 0.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::Begin); }
    // Three seeks, as the position is restored afterwards.
    std::int64_t Size();

    // Read or write exactly count bytes or throw StreamError.
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
    std::int32_t ReadI32();
    void WriteI32(std::int32_t value);
};

}  // namespace qrp
