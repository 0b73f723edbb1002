#include "report_fixtures.h"

#include "base/byte_order.h"
#include "report/memory_stream.h"

namespace qrp::test {

namespace {
void PutU32(Bytes& out, std::uint32_t v) {
    const std::size_t at = out.size();
    out.resize(at + 4);
    StoreU32(&out[at], v);
}
}  // namespace

Bytes MakeEmf(int fillerRecords, std::uint32_t seed) {
    Bytes out;
    const std::uint32_t header[] = {1, 108, 0, 0, 793, 1122, 0,   0,   21000, 29700, 0x464D4520, 0x10000, 0,     0,
                                    0, 0,   0, 0, 794, 1123, 210, 297, 0,     0,     0,          210000,  297000};
    for (std::uint32_t v : header)
        PutU32(out, v);
    std::uint32_t state = seed * 2654435761u + 1;
    for (int i = 0; i < fillerRecords; ++i) {
        // EMR_COMMENT with a few words of pseudo-random data, repetitive enough to pack.
        const std::uint32_t words = 1 + (state >> 28);
        PutU32(out, 70);
        PutU32(out, 12 + 4 * words);
        PutU32(out, 4 * words);
        for (std::uint32_t w = 0; w < words; ++w) {
            state = state * 1103515245u + 12345u;
            PutU32(out, (state >> 16) & 0x0F0F);
        }
    }
    PutU32(out, 14);
    PutU32(out, 20);
    PutU32(out, 0);
    PutU32(out, 16);
    PutU32(out, 20);
    StoreU32(&out[48], static_cast<std::uint32_t>(out.size()));
    StoreU32(&out[52], static_cast<std::uint32_t>(fillerRecords + 2));
    return out;
}

std::vector<Bytes> MakePages(int count) {
    std::vector<Bytes> pages;
    for (int n = 1; n <= count; ++n)
        pages.push_back(MakeEmf(n * 3, static_cast<std::uint32_t>(n)));
    return pages;
}

Bytes MakeReport(const std::vector<Bytes>& pages, bool packed) {
    TQRPageList list;
    list.SetCompression(packed);
    list.AttachStream(std::make_unique<TQRStream>(1 << 30));
    for (const Bytes& page : pages)
        list.AppendPage(*PagePicture::FromBytes(page));
    list.Finish();
    TQRStream& stream = *list.Stream();
    Bytes bytes(static_cast<std::size_t>(stream.Size()));
    stream.SetPosition(0);
    stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace qrp::test
