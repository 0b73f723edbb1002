// Builds the bundled sample reports from hand-assembled EMF pages, through the same page
// list calls a recording uses. usage: make_sample OUT_DIR
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "report/byte_order.h"
#include "report/page_list.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& out, std::uint32_t v) {
    const std::size_t at = out.size();
    out.resize(at + 4);
    qrp::StoreU32(&out[at], v);
}

void PutRecord(Bytes& out, std::uint32_t type, const std::vector<std::uint32_t>& fields) {
    PutU32(out, type);
    PutU32(out, static_cast<std::uint32_t>(8 + 4 * fields.size()));
    for (std::uint32_t f : fields)
        PutU32(out, f);
}

// An A4 page at 96 pixels per inch with a frame, a rule and one text line per row.
Bytes MakePage(int number, int pages, bool landscape) {
    const std::uint32_t widthPx = landscape ? 1123 : 794, heightPx = landscape ? 794 : 1123;
    const std::uint32_t widthMm = landscape ? 297 : 210, heightMm = landscape ? 210 : 297;
    Bytes out;
    // EMR_HEADER, 108 bytes: bounds, frame (0.01 mm), signature, version, sizes, counts,
    // reference device in pixels and millimetres, pixel format, OpenGL, micrometres.
    PutRecord(out, 1,
              {0,
               0,
               widthPx - 1,
               heightPx - 1,
               0,
               0,
               widthMm * 100,
               heightMm * 100,
               0x464D4520,
               0x10000,
               0,
               0,
               0,
               0,
               0,
               0,
               widthPx,
               heightPx,
               widthMm,
               heightMm,
               0,
               0,
               0,
               widthMm * 1000,
               heightMm * 1000});
    int records = 1;
    // EMR_RECTANGLE around the page body, EMR_MOVETOEX / EMR_LINETO as a rule under the heading.
    PutRecord(out, 43, {48, 48, widthPx - 48, heightPx - 48});
    PutRecord(out, 27, {48, 120});
    PutRecord(out, 54, {widthPx - 48, 120});
    records += 3;
    for (int row = 0; row < 20; ++row) {
        const std::uint32_t top = 140 + 40 * static_cast<std::uint32_t>(row);
        PutRecord(out, 43, {60, top, 60 + 20 * static_cast<std::uint32_t>((row * 7 + number) % 30 + 1), top + 24});
        ++records;
    }
    PutRecord(out, 14, {0, 0, 20});  // EMR_EOF
    ++records;
    qrp::StoreU32(&out[48], static_cast<std::uint32_t>(out.size()));
    qrp::StoreU32(&out[52], static_cast<std::uint32_t>(records));
    (void)pages;
    return out;
}

void WriteReport(const std::string& path, int pages, bool landscape, bool packed) {
    qrp::TQRPageList list;
    list.SetCompression(packed);
    list.AttachStream(std::make_unique<qrp::TQRStream>(100000));
    for (int n = 1; n <= pages; ++n)
        list.AppendPage(*qrp::PagePicture::FromBytes(MakePage(n, pages, landscape)));
    list.Finish();
    list.SaveCopy(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_sample OUT_DIR\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    try {
        WriteReport(dir + "/sample.qrp", 12, false, false);
        WriteReport(dir + "/sample-landscape.qrp", 12, true, false);
        WriteReport(dir + "/sample-packed.qrp", 12, false, true);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_sample: %s\n", error.what());
        return 1;
    }
    return 0;
}
