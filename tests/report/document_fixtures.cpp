#include "document_fixtures.h"

#include <cmath>

#include "base/byte_order.h"
#include "report/page_list.h"

namespace qrp::test {

namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    const std::size_t at = out.size();
    out.resize(at + 4);
    StoreU32(&out[at], value);
}

}  // namespace

std::vector<std::uint8_t> MakeTaggedPage(int tag, double widthMm, double lengthMm) {
    const auto frameRight = static_cast<std::uint32_t>(std::lround(widthMm * 100));
    const auto frameBottom = static_cast<std::uint32_t>(std::lround(lengthMm * 100));
    std::vector<std::uint8_t> out;
    auto put = [&out](std::initializer_list<std::uint32_t> fields) {
        for (std::uint32_t field : fields)
            PutU32(out, field);
    };
    put({1, 108});                                        // EMR_HEADER, 108 bytes
    put({static_cast<std::uint32_t>(tag), 0, 100, 100});  // bounds: the tag the fake printer logs
    put({0, 0, frameRight, frameBottom});                 // frame, 0.01 mm
    put({0x464D4520, 0x10000, 0, 2, 0, 0, 0, 0});         // signature, version, bytes, records, handles, text, palette
    put({960, 960, 254, 254});                            // reference device: pixels and millimetres, 96 dpi
    put({0, 0, 0, 254000, 254000});                       // pixel format, OpenGL, micrometres
    put({14, 20, 0, 0, 20});                              // EMR_EOF
    StoreU32(&out[48], static_cast<std::uint32_t>(out.size()));
    return out;
}

void WriteReportFile(const std::filesystem::path& path, int pages, double widthMm, double lengthMm) {
    TQRPageList list;
    list.AttachStream(std::make_unique<TQRStream>(100000));
    for (int n = 1; n <= pages; ++n)
        list.AppendPage(*PagePicture::FromBytes(MakeTaggedPage(n, widthMm, lengthMm)));
    list.Finish();
    list.SaveCopy(path.string());
}

}  // namespace qrp::test
