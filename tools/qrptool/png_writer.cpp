#include "png_writer.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>
#include <zlib.h>

namespace qrp::tool {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kFilterUp = 2;
constexpr std::size_t kChunkOut = 1 << 16;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.insert(out.end(), {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                           static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
}

// Length, type, data and the CRC of type and data.
bool WriteChunk(std::FILE* file, const char (&type)[5], const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> head;
    PutU32(head, static_cast<std::uint32_t>(size));
    head.insert(head.end(), type, type + 4);
    uLong crc = crc32(0L, head.data() + 4, 4);
    if (size > 0)
        crc = crc32(crc, data, static_cast<uInt>(size));
    std::vector<std::uint8_t> tail;
    PutU32(tail, static_cast<std::uint32_t>(crc));
    return std::fwrite(head.data(), 1, head.size(), file) == head.size() &&
           (size == 0 || std::fwrite(data, 1, size, file) == size) &&
           std::fwrite(tail.data(), 1, tail.size(), file) == tail.size();
}

// Streams the filtered rows through deflate, one IDAT chunk per full output buffer.
class IdatWriter {
  public:
    explicit IdatWriter(std::FILE* file) : m_file(file), m_out(kChunkOut) {
        m_ok = deflateInit(&m_stream, Z_BEST_SPEED) == Z_OK;
    }
    ~IdatWriter() { deflateEnd(&m_stream); }
    IdatWriter(const IdatWriter&) = delete;
    IdatWriter& operator=(const IdatWriter&) = delete;

    bool Add(const std::vector<std::uint8_t>& data) { return Deflate(data.data(), data.size(), Z_NO_FLUSH); }
    bool Finish() { return Deflate(nullptr, 0, Z_FINISH); }

  private:
    bool Deflate(const std::uint8_t* data, std::size_t size, int flush) {
        m_stream.next_in = const_cast<Bytef*>(data);
        m_stream.avail_in = static_cast<uInt>(size);
        int result = Z_OK;
        while (m_ok) {
            m_stream.next_out = m_out.data() + m_used;
            m_stream.avail_out = static_cast<uInt>(m_out.size() - m_used);
            result = deflate(&m_stream, flush);
            m_used = m_out.size() - m_stream.avail_out;
            m_ok = result != Z_STREAM_ERROR;
            if (m_used == m_out.size() || (result == Z_STREAM_END && m_used > 0)) {
                m_ok = m_ok && WriteChunk(m_file, "IDAT", m_out.data(), m_used);
                m_used = 0;
            }
            const bool consumed = m_stream.avail_in == 0 && m_stream.avail_out != 0;
            if (flush == Z_FINISH ? result == Z_STREAM_END : consumed)
                break;
        }
        return m_ok;
    }

    std::FILE* m_file;
    z_stream m_stream{};
    std::vector<std::uint8_t> m_out;
    std::size_t m_used = 0;
    bool m_ok = false;
};

}  // namespace

bool WritePng(const QImage& image, const std::string& fileName) {
    const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull())
        return false;
    File file(std::fopen(fileName.c_str(), "wb"));
    if (!file)
        return false;
    const auto width = static_cast<std::size_t>(rgb.width());
    std::vector<std::uint8_t> header;
    PutU32(header, static_cast<std::uint32_t>(width));
    PutU32(header, static_cast<std::uint32_t>(rgb.height()));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, truecolour, deflate, no interlace
    bool ok = std::fwrite(kSignature.data(), 1, kSignature.size(), file.get()) == kSignature.size() &&
              WriteChunk(file.get(), "IHDR", header.data(), header.size());

    IdatWriter idat(file.get());
    std::vector<std::uint8_t> previous(3 * width, 0), row(3 * width), filtered(1 + 3 * width);
    filtered[0] = kFilterUp;
    for (int y = 0; ok && y < rgb.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (std::size_t x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(qRed(pixels[x]));
            row[3 * x + 1] = static_cast<std::uint8_t>(qGreen(pixels[x]));
            row[3 * x + 2] = static_cast<std::uint8_t>(qBlue(pixels[x]));
        }
        for (std::size_t i = 0; i < row.size(); ++i)
            filtered[1 + i] = static_cast<std::uint8_t>(row[i] - previous[i]);
        ok = idat.Add(filtered);
        row.swap(previous);
    }
    ok = ok && idat.Finish() && WriteChunk(file.get(), "IEND", nullptr, 0);
    return std::fclose(file.release()) == 0 && ok;
}

}  // namespace qrp::tool
