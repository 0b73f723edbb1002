// Expands arbitrary code bytes, and checks that packing then unpacking any input gives it back.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/errors.h"
#include "report/memory_stream.h"
#include "report/splay_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    // The first two bytes choose how many bytes to expand (up to 64 KiB).
    const std::size_t count = static_cast<std::size_t>(data[0]) | (static_cast<std::size_t>(data[1]) << 8);
    qrp::ByteViewStream code({data + 2, size - 2});
    qrp::TQRCompress expander(code, false);
    try {
        for (std::size_t i = 0; i < count; ++i)
            expander.DecodeByte();
    } catch (const qrp::StreamError&) {
        // Running out of code bytes is the expected end of most inputs.
    }

    qrp::MemoryStream packed;
    qrp::TQRCompress compressor(packed, true);
    for (std::size_t i = 0; i < size; ++i)
        compressor.Compress(data[i]);
    compressor.FinishCompress();
    qrp::ByteViewStream in(packed.Data());
    qrp::TQRCompress decoder(in, false);
    for (std::size_t i = 0; i < size; ++i) {
        if (decoder.DecodeByte() != data[i])
            std::abort();
    }
    decoder.FinishExpand();
    if (in.Position() != static_cast<std::int64_t>(packed.Data().size()))
        std::abort();
    return 0;
}
