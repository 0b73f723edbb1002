#include "png_writer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <thread>
#include <vector>
#include <zlib.h>

#include "base/errors.h"
#include "base/messages.h"
#include "render/output_device.h"
#include "report/file_stream.h"

namespace qrp::tool {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kFilterUp = 2;
constexpr std::size_t kChunkOut = 1 << 16;
constexpr int kRowsPerBand = 128;  // below that a thread costs more than it saves
constexpr unsigned kMaxBands = 4;

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.insert(out.end(), {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                           static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
}

// Length, type, data and the CRC of type and data. A failed write shows in the device.
void WriteChunk(QIODevice& file, const char (&type)[5], const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> head;
    PutU32(head, static_cast<std::uint32_t>(size));
    head.insert(head.end(), type, type + 4);
    uLong crc = crc32(0L, head.data() + 4, 4);
    if (size > 0)
        crc = crc32(crc, data, static_cast<uInt>(size));
    std::vector<std::uint8_t> tail;
    PutU32(tail, static_cast<std::uint32_t>(crc));
    file.write(reinterpret_cast<const char*>(head.data()), static_cast<qint64>(head.size()));
    if (size > 0)
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.write(reinterpret_cast<const char*>(tail.data()), static_cast<qint64>(tail.size()));
}

// Rows [first, last) filtered and deflated without a zlib wrapper. A band that is not the
// last ends with a sync flush, on a byte boundary, so the bands joined in order are one
// deflate stream (each starts with an empty window, which costs a little compression).
struct Band {
    int first = 0;
    int last = 0;
    bool final = false;
    std::vector<std::uint8_t> deflated;
    uLong adler = adler32(0L, nullptr, 0);
    uLong length = 0;  // filtered bytes, for joining the checksums
    bool ok = false;
};

void RgbRow(const QImage& rgb, int y, std::vector<std::uint8_t>& row) {
    const auto* pixels = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (std::size_t x = 0; x < row.size() / 3; ++x) {
        row[3 * x] = static_cast<std::uint8_t>(qRed(pixels[x]));
        row[3 * x + 1] = static_cast<std::uint8_t>(qGreen(pixels[x]));
        row[3 * x + 2] = static_cast<std::uint8_t>(qBlue(pixels[x]));
    }
}

void Deflate(const QImage& rgb, Band& band) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    const auto width = static_cast<std::size_t>(rgb.width());
    std::vector<std::uint8_t> previous(3 * width, 0), row(3 * width), filtered(1 + 3 * width), out(kChunkOut);
    if (band.first > 0)
        RgbRow(rgb, band.first - 1, previous);
    filtered[0] = kFilterUp;
    // Reserved at the worst case so that the output never moves while it grows; pages of
    // it that are never written cost nothing.
    band.deflated.reserve(band.deflated.size() + 4 +
                          deflateBound(&stream, static_cast<uLong>(band.last - band.first) * filtered.size()));
    int result = Z_OK;
    for (int y = band.first; y <= band.last && result != Z_STREAM_ERROR; ++y) {
        const bool end = y == band.last;
        if (!end) {
            RgbRow(rgb, y, row);
            for (std::size_t i = 0; i < row.size(); ++i)
                filtered[1 + i] = static_cast<std::uint8_t>(row[i] - previous[i]);
            row.swap(previous);
            band.adler = adler32(band.adler, filtered.data(), static_cast<uInt>(filtered.size()));
            band.length += filtered.size();
        }
        stream.next_in = end ? nullptr : filtered.data();
        stream.avail_in = end ? 0 : static_cast<uInt>(filtered.size());
        const int flush = !end ? Z_NO_FLUSH : band.final ? Z_FINISH : Z_SYNC_FLUSH;
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            result = deflate(&stream, flush);
            band.deflated.insert(band.deflated.end(), out.data(), out.data() + (out.size() - stream.avail_out));
        } while (result != Z_STREAM_ERROR && (stream.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END)));
    }
    band.ok = result != Z_STREAM_ERROR;
    deflateEnd(&stream);
}

// The image's rows as a zlib stream, in pieces: the bands are deflated side by side on the
// machine's cores, which halves the time a page spends in compression on two of them.
std::vector<Band> ZlibRows(const QImage& rgb) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const auto count =
        static_cast<int>(std::min({cores, kMaxBands, static_cast<unsigned>(rgb.height() / kRowsPerBand + 1)}));
    std::vector<Band> bands(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        bands[i].first = static_cast<int>(static_cast<long long>(rgb.height()) * i / count);
        bands[i].last = static_cast<int>(static_cast<long long>(rgb.height()) * (i + 1) / count);
        bands[i].final = i + 1 == count;
    }
    bands.front().deflated = {0x78, 0x01};  // zlib header: deflate, 32K window, fastest level
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < bands.size(); ++i)
        helpers.emplace_back([&rgb, &band = bands[i]] { Deflate(rgb, band); });
    Deflate(rgb, bands[0]);
    for (std::thread& helper : helpers)
        helper.join();

    uLong adler = adler32(0L, nullptr, 0);
    for (const Band& band : bands)
        adler = adler32_combine(adler, band.adler, static_cast<z_off_t>(band.length));
    PutU32(bands.back().deflated, static_cast<std::uint32_t>(adler));
    return bands;
}

}  // namespace

void ReplaceWithPng(const QImage& image, const std::string& fileName) {
    const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    const std::vector<Band> bands = rgb.isNull() ? std::vector<Band>() : ZlibRows(rgb);
    const auto file = FileStream::Create(fileName);
    if (bands.empty() || !std::all_of(bands.begin(), bands.end(), [](const Band& band) { return band.ok; }))
        throw FileError(messages::cannotCreateFile(file->Path(), "the image could not be compressed"));
    render::OutputDevice device(*file);
    std::vector<std::uint8_t> header;
    PutU32(header, static_cast<std::uint32_t>(rgb.width()));
    PutU32(header, static_cast<std::uint32_t>(rgb.height()));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, truecolour, deflate, no interlace
    device.write(reinterpret_cast<const char*>(kSignature.data()), kSignature.size());
    WriteChunk(device, "IHDR", header.data(), header.size());
    for (const Band& band : bands) {
        const std::vector<std::uint8_t>& idat = band.deflated;
        for (std::size_t at = 0; at < idat.size(); at += kChunkOut)
            WriteChunk(device, "IDAT", idat.data() + at, std::min(kChunkOut, idat.size() - at));
    }
    WriteChunk(device, "IEND", nullptr, 0);
    device.ThrowIfFailed();
    file->Close();
}

}  // namespace qrp::tool
